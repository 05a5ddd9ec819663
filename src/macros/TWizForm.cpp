#include "TWizForm.h"

#include "lang/Lcf.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

template <typename W> W *named(W *w, const char *name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QString fromMemo(const QPlainTextEdit *memo) {
    return memo->toPlainText();
}

} // namespace

TWizForm::TWizForm(QWidget *owner) : QDialog(owner) {
    setObjectName(QStringLiteral("WizForm"));
    // F1 and "What's this ?" on a control without a topic of its own open the
    // topic of the command that brings this window up.
    setProperty("helpKeyword", QStringLiteral("WIZ_BTN"));
    setWindowTitle(QStringLiteral("Macro Wizard Dialog"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::WindowContextHelpButtonHint);
    setFixedSize(570, 327);

    auto *station = named(new QGroupBox(QStringLiteral(" Station "), this), "StationBox");
    station->setGeometry(8, 6, 270, 192);
    auto row = [station](const char *labelName, const QString &label, const char *editName, int k) {
        const int y = 20 + 28 * k;
        auto *l = named(new QLabel(label, station), labelName);
        l->setGeometry(10, y + 3, 108, 16);
        auto *e = named(new QLineEdit(station), editName);
        e->setGeometry(120, y, 140, 22);
        return e;
    };
    CallEdit = row("CallLbl", QStringLiteral("Callsign"), "CallEdit", 0);
    NameEdit = row("NameLbl", QStringLiteral("Name"), "NameEdit", 1);
    RigEdit = row("RigLbl", QStringLiteral("Radio equipment"), "RigEdit", 2);
    PowEdit = row("PowLbl", QStringLiteral("Power (Watts)"), "PowEdit", 3);
    AntEdit = row("AntLbl", QStringLiteral("Antennas"), "AntEdit", 4);
    OrdiEdit = row("OrdiLbl", QStringLiteral("Computer"), "OrdiEdit", 5);

    auto *qsl = named(new QGroupBox(QStringLiteral(" QSL Information "), this), "QSLBox");
    qsl->setGeometry(8, 202, 270, 90);
    auto *qslLbl = named(new QLabel(QStringLiteral("QSL via..."), qsl), "QSLLbl");
    qslLbl->setGeometry(10, 18, 200, 14);
    QSLEdit = named(new QPlainTextEdit(qsl), "QSLEdit");
    QSLEdit->setGeometry(10, 33, 250, 52);

    auto *geo = named(new QGroupBox(QStringLiteral(" Geographic informations "), this), "GeoBox");
    geo->setGeometry(286, 6, 276, 286);
    auto *cityLbl = named(new QLabel(QStringLiteral("Qth (your city or village)"), geo), "CITYLbl");
    cityLbl->setGeometry(10, 20, 256, 16);
    CITYEdit = named(new QLineEdit(geo), "CITYEdit");
    CITYEdit->setGeometry(10, 37, 256, 22);
    auto *qthLbl = named(new QLabel(QStringLiteral("QTH (Location and description)"), geo), "QTHLbl");
    qthLbl->setGeometry(10, 66, 256, 16);
    QTHEdit = named(new QPlainTextEdit(geo), "QTHEdit");
    QTHEdit->setGeometry(10, 83, 256, 86);
    auto *locLbl = named(new QLabel(QStringLiteral("QTH Locator"), geo), "LOCLbl");
    locLbl->setGeometry(10, 176, 256, 16);
    LOCEdit = named(new QLineEdit(geo), "LOCEdit");
    LOCEdit->setGeometry(10, 193, 100, 22);

    CreateBtn = named(new QPushButton(QStringLiteral("Create &macros"), this), "CreateBtn");
    CreateBtn->setGeometry(330, 298, 112, 24);
    CancelBtn = named(new QPushButton(QStringLiteral("&Cancel"), this), "CancelBtn");
    CancelBtn->setGeometry(450, 298, 112, 24);
    CreateBtn->setAutoDefault(false);
    CancelBtn->setAutoDefault(false);
    connect(CreateBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);

    for (QLineEdit *e : {CallEdit, NameEdit, RigEdit, PowEdit, AntEdit, OrdiEdit, CITYEdit, LOCEdit})
        connect(e, &QLineEdit::textChanged, this, [this] { ActivateButton(); });
    for (QPlainTextEdit *m : {QTHEdit, QSLEdit})
        connect(m, &QPlainTextEdit::textChanged, this, [this] { ActivateButton(); });
    CreateForm();
}

void TWizForm::CreateForm() {
    TranslateForm(this);
}

void TWizForm::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    ShowForm();
}

void TWizForm::ShowForm() {
    // Nothing to create until the operator has changed something.
    CreateBtn->setEnabled(false);
}

void TWizForm::ActivateButton() {
    // A changed locator is a change worth saving too: an operator who moves
    // needs only to fix the locator and create the macros again.
    if (!CreateBtn->isEnabled())
        CreateBtn->setEnabled(true);
}

void TWizForm::fill(const QString &myCall, const StationInfoText &stored) {
    CallEdit->setText(myCall);
    NameEdit->setText(stored.name);
    RigEdit->setText(stored.radio);
    PowEdit->setText(stored.power);
    AntEdit->setText(stored.antenna);
    OrdiEdit->setText(stored.computer);
    CITYEdit->setText(stored.city);
    QString location = decodeMemoText(stored.location);
    QString qslInfo = decodeMemoText(stored.qslInfo);
    // The memos break lines with a line feed; decoding gives CR LF.
    QTHEdit->setPlainText(location.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    LOCEdit->setText(stored.locator);
    QSLEdit->setPlainText(qslInfo.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

StationInfo TWizForm::stationInfo() const {
    StationInfo info;
    info.call = CallEdit->text();
    info.name = NameEdit->text();
    info.radio = RigEdit->text();
    info.power = PowEdit->text();
    info.antenna = AntEdit->text();
    info.computer = OrdiEdit->text();
    info.city = CITYEdit->text();
    info.location = memoLines(fromMemo(QTHEdit));
    info.locator = LOCEdit->text();
    info.qslInfo = memoLines(fromMemo(QSLEdit));
    return info;
}
