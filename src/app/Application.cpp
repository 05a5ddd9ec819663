#include "app/Application.h"

#include "base/AppFonts.h"

#include <QApplication>

void SetUpApplication() {
    QApplication::setOrganizationName(QStringLiteral("Q9ZZV Software"));
    QApplication::setApplicationName(QStringLiteral("VARNEK"));
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Message boxes, the help and every dialog share the main window's face.
    QApplication::setFont(windowFont());
}
