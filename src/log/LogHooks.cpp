// The QSO box of the main window: its buttons, the pick-up of a received word
// into the call-sign or name field, and the way to the ADIF dialog and the
// log viewer.

#include "AdifText.h"
#include "LogFile.h"
#include "TADIFForm.h"
#include "TVarnekForm.h"
#include "app/Clock.h"
#include "app/Dialogs.h"
#include "app/TPSKForm.h"
#include "app/Utilities.h"
#include "lang/Strings.h"

#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <memory>

namespace {

// Passes a double-click on the receive pane on to a handler once the pane
// itself has handled it, so the word under the pointer is already selected.
class DoubleClickWatcher : public QObject {
public:
    DoubleClickWatcher(QObject *parent, std::function<void()> handler)
        : QObject(parent), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
            QTimer::singleShot(0, this, m_handler);
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_handler;
};

} // namespace

void TPSKForm::SetupLog() {
    connect(ClearBtn, &QPushButton::clicked, this, &TPSKForm::ClearBtnClick);
    connect(StoreBtn, &QPushButton::clicked, this, &TPSKForm::StoreBtnClick);
    connect(ViewBtn, &QPushButton::clicked, this, &TPSKForm::ViewBtnClick);
    connect(HisCall, &QLineEdit::textChanged, this, &TPSKForm::ChangeCallSign);
    RXBuf->viewport()->installEventFilter(new DoubleClickWatcher(RXBuf, [this] { CopyCallToQSO(); }));
}

QString TPSKForm::LogFileName() const {
    return adif::logFilePath(StartupDir);
}

void TPSKForm::ChangeCallSign() {
    ClearBtn->setEnabled(true);
    StoreBtn->setEnabled(true);
}

void TPSKForm::ClearBtnClick() {
    // Emptying the call sign enables the buttons again, so they are
    // disabled after it.
    for (QLineEdit *e : {HisCall, HisName, HisRep, TheInfo})
        e->clear();
    ClearBtn->setEnabled(false);
    StoreBtn->setEnabled(false);
}

void TPSKForm::StoreBtnClick() {
    const std::pair<QLineEdit *, int> required[] = {{HisCall, Str::FieldHisCallsignEmpty},
                                                    {HisRep, Str::FieldHisReportEmpty},
                                                    {TheDate, Str::FieldDateEmpty},
                                                    {TheTime, Str::FieldHourEmpty}};
    for (const auto &[edit, message] : required) {
        if (adif::trimText(edit->text()).isEmpty()) {
            m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                              LcfLoadString(message));
            return;
        }
    }
    const QDateTime t = m_clock.utcNow();
    const bool logExists = QFileInfo::exists(LogFileName());
    if (!ADIFForm)
        ADIFForm = new TADIFForm(m_dialogs, m_clock, this);
    ADIFForm->setLogPath(LogFileName());
    ADIFForm->AcceptBtn->setEnabled(logExists);
    ADIFForm->CreateBtn->setEnabled(!logExists);

    ADIFForm->CALLEdit->setText(HisCall->text());
    ADIFForm->NAMEEdit->setText(HisName->text());
    ADIFForm->DATEEdit->setText(FormatDateTime(QStringLiteral("yyyy/mm/dd"), t));
    ADIFForm->HOUREdit->setText(FormatDateTime(QStringLiteral("hh:nn"), t));
    ADIFForm->MODEEdit->setText(QStringLiteral("PSK31"));
    ADIFForm->RSTDEdit->setText(HisRep->text());
    ADIFForm->RSTREdit->clear();
    ADIFForm->INFOEdit->setText(TheInfo->text());
    ADIFForm->exec();

    // However the dialog was closed, the contact is done with.
    for (QLineEdit *e : {HisCall, HisName, HisRep, TheInfo})
        e->clear();
    StoreBtn->setEnabled(false);
    ClearBtn->setEnabled(false);
    if (!ViewBtn->isEnabled())
        ViewBtn->setEnabled(true);
}

void TPSKForm::ViewBtnClick() {
    const std::unique_ptr<TVarnekForm> viewer = std::make_unique<TVarnekForm>(LogFileName(), m_dialogs, this);
    viewer->setWindowTitle(LcfLoadString(Str::YourLogAsFor) + QLatin1Char(' ') +
                           FormatDateTime(QStringLiteral("dddd d mmmm yyyy"), m_clock.localNow()));
    viewer->exec();
}

void TPSKForm::CopyCallToQSO() {
    // A double-click that selected nothing (or only blanks) picks up
    // nothing: the clipboard then still holds whatever the operator put
    // there, which must neither land in the QSO box nor be thrown away.
    if (adif::trimText(RXBuf->textCursor().selectedText()).isEmpty())
        return;
    const bool wasReadOnly = RXBuf->isReadOnly();
    RXBuf->setReadOnly(true);
    RXBuf->copy();
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QString text = clipboard->text();
    const QString trimmed = adif::trimText(text);
    const bool hasDigit =
        std::any_of(trimmed.begin(), trimmed.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    QLineEdit *target = hasDigit ? HisCall : HisName;
    target->selectAll();
    target->paste();
    RXBuf->setReadOnly(wasReadOnly);
    QTextCursor cursor = RXBuf->textCursor();
    cursor.clearSelection();
    RXBuf->setTextCursor(cursor);
    clipboard->clear();
}
