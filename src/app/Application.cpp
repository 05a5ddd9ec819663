#include "app/Application.h"

#include <QApplication>

void SetUpApplication() {
    QApplication::setOrganizationName(QStringLiteral("Q9ZZV Software"));
    QApplication::setApplicationName(QStringLiteral("VARNEK"));
    QApplication::setStyle(QStringLiteral("Fusion"));
}
