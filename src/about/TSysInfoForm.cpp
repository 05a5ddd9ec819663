#include "TSysInfoForm.h"

#include "lang/Lcf.h"
#include <QFont>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

TSysInfoForm::TSysInfoForm(QWidget *owner, const SystemSources &sources) : QWidget(owner, Qt::Window) {
    setObjectName(QStringLiteral("SysInfoForm"));
    // F1 and "What's this ?" on a control without a topic of its own open the
    // topic of the command that brings this window up.
    setProperty("helpKeyword", QStringLiteral("ABT_BTN"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("System info"));
    resize(489, 414);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    SysMemo = new QPlainTextEdit(this);
    SysMemo->setObjectName(QStringLiteral("SysMemo"));
    SysMemo->setReadOnly(true);
    SysMemo->setFrameShape(QFrame::NoFrame);
    SysMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    font.setPixelSize(12);
    SysMemo->setFont(font);
    layout->addWidget(SysMemo);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect r(QPoint(), size());
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
    TranslateForm(this);
    FormCreate(sources);
}

void TSysInfoForm::FormCreate(const SystemSources &sources) {
    SysMemo->setPlainText(systemReport(readSystemFacts(sources)).join(QLatin1Char('\n')));
}
