#include "TADIFForm.h"

#include "AdifText.h"
#include "AdifWriter.h"
#include "LogFile.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

namespace {

template <typename T> T *named(T *w, const char *name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

constexpr int EditHeight = 21;

} // namespace

TADIFForm::TADIFForm(Dialogs &dialogs, Clock &clock, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_clock(clock) {
    setObjectName(QStringLiteral("ADIFForm"));
    // F1 and "What's this ?" on a control without a topic of its own open the
    // topic of the command that brings this window up.
    setProperty("helpKeyword", QStringLiteral("STO_BTN"));
    setWindowTitle(QStringLiteral("Save this QSO under ADIF format"));
    setFixedSize(342, 172);
    if (parent)
        setFont(parent->font());

    // Two columns of label and field, the comment across the whole width,
    // the buttons under it. Fields are made in tab order.
    auto label = [this](const QString &text, int x, int y) {
        auto *l = new QLabel(text, this);
        l->setGeometry(x, y, 84, EditHeight);
        return l;
    };
    auto edit = [this, &label](const char *name, const QString &caption, int x, int y, int w) {
        auto *e = named(new QLineEdit(this), name);
        e->setGeometry(x + 84, y, w, EditHeight);
        auto *l = label(caption, x, y);
        l->setBuddy(e);
        // "CALLEdit" is labelled by "CALLLabel": language files reach labels by name.
        l->setObjectName(QString::fromLatin1(name).replace(QLatin1String("Edit"), QLatin1String("Label")));
        return e;
    };
    CALLEdit = edit("CALLEdit", QStringLiteral("Station Callsign"), 8, 8, 76);
    NAMEEdit = edit("NAMEEdit", QStringLiteral("Name"), 8, 33, 76);
    DATEEdit = edit("DATEEdit", QStringLiteral("Date"), 8, 58, 76);
    HOUREdit = edit("HOUREdit", QStringLiteral("UTC Hour"), 8, 83, 76);

    FREQEdit = named(new QComboBox(this), "FREQEdit");
    FREQEdit->setEditable(true);
    FREQEdit->setInsertPolicy(QComboBox::NoInsert);
    FREQEdit->addItems({QStringLiteral("1838.15"), QStringLiteral("3580.15"), QStringLiteral("7035.15"),
                        QStringLiteral("7080.15"), QStringLiteral("10140.150"), QStringLiteral("14070.150"),
                        QStringLiteral("18100.150"), QStringLiteral("21080.150"), QStringLiteral("24920.150"),
                        QStringLiteral("28120.150")});
    FREQEdit->setCurrentIndex(-1);
    FREQEdit->setEditText(QString());
    FREQEdit->setGeometry(254, 8, 80, EditHeight);
    named(label(QStringLiteral("Frequency"), 172, 8), "FREQLabel")->setBuddy(FREQEdit);

    MODEEdit = edit("MODEEdit", QStringLiteral("Mode"), 172, 33, 78);
    MODEEdit->setReadOnly(true);
    MODEEdit->setEnabled(false);
    RSTDEdit = edit("RSTDEdit", QStringLiteral("RST given"), 172, 58, 78);
    RSTREdit = edit("RSTREdit", QStringLiteral("RST Received"), 172, 83, 78);
    INFOEdit = edit("INFOEdit", QStringLiteral("Informations"), 8, 110, 242);

    InfoBtn = named(new QToolButton(this), "InfoBtn");
    InfoBtn->setText(QStringLiteral("&Informations"));
    InfoBtn->setToolTip(QStringLiteral("Information"));
    InfoBtn->setFocusPolicy(Qt::NoFocus);
    InfoBtn->setGeometry(8, 140, 86, 25);
    CreateBtn = named(new QPushButton(QStringLiteral("Create"), this), "CreateBtn");
    CreateBtn->setToolTip(QStringLiteral("Create a new database"));
    CreateBtn->setGeometry(106, 140, 72, 25);
    AcceptBtn = named(new QPushButton(QStringLiteral("&Save"), this), "AcceptBtn");
    AcceptBtn->setToolTip(QStringLiteral("Save this QSO in the ADIF database"));
    AcceptBtn->setGeometry(184, 140, 72, 25);
    CancelBtn = named(new QPushButton(QStringLiteral("&Cancel"), this), "CancelBtn");
    CancelBtn->setGeometry(262, 140, 72, 25);
    // Enter in a field must not save or cancel behind the operator's back.
    for (QPushButton *b : {CreateBtn, AcceptBtn, CancelBtn})
        b->setAutoDefault(false);

    connect(CreateBtn, &QPushButton::clicked, this, &TADIFForm::CreateBtnClick);
    connect(AcceptBtn, &QPushButton::clicked, this, &TADIFForm::AcceptBtnClick);
    connect(InfoBtn, &QToolButton::clicked, this, &TADIFForm::InfoBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TADIFForm::CancelBtnClick);
    CreateForm();
}

void TADIFForm::CreateForm() {
    TranslateForm(this);
}

void TADIFForm::showEvent(QShowEvent *event) {
    if (QScreen *screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    CALLEdit->setFocus();
    QDialog::showEvent(event);
}

void TADIFForm::CreateBtnClick() {
    const QString error = adif::createLogFile(m_logPath, adif::header());
    if (!error.isEmpty()) {
        showError(error);
        return;
    }
    AcceptBtn->setEnabled(true);
    CreateBtn->setEnabled(false);
}

int TADIFForm::firstEmptyField() const {
    const std::pair<QString, int> checks[] = {
        {CALLEdit->text(), Str::FieldCallSignEmpty},    {DATEEdit->text(), Str::FieldDateEmpty},
        {HOUREdit->text(), Str::FieldUtcHourEmpty},     {FREQEdit->currentText(), Str::FieldFrequencyEmpty},
        {MODEEdit->text(), Str::FieldModeEmpty},        {RSTREdit->text(), Str::FieldReportReceivedEmpty},
        {RSTDEdit->text(), Str::FieldReportGivenEmpty},
    };
    for (const auto &[text, message] : checks) {
        if (adif::trimText(text).isEmpty())
            return message;
    }
    return 0;
}

void TADIFForm::AcceptBtnClick() {
    if (const int message = firstEmptyField()) {
        m_dialogs.beep();
        m_dialogs.message(Dialogs::Icon::None, LcfLoadString(Str::AppTitle), LcfLoadString(message));
        return;
    }
    adif::LogAppender log(m_logPath);
    if (!log.open()) {
        showError(log.errorText());
        return;
    }
    const QDateTime t = m_clock.utcNow();
    AcceptBtn->setEnabled(false);
    const adif::Contact contact{CALLEdit->text(), NAMEEdit->text(), FREQEdit->currentText(),
                                RSTREdit->text(), RSTDEdit->text(), INFOEdit->text()};
    if (!log.append(adif::record(contact, t))) {
        // The file is as it was; the operator keeps the fields to try again.
        log.close();
        AcceptBtn->setEnabled(true);
        showError(log.errorText());
        return;
    }
    log.close();
    accept();
}

void TADIFForm::InfoBtnClick() {
    m_dialogs.message(Dialogs::Icon::Information, LcfLoadString(Str::CaptionInformation),
                      LcfLoadString(Str::AdifDialogInformation));
}

void TADIFForm::CancelBtnClick() {
    reject();
}

void TADIFForm::showError(const QString &text) {
    m_dialogs.message(Dialogs::Icon::Error, LcfLoadString(Str::CaptionError), text);
}
