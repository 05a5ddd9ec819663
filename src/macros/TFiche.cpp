#include "TFiche.h"

#include "lang/Lcf.h"
#include "macros/HelpCardTexts.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TFiche::TFiche(int uiLanguage, QWidget *owner) : QWidget(owner, Qt::Tool), m_uiLanguage(uiLanguage) {
    setObjectName(QStringLiteral("Fiche"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Infos macros"));
    setFixedSize(440, 342);
    LeMemo = new QPlainTextEdit(this);
    LeMemo->setObjectName(QStringLiteral("LeMemo"));
    LeMemo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(LeMemo);
}

void TFiche::showEvent(QShowEvent *e) {
    QWidget::showEvent(e);
    ShowFiche();
}

void TFiche::ShowFiche() {
    TranslateForm(this);
    // The memo shows lines; the texts keep CR LF as the program writes them.
    QString text = helpCardText(m_uiLanguage);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    LeMemo->setPlainText(text);
}
