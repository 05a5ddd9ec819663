// The QSO box of the main window: its buttons, the pick-up of a received word
// into the call-sign or name field, and the way to the ADIF dialog and the
// log viewer.

#include "log/QsoBox.h"

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/FormBuild.h"
#include "base/Utilities.h"
#include "lang/Strings.h"
#include "log/AdifText.h"
#include "log/LogFile.h"
#include "log/TADIFForm.h"
#include "log/TVarnekForm.h"

#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
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

QsoBox::QsoBox(QWidget *parent, QWidget *window, Dialogs &dialogs, Clock &clock,
               std::function<QString()> startupDir)
    : QObject(parent->window()), m_window(window), m_dialogs(dialogs), m_clock(clock),
      m_startupDir(std::move(startupDir)) {
    QSOBox = named(new QGroupBox(QStringLiteral("QSO Box"), parent), "QSOBox");
    setHelp(QSOBox, "QSO_PNL", 25);
    auto edit = [this](const char *name, int x, int y, int w) {
        auto *e = named(new QLineEdit(QSOBox), name);
        e->setGeometry(x, y, w, 19);
        return e;
    };
    // Named so that language files can reach them.
    named(label(QSOBox, QStringLiteral("Date"), 6, 14), "DateLbl");
    named(label(QSOBox, QStringLiteral("UTC"), 80, 14), "UTCLbl");
    named(label(QSOBox, QStringLiteral("His Callsign"), 126, 14), "HisCallLbl");
    named(label(QSOBox, QStringLiteral("His name"), 210, 14), "HisNameLbl");
    named(label(QSOBox, QStringLiteral("His Report"), 292, 14), "HisRepLbl");
    named(label(QSOBox, QStringLiteral("Infos"), 6, 47), "InfoLbl");
    TheDate = edit("TheDate", 6, 27, 70);
    TheTime = edit("TheTime", 80, 27, 42);
    HisCall = edit("HisCall", 126, 27, 80);
    HisName = edit("HisName", 210, 27, 78);
    HisRep = edit("HisRep", 292, 27, 58);
    TheInfo = edit("TheInfo", 6, 60, 198);
    auto button = [this](const char *name, const QString &text, const QString &hint, int x) {
        auto *b = named(new QPushButton(text, QSOBox), name);
        b->setToolTip(hint);
        b->setGeometry(x, 59, 46, 21);
        return b;
    };
    ClearBtn = button("ClearBtn", QStringLiteral("&Clear"), QStringLiteral("Clear all fields"), 208);
    StoreBtn = button("StoreBtn", QStringLiteral("&Store"),
                      QStringLiteral("Log this QSO in the ADIF database"), 256);
    ViewBtn = button("ViewBtn", QStringLiteral("&View"),
                     QStringLiteral("View the QSO already \r\nlogged in the database"), 304);
    setHelp(ClearBtn, "CLR_BTN", 52);
    setHelp(StoreBtn, "STO_BTN", 50);
    setHelp(ViewBtn, "INF_BTN", 51);
    ClearBtn->setEnabled(false);
    StoreBtn->setEnabled(false);

    RXBuf = named(new QPlainTextEdit(parent), "RXBuf");
    RXBuf->setToolTip(QStringLiteral("Double-click to pick-up your \r\ncorrespondent's callsign and name"));
    RXBuf->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHelp(RXBuf, "RX_WND", 20);

    connect(ClearBtn, &QPushButton::clicked, this, &QsoBox::ClearBtnClick);
    connect(StoreBtn, &QPushButton::clicked, this, &QsoBox::StoreBtnClick);
    connect(ViewBtn, &QPushButton::clicked, this, &QsoBox::ViewBtnClick);
    connect(HisCall, &QLineEdit::textChanged, this, &QsoBox::ChangeCallSign);
    RXBuf->viewport()->installEventFilter(new DoubleClickWatcher(RXBuf, [this] { CopyCallToQSO(); }));
}

void QsoBox::ShowTime(const QDateTime &utc) {
    TheDate->setText(FormatDateTime(QStringLiteral("yyyy/mm/dd"), utc));
    TheTime->setText(FormatDateTime(QStringLiteral("hh:nn"), utc));
}

QString QsoBox::LogFileName() const {
    return adif::logFilePath(m_startupDir());
}

void QsoBox::ChangeCallSign() {
    ClearBtn->setEnabled(true);
    StoreBtn->setEnabled(true);
}

void QsoBox::ClearBtnClick() {
    // Emptying the call sign enables the buttons again, so they are
    // disabled after it.
    for (QLineEdit *e : {HisCall, HisName, HisRep, TheInfo})
        e->clear();
    ClearBtn->setEnabled(false);
    StoreBtn->setEnabled(false);
}

void QsoBox::StoreBtnClick() {
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
        ADIFForm = new TADIFForm(m_dialogs, m_clock, m_window);
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

void QsoBox::ViewBtnClick() {
    const std::unique_ptr<TVarnekForm> viewer =
        std::make_unique<TVarnekForm>(LogFileName(), m_dialogs, m_window);
    viewer->setWindowTitle(LcfLoadString(Str::YourLogAsFor) + QLatin1Char(' ') +
                           FormatDateTime(QStringLiteral("dddd d mmmm yyyy"), m_clock.localNow()));
    viewer->exec();
}

void QsoBox::CopyCallToQSO() {
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
