// The setup dialog's rules and its band selector, without a dialog: the band check at
// save, the values a save writes and their order, the scale preview, the serial-port
// check, and dragging the band's edges.

#include "SetupFixture.h"
#include "settings/SerialDevice.h"
#include "settings/SettingsRules.h"
#include "settings/TBandSelector.h"

#include <QSignalSpy>
#include <QtTest>

using namespace SetupRules;

class TestSettingsRules : public QObject {
    Q_OBJECT
private slots:
    void bandCheck_data();
    void bandCheck();
    void saveOrderAndEncoding();
    void itemsOfStoredCodes();
    void scalePreviewIsDrawnInTheGrey();
    void serialDevices();
    void bandSelectorDrag_data();
    void bandSelectorDrag();
    void bandSelectorLooks();
};

void TestSettingsRules::bandCheck_data() {
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    QTest::addColumn<int>("savedLow");
    QTest::addColumn<int>("savedHigh");
    QTest::addColumn<bool>("widened");
    QTest::newRow("top of the scale, 200 Hz") << 3300 << 3500 << 3100 << 3500 << true;
    QTest::newRow("100 Hz at the bottom") << 200 << 300 << 200 << 600 << true;
    QTest::newRow("one hertz short") << 1000 << 1399 << 1000 << 1400 << true;
    QTest::newRow("exactly 400 Hz") << 1000 << 1400 << 1000 << 1400 << false;
    QTest::newRow("whole scale") << 100 << 3500 << 100 << 3500 << false;
    QTest::newRow("edges beyond the scale") << -50 << 9000 << 100 << 3500 << false;
    QTest::newRow("no width at the top") << 3500 << 3500 << 3100 << 3500 << true;
    QTest::newRow("extreme values") << INT_MIN << INT_MIN << 100 << 500 << true;
}

void TestSettingsRules::bandCheck() {
    QFETCH(int, low);
    QFETCH(int, high);
    const Band band = correctBand(low, high);
    QTEST(band.low, "savedLow");
    QTEST(band.high, "savedHigh");
    QTEST(band.widened, "widened");
}

void TestSettingsRules::saveOrderAndEncoding() {
    SaveValues v;
    v.MyCall = QStringLiteral("Q9ZZV");
    v.ShowUTCTime = false;
    v.SpectrumPlain = true;
    v.DateFormat = 5;
    v.CWIDSpeed = 3;
    v.CWID = QStringLiteral("de Q9ZZV");
    v.ComPort = 6;
    v.PTTControl = 3;
    v.RXMode = 9;
    v.Blocks = 10;
    v.PPMAdjust = 12;
    v.FFTAdjust = 7;
    v.WFMin = 300;
    v.WFMax = 2900;
    v.WCursor = 5;
    v.WColor = 0x808080;
    v.CardNum = -1;
    const QList<QPair<QString, QString>> expected = {
        {"MyCall", "Q9ZZV"}, {"ShowUTCTime", "0"}, {"SpectrumPlain", "1"}, {"DateFormat", "5"},
        {"CWIDSpeed", "3"},  {"CWID", "de Q9ZZV"}, {"ComPort", "6"},       {"PTTControl", "3"},
        {"RXMode", "9"},     {"Blocks", "10"},     {"PPMAdjust", "12"},    {"FFTAdjust", "7"},
        {"WFMin", "300"},    {"WFMax", "2900"},    {"WCursor", "5"},       {"WColor", "8421504"},
        {"CardNum", "-1"},
    };
    QCOMPARE(saveList(v), expected);
}

void TestSettingsRules::itemsOfStoredCodes() {
    QCOMPARE(modeItemOf(0), 0);
    QCOMPARE(modeItemOf(8), 3);
    QCOMPARE(modeItemOf(10), 5);
    QCOMPARE(modeItemOf(5), -1);
    QCOMPARE(cardItemOf(-1), 0);
    QCOMPARE(cardItemOf(2), 3);
    QCOMPARE(cardItemOf(3), -1);
    QCOMPARE(greyOf(0x56), 0x565656u);
    QCOMPARE(greyOf(999), 0xFFFFFFu);
}

void TestSettingsRules::scalePreviewIsDrawnInTheGrey() {
    const QImage image = scalePreview(0x909090);
    QCOMPARE(image.size(), QSize(183, 20));
    QCOMPARE(image.pixelColor(0, 10), QColor(0x90, 0x90, 0x90));
    QCOMPARE(image.pixelColor(160, 10), QColor(0x90, 0x90, 0x90));
    // The line stops before x = 161, and the field is black away from the texts.
    QCOMPARE(image.pixelColor(161, 19), QColor(Qt::black));
    QCOMPARE(image.pixelColor(100, 18), QColor(Qt::black));
    QCOMPARE(image.pixelColor(100, 9), QColor(Qt::black));
    bool text = false;
    for (int x = 0; x < 40 && !text; ++x)
        for (int y = 0; y < 9 && !text; ++y)
            text = image.pixelColor(x, y) != QColor(Qt::black);
    QVERIFY2(text, "\"Waterfall\" is drawn in the top left corner");
}

void TestSettingsRules::serialDevices() {
    QTemporaryDir dir;
    PseudoTerminal pty;
    QVERIFY(!pty.path().isEmpty());
    QFile plain(dir.filePath(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    const QString link = dir.filePath(QStringLiteral("usb-FTDI-port0"));
    QVERIFY(QFile::link(pty.path(), link));
    const QString dangling = dir.filePath(QStringLiteral("unplugged"));
    QVERIFY(QFile::link(dir.filePath(QStringLiteral("gone")), dangling));

    QCOMPARE(probeSerialDevice(pty.path()).kind, SerialDeviceState::Serial);
    QCOMPARE(probeSerialDevice(pty.path()).target, QString());
    const SerialDeviceState byLink = probeSerialDevice(link);
    QCOMPARE(byLink.kind, SerialDeviceState::Serial);
    QCOMPARE(byLink.target, pty.path());
    QCOMPARE(probeSerialDevice(dangling).kind, SerialDeviceState::Missing);
    QCOMPARE(probeSerialDevice(dir.filePath(QStringLiteral("none"))).kind, SerialDeviceState::Missing);
    QCOMPARE(probeSerialDevice(QString()).kind, SerialDeviceState::Missing);
    QCOMPARE(probeSerialDevice(plain.fileName()).kind, SerialDeviceState::NotSerial);
    QCOMPARE(probeSerialDevice(dir.path()).kind, SerialDeviceState::NotSerial);
    QCOMPARE(probeSerialDevice(QStringLiteral("/dev/null")).kind, SerialDeviceState::NotSerial);
#if defined(Q_OS_LINUX)
    // The controlling-terminal alias is a terminal but not a port.
    QCOMPARE(probeSerialDevice(QStringLiteral("/dev/ptmx")).kind, SerialDeviceState::NotSerial);
#endif
}

void TestSettingsRules::bandSelectorDrag_data() {
    QTest::addColumn<int>("startLow");
    QTest::addColumn<int>("startHigh");
    QTest::addColumn<int>("pressHz");
    QTest::addColumn<int>("dragX"); // where the drag ends; -1000 / 10000: beyond the bar
    QTest::addColumn<int>("low");
    QTest::addColumn<int>("high");
    // The nearer edge follows the press, then the drag.
    QTest::newRow("low edge, dragged down") << 1000 << 2000 << 1100 << -1 << 1100 << 2000;
    QTest::newRow("high edge, dragged up") << 1000 << 2000 << 1900 << -1 << 1000 << 1900;
    QTest::newRow("press below the band takes the low edge") << 1000 << 2000 << 300 << -1 << 300 << 2000;
    QTest::newRow("low edge stops at the high one") << 1000 << 2000 << 1000 << 10000 << 2000 << 2000;
    QTest::newRow("high edge stops at the low one") << 1000 << 2000 << 2000 << -1000 << 1000 << 1000;
    QTest::newRow("high edge clamped to 3500") << 1000 << 2000 << 2100 << 10000 << 1000 << 3500;
    QTest::newRow("low edge clamped to 100") << 1000 << 2000 << 900 << -1000 << 100 << 2000;
}

void TestSettingsRules::bandSelectorDrag() {
    QFETCH(int, startLow);
    QFETCH(int, startHigh);
    QFETCH(int, pressHz);
    QFETCH(int, dragX);
    TBandSelector band;
    band.resize(547, 48);
    band.setEdges(startLow, startHigh);
    QSignalSpy changed(&band, &TBandSelector::edgesChanged);
    const int y = 10;
    QTest::mousePress(&band, Qt::LeftButton, {}, {band.xOf(pressHz), y});
    if (dragX != -1) {
        // The press sets the edge where the pixel is; the check is on the drag's end.
        QMouseEvent move(QEvent::MouseMove, QPointF(dragX, y), band.mapToGlobal(QPointF(dragX, y)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&band, &move);
        QTest::mouseRelease(&band, Qt::LeftButton, {}, {std::clamp(dragX, 0, 546), y});
        QTEST(band.low(), "low");
        QTEST(band.high(), "high");
    } else {
        QTest::mouseRelease(&band, Qt::LeftButton, {}, {band.xOf(pressHz), y});
        // One pixel is about 6.3 Hz on this scale.
        QFETCH(int, low);
        QFETCH(int, high);
        QVERIFY2(std::abs(band.low() - low) <= 4, qPrintable(QString::number(band.low())));
        QVERIFY2(std::abs(band.high() - high) <= 4, qPrintable(QString::number(band.high())));
    }
    QVERIFY(!changed.isEmpty());
    QVERIFY(band.low() <= band.high());
}

void TestSettingsRules::bandSelectorLooks() {
    TBandSelector band;
    band.resize(547, 48);
    QCOMPARE(band.cursor().shape(), Qt::SizeHorCursor);
    QCOMPARE(band.frequencyAt(band.xOf(100)), 100);
    QCOMPARE(band.frequencyAt(band.xOf(3500)), 3500);
    // A mark every 200 Hz: 18 of them, from 100 to 3500.
    band.setEdges(1000, 2000);
    const QImage image = band.grab().toImage();
    const int markRow = 4 + 16 + 2;
    const QColor text = band.palette().color(QPalette::WindowText);
    int marks = 0;
    for (int hz = 100; hz <= 3500; hz += 200)
        marks += image.pixelColor(band.xOf(hz), markRow) == text ? 1 : 0;
    QCOMPARE(marks, 18);
    // The band is shown inside the bar, the rest of the bar is black.
    QVERIFY(image.pixelColor(band.xOf(1500), 12) != QColor(Qt::black));
    QCOMPARE(image.pixelColor(band.xOf(500), 12), QColor(Qt::black));
}

QTEST_MAIN(TestSettingsRules)
#include "test_settings_rules.moc"
