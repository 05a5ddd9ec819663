// The setup dialog on the recording modem: what it shows, what opening it does, the
// choices that act at once, the colour and font choosers, saving and cancelling.

#include "SetupFixture.h"
#include "base/Widgets.h"
#include "settings/SetupWidgets.h"
#include "settings/TBandSelector.h"

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kReadError = QStringLiteral("Error reading the registry !");
const QString kWriteError = QStringLiteral("Error writing in the registry !");
const QString kComError = QStringLiteral("Error selecting COM port");

template <typename T> T *child(QWidget *form, const char *name) {
    return form->findChild<T *>(QString::fromLatin1(name));
}

// On the round indicator: a wide button with a short caption is not clickable in its middle.
void clickItem(TRadioGroup *group, int item) {
    QRadioButton *b = group->button(item);
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

} // namespace

class TestSettingsDialog : public QObject {
    Q_OBJECT
private slots:
    void controls_data();
    void controls();
    void layout();
    void openingFillsControlsAndRunningValues();
    void openingAppliesAStoredActivation();
    void openingWithAnUnreadableStore();
    void comPortsFollowTheLibrarysDevices();
    void soundCardItemsNameTheirDevices();
    void choicesActAtOnce();
    void portAndActivationReachTheLibrary();
    void refusedPortFallsBackToComOneIdle();
    void scaleIntensity();
    void colourChoice_data();
    void colourChoice();
    void fontChoice_data();
    void fontChoice();
    void saveBand_data();
    void saveBand();
    void saveWritesEverySetting();
    void saveWithAnUnwritableStoreStillCloses();
    void cancelWritesAndUndoesNothing();
    void captionsFitTheirControls();
};

void TestSettingsDialog::controls_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hint");
    QTest::addColumn<QString>("keyword");
    const auto row = [](const char *name, const char *hint, const char *keyword) {
        QTest::newRow(name) << QString::fromLatin1(name) << QString::fromLatin1(hint)
                            << QString::fromLatin1(keyword);
    };
    row("CallEdit", "", "SET_CAL");
    row("CWMsgEdit", "", "SET_CWI");
    row("RXModeGroup", "PSK31 Mode", "SET_MOD");
    row("PORTGroup", "Select here the COM port that will be used to activate your transceiver", "SET_COM");
    row("PTTGroup", "Activation of the COM port linked to the transceiver.", "SET_POR");
    row("CRDGroup", "Choose your soundcard. Leave it on \r\n[Auto] if you only have one", "SET_SND");
    row("DateGroup", "Format of the date that will be displayed/sent", "SET_DAT");
    row("CWGroup", "Speed at which the CW identification will be sent", "SET_CWS");
    row("BlocksSpin", "", "SET_TUN");
    row("PpmSpin", "", "SET_TUN");
    row("FFTSpin", "", "SET_TUN");
    row("BAND",
        "Adjust here the bandwith that you want to be \r\ndisplayed in the waterfall and the spectrum "
        "analyzer",
        "SET_BDW");
    row("TracksGroup", "", "COL_TRK");
    row("ControlsGroup", "", "COL_PAN");
    row("RXBGroup", "", "COL_RUF");
    row("TXBGroup", "", "COL_TUF");
    row("QSOGroup", "", "COL_BOX");
    row("DivGroup", "", "SET_DIV");
    row("CursorGroup", "", "SET_CUR");
    row("ScaleGroup", "", "SET_SCA");
    row("PBox", "Waterfall scale intensity", "");
    row("WaterBar", "Slide this bar to modify the Waterfall scale intensity", "");
}

void TestSettingsDialog::controls() {
    QFETCH(QString, name);
    SetupFixture f;
    TSetForm &form = f.open();
    QWidget *w = form.findChild<QWidget *>(name);
    QVERIFY(w);
    QTEST(w->toolTip(), "hint");
    QTEST(w->property("helpKeyword").toString(), "keyword");
}

void TestSettingsDialog::layout() {
    SetupFixture f;
    TSetForm &form = f.open();
    QCOMPARE(form.windowTitle(), QStringLiteral("Program setup"));
    QCOMPARE(form.size(), QSize(560, 358));
    QCOMPARE(form.minimumSize(), form.maximumSize());
    QVERIFY(form.windowFlags() & Qt::WindowContextHelpButtonHint);
    QCOMPARE(form.PageControl->tabText(0), QStringLiteral(" General "));
    QCOMPARE(form.PageControl->tabText(1), QStringLiteral(" Colors and fonts "));
    QCOMPARE(form.PageControl->currentWidget(), form.ColorsSheet);
    QCOMPARE(form.CancelBtn->text(), QStringLiteral("&Cancel"));
    QCOMPARE(form.CancelBtn->geometry(), QRect(253, 289, 127, 49));
    QCOMPARE(form.ApplyBtn->text(), QStringLiteral("&Save and exit"));
    QCOMPARE(form.ApplyBtn->geometry(), QRect(382, 289, 175, 49));
    form.show();
    form.PageControl->setCurrentWidget(form.GeneralSheet);
    QCOMPARE(form.BAND->size(), QSize(547, 48));
    QCOMPARE(form.PBox->size(), QSize(183, 20));
    QVERIFY(form.MakerPanel->width() >= 100);
    QVERIFY(form.MakerPanel->text().contains(QStringLiteral("www.")));

    QStringList items;
    for (int i = 0; i < form.RXModeGroup->count(); ++i)
        items << form.RXModeGroup->button(i)->text();
    QCOMPARE(items, QStringList(
                        {"BPSK", "QPSK (USB)", "QPSK (LSB)", "BPSK 62.5", "QPSK USB 62.5", "QPSK LSB 62.5"}));
    QCOMPARE(form.PTTGroup->button(3)->text(), QStringLiteral("RTS && DTR")); // shown with one ampersand
    QCOMPARE(form.DateGroup->button(5)->text(), QStringLiteral("Thursday 23 october 2000"));
    // COM 1, 3, 5, 7 on the left, 2, 4, 6, 8 on the right.
    for (int n = 1; n <= 8; ++n) {
        QRadioButton *b = child<QRadioButton>(&form, qPrintable(QStringLiteral("COM%1").arg(n)));
        QVERIFY(b);
        QCOMPARE(b->text(), QStringLiteral("COM %1").arg(n));
        const QRadioButton *first = form.ComButtons[0];
        QCOMPARE(b->x() == first->x(), n % 2 == 1);
    }
    QCOMPARE(form.ACCPanel->text(), QStringLiteral("Active track"));
    QCOMPARE(form.OTHPanel->text(), QStringLiteral("Other tracks"));
    QCOMPARE(form.STPPanel->text(), QStringLiteral("Controls"));
    QCOMPARE(form.RXBPanel->text(), QStringLiteral("  cq cq cq de Q9ZZV Q9ZZV..."));
    QCOMPARE(form.QSOBox->text(), QStringLiteral("Q9ZZV"));
    QCOMPARE(form.HTUBox->text(), QStringLiteral("Dispay UTC hour"));
    QCOMPARE(form.WaterBar->maximum(), 255);
    QCOMPARE(form.WaterBar->tickInterval(), 12);
    // Every colour and font button by its tag.
    QList<int> tags;
    for (QLabel *l : form.ColorsSheet->findChildren<QLabel *>())
        if (l->property("tag").isValid()) {
            tags << l->property("tag").toInt();
            QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
        }
    std::sort(tags.begin(), tags.end());
    QCOMPARE(tags, QList<int>({10, 11, 12, 13, 14, 15, 16, 17, 20, 21, 22, 23}));
}

void TestSettingsDialog::openingFillsControlsAndRunningValues() {
    SetupFixture f;
    f.storeText(
        "[Settings]\nMyCall=q9abc\nCWID=CQ ID\nShowUTCTime=0\nSpectrumPlain=1\nDateFormat=2\nCWIDSpeed=1\n"
        "ComPort=6\nPTTControl=0\nBlocks=10\nWFMin=300\nWFMax=2900\nPPMAdjust=5\nWCursor=2\nFFTAdjust=3\n");
    f.settings.RXMode = 5; // no item has this code
    f.settings.CardNum = 1;
    TSetForm &form = f.open();
    QCOMPARE(form.CallEdit->text(), QStringLiteral("q9abc"));
    // The call-sign rule ran first, then the stored text went into the edit only.
    QCOMPARE(form.CWMsgEdit->text(), QStringLiteral("CQ ID"));
    QCOMPARE(f.settings.CWID, QStringLiteral("de q9abc"));
    QVERIFY(!form.HTUBox->isChecked());
    QVERIFY(form.SpecBox->isChecked());
    QCOMPARE(form.DateGroup->itemIndex(), 2);
    QCOMPARE(f.datePattern, QStringLiteral("dd/mm/yyyy"));
    QVERIFY(form.DatePanel->text().contains(QStringLiteral("2026")));
    QCOMPARE(form.CWGroup->itemIndex(), 1);
    QCOMPARE(f.settings.ComPort, 6);
    QVERIFY(form.ComButtons[5]->isChecked()); // selected although no port was found
    QVERIFY(!form.ComButtons[5]->isEnabled());
    QCOMPARE(form.PTTGroup->itemIndex(), 0);
    QCOMPARE(form.RXModeGroup->itemIndex(), 0); // "BPSK" shown ...
    QCOMPARE(f.settings.RXMode, 5);             // ... the running mode kept
    QCOMPARE(form.CRDGroup->itemIndex(), 2);
    QCOMPARE(f.settings.Blocks, 10);
    QCOMPARE(f.settings.PPMAdjust, 5);
    QCOMPARE(f.settings.FFTAdjust, 3);
    QCOMPARE(form.BAND->low(), 300);
    QCOMPARE(form.BAND->high(), 2900);
    QCOMPARE(f.settings.WCursor, 2);
    QVERIFY(form.CursorButtons[1]->isChecked());
    // "Idle": the port is not given to the library, and nothing is reported.
    QCOMPARE(f.modem.calls, QStringList());
    QVERIFY(f.dialogs.shown.isEmpty());
}

void TestSettingsDialog::openingAppliesAStoredActivation() {
    SetupFixture f;
    f.storeText("[Settings]\nComPort=3\nPTTControl=2\n");
    TSetForm &form = f.open();
    QCOMPARE(f.modem.calls, QStringList({"fnSetComPort(3,2)"}));
    QCOMPARE(form.PTTGroup->itemIndex(), 2);
    // Defaults of a new user.
    QCOMPARE(form.CallEdit->text(), QStringLiteral("NOCALL"));
    QCOMPARE(f.settings.CWID, QStringLiteral("de NOCALL"));
    QCOMPARE(form.CWGroup->itemIndex(), 2);
    QCOMPARE(form.BAND->low(), 100);
    QCOMPARE(form.BAND->high(), 3500);
    QCOMPARE(f.settings.Blocks, 1);
    QCOMPARE(f.settings.FFTAdjust, 1);
    QCOMPARE(f.settings.WCursor, 4);
    QVERIFY(form.HTUBox->isChecked() && form.SpecBox->isChecked());
}

void TestSettingsDialog::openingWithAnUnreadableStore() {
    SetupFixture f;
    f.storeText(QByteArray("[Settings]\nMyCall=\0\xff\xfe junk", 24));
    const QByteArray before = f.storedBytes();
    TSetForm &form = f.open();
    QCOMPARE(f.dialogs.texts(), QStringList({kReadError}));
    QCOMPARE(f.dialogs.beeps, 1);
    QVERIFY(form.isEnabled());
    // Saving cannot overwrite what could not be read; the dialog still closes as saved.
    f.dialogs.shown.clear();
    QTest::mouseClick(form.ApplyBtn, Qt::LeftButton);
    QCOMPARE(f.dialogs.texts(), QStringList({kWriteError}));
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(f.storedBytes(), before);
}

void TestSettingsDialog::comPortsFollowTheLibrarysDevices() {
    QTemporaryDir dir;
    PseudoTerminal pty;
    const QString byId = dir.filePath(QStringLiteral("usb-FTDI_FT232R-if00-port0"));
    QVERIFY(QFile::link(pty.path(), byId));
    SetupFixture f;
    f.mapCom(3, pty.path());
    f.mapCom(4, dir.filePath(QStringLiteral("ttyUSB9")));
    f.mapCom(5, QStringLiteral("/dev/null"));
    f.mapCom(6, byId);
    TSetForm &form = f.open();
    QList<bool> enabled;
    for (QRadioButton *b : form.ComButtons)
        enabled << b->isEnabled();
    QCOMPARE(enabled, QList<bool>({false, false, true, false, false, true, false, false}));
    QCOMPARE(form.ComButtons[2]->toolTip(), QStringLiteral("COM 3: ") + pty.path());
    QCOMPARE(form.ComButtons[3]->toolTip(),
             QStringLiteral("COM 4: %1 (not found)").arg(dir.filePath("ttyUSB9")));
    QCOMPARE(form.ComButtons[4]->toolTip(), QStringLiteral("COM 5: /dev/null (not a serial port)"));
    QCOMPARE(form.ComButtons[5]->toolTip(), QStringLiteral("COM 6: %1 -> %2").arg(byId, pty.path()));
    QCOMPARE(form.ComButtons[0]->toolTip(), QStringLiteral("COM 1"));
}

void TestSettingsDialog::soundCardItemsNameTheirDevices() {
    SetupFixture f;
    f.modem.deviceNames[{0, -1}] = "default";
    f.modem.deviceNames[{1, -1}] = "default";
    f.modem.deviceNames[{0, 1}] = "USB Audio CODEC: - (hw:1,0)";
    f.modem.deviceNames[{1, 1}] = "USB Audio CODEC: - (hw:1,0)";
    f.modem.deviceNames[{0, 0}] = "HDA Intel PCH: ALC892 Analog (hw:0,0)";
    TSetForm &form = f.open();
    QCOMPARE(form.CRDGroup->button(0)->text(), QStringLiteral("Auto"));
    QCOMPARE(form.CRDGroup->button(2)->text(), QStringLiteral("SoundCard 1"));
    QCOMPARE(form.CRDGroup->button(0)->toolTip(), QStringLiteral("Input: default\nOutput: default"));
    QCOMPARE(form.CRDGroup->button(1)->toolTip(),
             QStringLiteral("Input: HDA Intel PCH: ALC892 Analog (hw:0,0)\nOutput: none"));
    QCOMPARE(form.CRDGroup->button(2)->toolTip(),
             QStringLiteral("Input: USB Audio CODEC: - (hw:1,0)\nOutput: USB Audio CODEC: - (hw:1,0)"));
    QCOMPARE(form.CRDGroup->button(3)->toolTip(), QStringLiteral("Input: none\nOutput: none"));
}

void TestSettingsDialog::choicesActAtOnce() {
    SetupFixture f;
    f.storeText("[Settings]\nMyCall=Q9ZZV\n");
    TSetForm &form = f.open();
    form.show();
    QTest::keyClicks(form.CallEdit, QStringLiteral("/P"));
    QCOMPARE(form.CWMsgEdit->text(), QStringLiteral("de Q9ZZV/P"));
    QCOMPARE(f.settings.CWID, QStringLiteral("de Q9ZZV/P"));
    form.PageControl->setCurrentWidget(form.GeneralSheet);
    clickItem(form.DateGroup, 5);
    QCOMPARE(f.datePattern, QStringLiteral("dddd d mmmm yyyy"));
    QCOMPARE(form.DatePanel->text(), QLocale::system().dayName(4) + QStringLiteral(" 10 ") +
                                         QLocale::system().monthName(12) + QStringLiteral(" 2026"));
    clickItem(form.RXModeGroup, 4);
    QCOMPARE(f.settings.RXMode, 9);
    clickItem(form.CRDGroup, 3);
    QCOMPARE(f.settings.CardNum, 2);
    form.BlocksSpin->setValue(10);
    form.PpmSpin->setValue(42);
    form.FFTSpin->setValue(7);
    QCOMPARE(f.settings.Blocks, 10);
    QCOMPARE(f.settings.PPMAdjust, 42);
    QCOMPARE(f.settings.FFTAdjust, 7);
    form.PageControl->setCurrentWidget(form.ColorsSheet);
    QTest::mouseClick(form.CursorButtons[4], Qt::LeftButton);
    QCOMPARE(f.settings.WCursor, 5);
    QVERIFY(form.CursorButtons[4]->isChecked() && !form.CursorButtons[3]->isChecked());
    // None of this is written before a save.
    QCOMPARE(f.stored(QStringLiteral("Settings"), QStringLiteral("Blocks")), QString());
    QCOMPARE(f.modem.calls, QStringList());
}

void TestSettingsDialog::portAndActivationReachTheLibrary() {
    PseudoTerminal pty3, pty6;
    SetupFixture f;
    f.mapCom(3, pty3.path());
    f.mapCom(6, pty6.path());
    TSetForm &form = f.open();
    form.show();
    form.PageControl->setCurrentWidget(form.GeneralSheet);
    // With "Idle" a port button only sets the running port.
    QTest::mouseClick(form.ComButtons[5], Qt::LeftButton);
    QCOMPARE(f.settings.ComPort, 6);
    QCOMPARE(f.modem.calls, QStringList());
    // An activation always goes to the library, "Idle" too.
    clickItem(form.PTTGroup, 1);
    QTest::mouseClick(form.ComButtons[2], Qt::LeftButton);
    clickItem(form.PTTGroup, 3);
    clickItem(form.PTTGroup, 0);
    QCOMPARE(f.modem.calls, QStringList({"fnSetComPort(6,1)", "fnSetComPort(3,1)", "fnSetComPort(3,3)",
                                         "fnSetComPort(3,0)"}));
    QCOMPARE(f.settings.ComPort, 3);
    QVERIFY(f.dialogs.shown.isEmpty());
}

void TestSettingsDialog::refusedPortFallsBackToComOneIdle() {
    PseudoTerminal pty;
    SetupFixture f;
    f.mapCom(6, pty.path());
    f.storeText("[Settings]\nComPort=6\n");
    TSetForm &form = f.open();
    form.show();
    form.PageControl->setCurrentWidget(form.GeneralSheet);
    // The library refuses every port here, COM 1 included: the fallback still ends.
    f.modem.comPortResult = 0;
    clickItem(form.PTTGroup, 1);
    QCOMPARE(f.dialogs.texts(), QStringList({kComError}));
    QCOMPARE(f.dialogs.beeps, 1);
    QCOMPARE(f.modem.calls, QStringList({"fnSetComPort(6,1)", "fnSetComPort(1,1)", "fnSetComPort(1,0)"}));
    QVERIFY(form.ComButtons[0]->isChecked());
    QCOMPARE(form.PTTGroup->itemIndex(), 0);
    QCOMPARE(f.settings.ComPort, 1);
    // Only the high byte set is still a refusal.
    f.modem.calls.clear();
    f.dialogs.shown.clear();
    f.modem.comPortResult = 0x100;
    QTest::mouseClick(form.ComButtons[5], Qt::LeftButton);
    clickItem(form.PTTGroup, 2);
    QCOMPARE(f.dialogs.texts(), QStringList({kComError}));
}

void TestSettingsDialog::scaleIntensity() {
    SetupFixture f;
    f.settings.WColor = 0x123456;
    TSetForm &form = f.open();
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // Activation puts the slider on the red component, which makes the running colour
    // that grey.
    QCOMPARE(form.WaterBar->value(), 0x56);
    QCOMPARE(f.settings.WColor, 0x565656u);
    form.WaterBar->setValue(200);
    QCOMPARE(f.settings.WColor, 0xC8C8C8u);
    QCOMPARE(form.PBox->image().pixelColor(80, 10), QColor(200, 200, 200));
    QCOMPARE(form.PBox->image().pixelColor(80, 15), QColor(Qt::black));
    QTest::keyClick(form.WaterBar, Qt::Key_Home);
    QCOMPARE(f.settings.WColor, 0u);
}

void TestSettingsDialog::colourChoice_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("text");
    QTest::newRow("10") << 10 << "ACCPanel"
                        << "ACCColor" << false;
    QTest::newRow("11") << 11 << "OTHPanel"
                        << "OTHColor" << false;
    QTest::newRow("12") << 12 << "STPPanel"
                        << "STPColor" << false;
    QTest::newRow("13") << 13 << "RXBPanel"
                        << "RXBColor" << false;
    QTest::newRow("14") << 14 << "TXBPanel"
                        << "TXBColor" << false;
    QTest::newRow("15") << 15 << "QSOBox"
                        << "QSOColor" << false;
    QTest::newRow("16") << 16 << "ACCPanel"
                        << "ACCFtColor" << true;
    QTest::newRow("17") << 17 << "OTHPanel"
                        << "OTHFtColor" << true;
}

void TestSettingsDialog::colourChoice() {
    QFETCH(int, tag);
    QFETCH(QString, panel);
    QFETCH(QString, value);
    QFETCH(bool, text);
    SetupFixture f;
    TSetForm &form = f.open();
    QWidget *target = form.findChild<QWidget *>(panel);
    QVERIFY(target);
    TSetForm::setPreviewColors(target, 0x00FF00, 0x0000FF);
    QLabel *button = nullptr;
    for (QLabel *l : form.ColorsSheet->findChildren<QLabel *>())
        if (l->property("tag").toInt() == tag)
            button = l;
    QVERIFY(button);
    form.show();

    // Cancelled: nothing changes, nothing is written.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(f.dialogs.colorPresets.size(), 1);
    QCOMPARE(f.dialogs.colorPresets[0], text ? QColor(255, 0, 0) : QColor(0, 255, 0));
    QCOMPARE(f.stored("Look", value), QString());

    f.dialogs.colorAnswers << QColor(0x11, 0x22, 0x33);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(text ? TSetForm::previewText(target) : TSetForm::previewBackground(target), 0x332211u);
    QCOMPARE(text ? TSetForm::previewBackground(target) : TSetForm::previewText(target),
             text ? 0x00FF00u : 0x0000FFu);
    // In the store at once, before any save.
    QCOMPARE(f.stored("Look", value), QString::number(0x332211));
}

void TestSettingsDialog::fontChoice_data() {
    QTest::addColumn<int>("tag");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<int>("style");
    QTest::newRow("controls, regular") << 20 << "STP" << false << false << 0;
    QTest::newRow("receive pane, italic") << 21 << "RXB" << false << true << 100;
    QTest::newRow("transmit pane, bold") << 22 << "TXB" << true << false << 1000;
    QTest::newRow("QSO box, bold italic") << 23 << "QSO" << true << true << 1100;
}

void TestSettingsDialog::fontChoice() {
    QFETCH(int, tag);
    QFETCH(QString, prefix);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    SetupFixture f;
    TSetForm &form = f.open();
    QFont font(QStringLiteral("DejaVu Sans"), 13, bold ? QFont::Bold : QFont::Normal, italic);
    font.setUnderline(true); // not kept
    f.dialogs.fontAnswers << qMakePair(font, QColor(0x80, 0, 0));
    form.FontClick(tag);
    QCOMPARE(f.stored("Look", prefix + "FontName"), QStringLiteral("DejaVu Sans"));
    QCOMPARE(f.stored("Look", prefix + "FontCol"), QStringLiteral("128"));
    QCOMPARE(f.stored("Look", prefix + "FontSize"), QStringLiteral("13"));
    QTEST(f.stored("Look", prefix + "FontStyle").toInt(), "style");
    QWidget *target =
        form.findChild<QWidget *>(prefix == "QSO" ? QStringLiteral("QSOBox") : prefix + "Panel");
    QCOMPARE(target->font().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(TSetForm::previewText(target), 0x80u);
    QCOMPARE(f.dialogs.fontPresets.size(), 1);
}

void TestSettingsDialog::saveBand_data() {
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<QString>("savedLow");
    QTest::addColumn<QString>("savedHigh");
    QTest::addColumn<bool>("message");
    QTest::newRow("3300-3500") << 3300 << 3500 << "3100"
                               << "3500" << true;
    QTest::newRow("200-300") << 200 << 300 << "200"
                             << "600" << true;
    QTest::newRow("1000-1399") << 1000 << 1399 << "1000"
                               << "1400" << true;
    QTest::newRow("500-2500") << 500 << 2500 << "500"
                              << "2500" << false;
}

void TestSettingsDialog::saveBand() {
    QFETCH(int, low);
    QFETCH(int, high);
    QFETCH(bool, message);
    SetupFixture f;
    TSetForm &form = f.open();
    form.BAND->setEdges(low, high);
    QTest::mouseClick(form.ApplyBtn, Qt::LeftButton);
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(f.dialogs.texts(),
             message ? QStringList({"To avoid problems, bandwidth cannot be less than 400Hz\r\n"
                                    "A correction has been made accordingly."})
                     : QStringList());
    QCOMPARE(f.dialogs.beeps, message ? 1 : 0);
    QTEST(f.stored("Settings", "WFMin"), "savedLow");
    QTEST(f.stored("Settings", "WFMax"), "savedHigh");
}

void TestSettingsDialog::saveWritesEverySetting() {
    PseudoTerminal pty;
    SetupFixture f;
    f.mapCom(6, pty.path());
    f.settings.RXMode = 8;
    f.settings.WColor = 0x404040;
    TSetForm &form = f.open();
    form.CallEdit->setText(QStringLiteral("Q9ZZV"));
    form.CWMsgEdit->setText(QStringLiteral("de Q9ZZV pse k"));
    form.HTUBox->setChecked(false);
    form.SpecBox->setChecked(false);
    form.DateGroup->setItemIndex(3);
    form.CWGroup->setItemIndex(0);
    form.ComButtons[5]->click();
    form.PTTGroup->setItemIndex(2);
    form.CRDGroup->setItemIndex(1);
    form.BlocksSpin->setValue(12);
    form.PpmSpin->setValue(3);
    form.FFTSpin->setValue(6);
    form.BAND->setEdges(400, 3000);
    form.CursorButtons[0]->click();
    form.ApplyBtn->click();
    QCOMPARE(form.result(), int(QDialog::Accepted));
    const QList<QPair<QString, QString>> expected = {
        {"MyCall", "Q9ZZV"},    {"ShowUTCTime", "0"},
        {"SpectrumPlain", "0"}, {"DateFormat", "3"},
        {"CWIDSpeed", "0"},     {"CWID", "de Q9ZZV pse k"},
        {"ComPort", "6"},       {"PTTControl", "2"},
        {"RXMode", "8"},        {"Blocks", "12"},
        {"PPMAdjust", "3"},     {"FFTAdjust", "6"},
        {"WFMin", "400"},       {"WFMax", "3000"},
        {"WCursor", "1"},       {"WColor", QString::number(0x404040)},
        {"CardNum", "0"},
    };
    for (const auto &[name, value] : expected)
        QCOMPARE(f.stored("Settings", name), value);
    QVERIFY(!f.settings.ShowUTCTime);
    QVERIFY(!f.settings.SpectrumPlain);
    // Read back by the start-up load, as the next run will.
    SettingsStore reread(f.iniPath);
    RunningSettings s;
    QVERIFY(loadStartupSettings(reread, s, {}));
    QCOMPARE(s.PTTControl, 2);
    QCOMPARE(s.WFMax, 3000);
    QCOMPARE(s.CWID, QStringLiteral("de Q9ZZV pse k"));
}

void TestSettingsDialog::saveWithAnUnwritableStoreStillCloses() {
    SetupFixture f;
    TSetForm &form = f.open();
    // The store's folder goes away and a file takes its place: nothing can be saved.
    QVERIFY(f.dir.remove());
    QFile blocker(f.dir.path());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    form.HTUBox->setChecked(false);
    form.ApplyBtn->click();
    QCOMPARE(f.dialogs.texts(), QStringList({kWriteError}));
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QVERIFY(!f.settings.ShowUTCTime);
    QFile::remove(f.dir.path());
}

void TestSettingsDialog::cancelWritesAndUndoesNothing() {
    PseudoTerminal pty;
    SetupFixture f;
    f.mapCom(6, pty.path());
    f.storeText("[Settings]\nMyCall=Q9ZZV\nCWID=my own id\n");
    const QByteArray before = f.storedBytes();
    TSetForm &form = f.open();
    form.ComButtons[5]->click();
    form.BlocksSpin->setValue(20);
    form.CallEdit->setText(QStringLiteral("Q9XYZ"));
    form.CancelBtn->click();
    QCOMPARE(form.result(), int(QDialog::Rejected));
    QCOMPARE(f.storedBytes(), before);
    QCOMPARE(f.settings.ComPort, 6);
    QCOMPARE(f.settings.Blocks, 20);
    QCOMPARE(f.settings.CWID, QStringLiteral("de Q9XYZ"));

    // Opening and cancelling leaves the running text "de " and the stored call sign.
    SetupFixture g;
    g.storeText("[Settings]\nMyCall=Q9ZZV\nCWID=my own id\n");
    TSetForm &again = g.open();
    again.show();
    again.close(); // the close box cancels too
    QCOMPARE(again.result(), int(QDialog::Rejected));
    QCOMPARE(g.settings.CWID, QStringLiteral("de Q9ZZV"));
}

// Every caption fits in its control on both pages; VARNEK_SCREENSHOT_DIR keeps pictures
// of the pages to look at (run once more with QT_SCALE_FACTOR=2).
void TestSettingsDialog::captionsFitTheirControls() {
    SetupFixture f;
    TSetForm &form = f.open();
    form.show();
    const QString shots = qEnvironmentVariable("VARNEK_SCREENSHOT_DIR");
    for (QWidget *page : {form.GeneralSheet, form.ColorsSheet}) {
        form.PageControl->setCurrentWidget(page);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (QAbstractButton *b : page->findChildren<QAbstractButton *>()) {
            if (qobject_cast<QToolButton *>(b) || !b->isVisibleTo(page))
                continue;
            QVERIFY2(b->sizeHint().width() <= b->width() + 1,
                     qPrintable(b->text() +
                                QStringLiteral(": %1 > %2").arg(b->sizeHint().width()).arg(b->width())));
            QVERIFY2(b->geometry().bottom() < b->parentWidget()->height(), qPrintable(b->text()));
        }
        for (QLabel *l : page->findChildren<QLabel *>())
            if (!l->text().startsWith(QLatin1Char(' ')))
                QVERIFY2(l->fontMetrics().horizontalAdvance(l->text()) <= l->contentsRect().width(),
                         qPrintable(l->text()));
        for (QGroupBox *g : page->findChildren<QGroupBox *>())
            QVERIFY2(g->geometry().right() < page->width() && g->geometry().bottom() < page->height(),
                     qPrintable(g->title()));
        for (QLabel *panel : {form.MakerPanel, form.DatePanel})
            QVERIFY2(panel->fontMetrics().horizontalAdvance(panel->text()) <= panel->contentsRect().width(),
                     qPrintable(panel->text()));
        if (!shots.isEmpty())
            QVERIFY(form.grab().save(QDir(shots).filePath(page->objectName() + QStringLiteral(".png"))));
    }
}

QTEST_MAIN(TestSettingsDialog)
#include "test_settings_dialog.moc"
