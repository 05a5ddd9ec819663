// The sound-card connection and the handlers of the modem's five messages,
// driven through a recording modem.

#include "FormFixture.h"
#include "app/StatusBar.h"
#include "app/Widgets.h"
#include "modem/ModemEvent.h"
#include "modem/ModemStatusText.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

class TestDispatch : public QObject {
    Q_OBJECT

    static void post(TPSKForm &f, int message, int32_t w, int32_t l) {
        ModemEvent e(message, w, l);
        QCoreApplication::sendEvent(&f, &e);
    }

private slots:
    void statusTexts_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("reception") << 0 << "In reception mode...";
        QTest::newRow("finishing") << 3 << "Finishing transmitting remaining characters...";
        QTest::newRow("no card") << 21 << "Bad device ID, soundcard not present";
        QTest::newRow("lower case kept") << 13 << "timed out waiting for input buffers";
        QTest::newRow("last") << 43 << "Tried to write and file is not open";
        QTest::newRow("gap 8") << 8 << "Unknown error: code 8";
        QTest::newRow("gap 41") << 41 << "Unknown error: code 41";
        QTest::newRow("negative") << -1 << "Unknown error: code -1";
        QTest::newRow("beyond") << 44 << "Unknown error: code 44";
    }
    void statusTexts() {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(ModemStatusText(code), text);
    }

    void startConfiguresTheLibraryInOrder() {
        FormFixture fx;
        fx.storeText("[Settings]\nFFTAdjust=3\nRXMode=9\nPPMAdjust=-12\nCWIDSpeed=1\nCWID=Q9ZZV/P\n"
                     "SQValue=40\nSQSpeed=7\nAFCRange=25\nCardNum=2\n");
        TPSKForm &f = fx.create();
        fx.modem.calls.clear();
        f.Connection->trigger();
        QCOMPARE(fx.modem.calls, QStringList({"fnStartSoundCard(2,25,0)", "fnSetFFTMode(3,100,1)",
                                              "fnSetRXFrequency(100,10,0)", "fnSetRXPSKMode(9,0)",
                                              "fnSetAFCLimit(25,0)", "fnSetClockErrorAdjustment(-12)",
                                              "fnSetSquelchThreshold(40,7,0)", "fnSetCWIDSpeed(2)",
                                              "fnSetCWIDString(Q9ZZV/P)"}));
        QVERIFY(f.SoundCardActive);
        QVERIFY(f.LedOne->isLit());
        QCOMPARE(f.LedOne->toolTip(), QString("Soundcard is active"));
        QCOMPARE(f.Connection->toolTip(), QString("Disconnect soundcard"));
        QCOMPARE(f.Connection->property("imageIndex").toInt(), 2);
        QCOMPARE(f.RXLed->toolTip(), QString("No reception"));
        QCOMPARE(f.TXLed->toolTip(), QString("No transmission"));
        QCOMPARE(fx.modem.receiver, &f);
    }

    void failedStartLeavesTheButtonReady_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("no card") << 21 << "Bad device ID, soundcard not present";
        QTest::newRow("format") << 17 << "Card doesn't support 16 bits, 8000 Hz, Mono format";
        QTest::newRow("no text") << 41 << "Unknown error: code 41";
    }
    void failedStartLeavesTheButtonReady() {
        QFETCH(int, code);
        QFETCH(QString, text);
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.modem.startResult = code;
        f.Connection->trigger();
        QCOMPARE(fx.dialogs.shown.size(), 1);
        QCOMPARE(fx.dialogs.shown[0].caption, QString("Error"));
        QCOMPARE(fx.dialogs.shown[0].icon, Dialogs::Icon::Error);
        QCOMPARE(fx.dialogs.shown[0].text, text);
        QVERIFY(!f.SoundCardActive);
        QVERIFY(!f.LedOne->isLit());
        QCOMPARE(f.LedOne->toolTip(), QString("Soundcard is inactive"));
        QCOMPARE(f.Connection->toolTip(), QString("Connect/activate soundcard"));
        QCOMPARE(f.StatusBar->panelText(2), QString("Program is idle"));
        QVERIFY(f.Connection->isEnabled());
        QCOMPARE(fx.modem.callsOf({"fnSetFFTMode"}).size(), 0);
        // One more click tries again.
        fx.modem.startResult = 0;
        fx.modem.calls.clear();
        f.Connection->trigger();
        QVERIFY(f.SoundCardActive);
        QCOMPARE(fx.modem.calls.first(), QString("fnStartSoundCard(-1,25,0)"));
    }

    void stopSequence_data() {
        QTest::addColumn<bool>("tuning");
        QTest::addColumn<bool>("transmitting");
        QTest::addColumn<int>("remaining");
        QTest::addColumn<QStringList>("calls");
        const QStringList teardown{"fnStopSoundCard()", "fnEnableRXChannel(0,0)", "fnEnableRXChannel(4,0)"};
        QTest::newRow("receiving") << false << false << 0 << teardown;
        QTest::newRow("tuning") << true << false << 0 << QStringList{"fnStopTX()"} + teardown;
        QTest::newRow("sending, queue empty")
            << false << true << 0 << QStringList{"fnGetTXCharsRemaining()", "fnAbortTX()"} + teardown;
        QTest::newRow("sending, queue full")
            << false << true << 5
            << QStringList{"fnGetTXCharsRemaining()", "fnClearTXBuffer()", "fnAbortTX()"} + teardown;
        QTest::newRow("both") << true << true << 0
                              << QStringList{"fnStopTX()", "fnGetTXCharsRemaining()", "fnAbortTX()"} + teardown;
    }
    void stopSequence() {
        QFETCH(bool, tuning);
        QFETCH(bool, transmitting);
        QFETCH(int, remaining);
        QFETCH(QStringList, calls);
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        fx.addTrack(0);
        fx.addTrack(4);
        f.ActiveTrack = 4;
        f.Tuning = tuning;
        f.Transmitting = transmitting;
        fx.modem.txRemaining = remaining;
        f.RXBuf->setPlainText("CQ CQ");
        f.Connection->trigger();
        QCOMPARE(fx.modem.calls, calls);
        QVERIFY(!f.SoundCardActive && !f.Tuning && !f.Transmitting);
        QCOMPARE(f.TrackCount, 0);
        QCOMPARE(f.ActiveTrack, 0);
        QCOMPARE(f.PendingTrackDelete, -1);
        QVERIFY(std::all_of(f.TrackTable.begin(), f.TrackTable.end(), [](auto *e) { return e == nullptr; }));
        QVERIFY(!f.MacroSheet1->isEnabled() && !f.MacroSheet2->isEnabled());
        QVERIFY(!f.LedOne->isLit() && !f.RXLed->isLit() && !f.TXLed->isLit());
        QCOMPARE(f.Connection->toolTip(), QString("Connect/activate soundcard"));
        QCOMPARE(f.StatusBar->panelText(2), QString("Program is idle"));
        // Stopping a transmission does not write its stop line.
        QCOMPARE(f.RXBuf->toPlainText(), QString("CQ CQ"));
    }

    void clicksDuringTheStopWaitDoNotInterleave() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        f.Transmitting = true;
        // A click and a modem message arrive while the stop sequence waits.
        QTimer::singleShot(50, &f, [&] {
            QVERIFY(f.connectSequenceRunning());
            f.Connection->trigger();
            post(f, ModemEvent::Status, 1, 0);
        });
        f.Connection->trigger();
        QVERIFY(!f.SoundCardActive);
        QCOMPARE(fx.modem.callsOf({"fnStartSoundCard", "fnStopSoundCard"}), QStringList{"fnStopSoundCard()"});
        QVERIFY(!f.Transmitting);
        QVERIFY(!f.RXBuf->toPlainText().contains("Transmission started..."));
    }

    void dataReadyFetchesInOrder_data() {
        QTest::addColumn<int>("page");
        QTest::addColumn<QStringList>("calls");
        const QStringList common{"fnGetFFTData(25,896)", "fnGetSignalLevel(2)", "fnGetRXFrequency(2)",
                                 "fnGetSyncData(2)", "fnGetVectorData(2)"};
        QTest::newRow("spectrum page") << 0 << common;
        QTest::newRow("signal page") << 1 << QStringList{"fnGetRawData(0,1023)"} + common;
        QTest::newRow("sync page") << 2 << common;
    }
    void dataReadyFetchesInOrder() {
        QFETCH(int, page);
        QFETCH(QStringList, calls);
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        f.ActiveTrack = 2;
        f.Monitor->setCurrentIndex(page);
        fx.modem.signalLevel = 73;
        fx.modem.rxFrequency = 1234;
        fx.modem.fftFill = 42;
        post(f, ModemEvent::DataReady, 0, 0);
        QCOMPARE(fx.modem.calls, calls);
        QCOMPARE(f.SIGTrack->position(), 73);
        QCOMPARE(f.RXSpin->value(), 1234);
        QCOMPARE(f.FFTData[25], 42);
        QCOMPARE(f.FFTData[896], 42);
        QCOMPARE(f.FFTData[24], 0);
        QCOMPARE(f.StatusBar->panelText(2), QString("Receiving now..."));
        QVERIFY(f.RXLed->isLit() && !f.TXLed->isLit());
        QCOMPARE(f.RXLed->toolTip(), QString("Receiving now..."));
    }

    void overloadWarnsOnEveryMessage() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        fx.modem.fftResult = 0x101; // only the low byte counts
        post(f, ModemEvent::DataReady, 0, 0);
        post(f, ModemEvent::DataReady, 0, 0);
        QCOMPARE(fx.dialogs.beeps, 2);
        QCOMPARE(f.StatusMessage, QString("Signal overload ! Decrease soundcard input level"));
        QCOMPARE(f.StatusIcon, 23);
        QVERIFY(!f.RXLed->isLit());
        fx.modem.fftResult = 0x100;
        post(f, ModemEvent::DataReady, 0, 0);
        QCOMPARE(fx.dialogs.beeps, 2);
        QVERIFY(f.RXLed->isLit());
    }

    void characters_data() {
        QTest::addColumn<QList<int>>("chars");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("rx");
        QTest::addColumn<QString>("track3");
        QTest::addColumn<QString>("track5");
        // Track 5 is active; both edits and the pane start with "ab".
        QTest::newRow("other channel") << QList<int>{'x'} << 3 << "ab" << "abx" << "ab";
        QTest::newRow("active channel") << QList<int>{'x'} << 5 << "abx" << "ab" << "abx";
        QTest::newRow("channel -1 is the active one") << QList<int>{'y'} << -1 << "aby" << "ab" << "aby";
        QTest::newRow("carriage return") << QList<int>{13, 'z'} << 5 << "ab\nz" << "ab" << "ab z";
        QTest::newRow("backspace") << QList<int>{8} << 5 << "a" << "ab" << "a";
        QTest::newRow("latin-1") << QList<int>{0xE9, 0xFF} << 5 << "ab\u00e9\u00ff" << "ab" << "ab\u00e9\u00ff";
        QTest::newRow("controls dropped") << QList<int>{1, 7, 9, 10, 12, 14, 31, 256, 0x1FF} << 5 << "ab"
                                          << "ab" << "ab";
        QTest::newRow("high bits of wParam ignored") << QList<int>{0x10041} << 5 << "abA" << "ab" << "abA";
        QTest::newRow("empty slot") << QList<int>{'q'} << 7 << "ab" << "ab" << "ab";
        QTest::newRow("channel out of range") << QList<int>{'q'} << 25 << "ab" << "ab" << "ab";
    }
    void characters() {
        QFETCH(QList<int>, chars);
        QFETCH(int, channel);
        QFETCH(QString, rx);
        QFETCH(QString, track3);
        QFETCH(QString, track5);
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        QLineEdit *t3 = fx.addTrack(3);
        QLineEdit *t5 = fx.addTrack(5);
        f.ActiveTrack = 5;
        t3->setText("ab");
        t5->setText("ab");
        f.RXBuf->setPlainText("ab");
        f.RXBuf->moveCursor(QTextCursor::Start);
        for (int c : chars)
            post(f, ModemEvent::Character, c, channel);
        QCOMPARE(f.RXBuf->toPlainText(), rx);
        QCOMPARE(t3->text(), track3);
        QCOMPARE(t5->text(), track5);
    }

    void charactersNeedATrackAndARunningCard() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        post(f, ModemEvent::Character, 'a', -1); // stopped
        fx.connect();
        post(f, ModemEvent::Character, 'b', 0); // no track
        post(f, ModemEvent::Character, 'c', -1);
        QCOMPARE(f.RXBuf->toPlainText(), QString());
    }

    void statusMessages() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        fx.addTrack(0);
        f.CWIdentification->setEnabled(true);
        f.TXBuf->setPlainText("hello");

        post(f, ModemEvent::Status, 1, 0);
        QVERIFY(f.Transmitting);
        QCOMPARE(f.StatusBar->panelText(2), QString("In transmission mode..."));
        QVERIFY(f.TXLed->isLit() && !f.RXLed->isLit());
        QCOMPARE(f.TXLed->toolTip(), QString("Transmitting..."));
        QVERIFY(!f.Canal->isEnabled());
        QVERIFY(f.RXBuf->toPlainText().startsWith("Transmission started...\n"));

        post(f, ModemEvent::Status, 3, 0);
        QCOMPARE(f.StatusMessage, QString("Finishing transmitting remaining characters..."));
        QCOMPARE(f.StatusIcon, 23);

        fx.modem.txRemaining = 0;
        post(f, ModemEvent::Status, 0, 0);
        QVERIFY(!f.Transmitting);
        QCOMPARE(f.StatusBar->panelText(2), QString("In reception mode..."));
        QVERIFY(f.Tune->isEnabled());
        QVERIFY(!f.CWIdentification->isEnabled());
        QCOMPARE(f.Transmit->toolTip(), QString("Toggle to transmit mode"));
        QCOMPARE(f.Transmit->property("imageIndex").toInt(), 3);
        QVERIFY(f.Canal->isEnabled());
        QCOMPARE(f.TXBuf->toPlainText(), QString());
        const QStringList lines = f.RXBuf->toPlainText().split('\n');
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[2], QString("Transmission stopped..."));
        // The stamp: weekday, day, month name, year, then 14h05 30s.
        const QLocale l = QLocale::system();
        QCOMPARE(lines[3], QString("%1 10 %2 2026, 14h05 30s").arg(l.dayName(4), l.monthName(12)));
        QVERIFY(fx.dialogs.shown.isEmpty());

        post(f, ModemEvent::Status, 34, 0);
        QCOMPARE(fx.dialogs.texts(), QStringList{"Can't open wave file for input"});
        QVERIFY(f.SoundCardActive);
    }

    void receptionWithCharactersStillQueuedKeepsTheTransmitPane() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        post(f, ModemEvent::Status, 1, 0);
        f.TXBuf->setPlainText("more");
        fx.modem.txRemaining = 3;
        post(f, ModemEvent::Status, 0, 0);
        QCOMPARE(f.TXBuf->toPlainText(), QString("more"));
        QVERIFY(!f.RXBuf->toPlainText().contains("Transmission stopped..."));
        QVERIFY(!f.Tune->isEnabled()); // no track
        QVERIFY(!f.Canal->isEnabled());
    }

    void levelAndClockMessages() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        const QString imdBefore = f.IMDd->text();
        post(f, ModemEvent::Level, -47, -1);
        QCOMPARE(f.StatusBar->panelText(1), QString("Noise level -47dB"));
        QCOMPARE(f.IMDd->text(), imdBefore);
        post(f, ModemEvent::Level, -28, 12);
        QCOMPARE(f.IMDd->text(), QString("IMD -28dB"));
        QCOMPARE(f.StatusBar->panelText(1), QString("Noise level -47dB"));
        post(f, ModemEvent::ClockError, -35, 0);
        QCOMPARE(f.PPMd->text(), QString("-35 ppm"));
    }

    void messagesWhileStoppedChangeNothing() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        post(f, ModemEvent::DataReady, 0, 0);
        post(f, ModemEvent::Status, 1, 0);
        post(f, ModemEvent::Status, 21, 0);
        post(f, ModemEvent::Level, -40, -1);
        post(f, ModemEvent::ClockError, 12, 0);
        QVERIFY(fx.modem.callsOf({"fnGetFFTData"}).isEmpty());
        QVERIFY(!f.Transmitting);
        QVERIFY(fx.dialogs.shown.isEmpty());
        QCOMPARE(f.StatusBar->panelText(1), QString());
        QCOMPARE(f.PPMd->text(), QString());
    }
};

QTEST_MAIN(TestDispatch)
#include "test_dispatch.moc"
