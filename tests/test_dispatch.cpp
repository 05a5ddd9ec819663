// The sound-card connection and the handlers of the modem's five messages,
// driven through a recording modem.

#include "FormFixture.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"
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
        f.toolBar().Connection->trigger();
        QCOMPARE(fx.modem.calls, QStringList({"fnStartSoundCard(2,25,0)", "fnSetFFTMode(3,100,1)",
                                              "fnSetRXFrequency(100,10,0)", "fnSetRXPSKMode(9,0)",
                                              "fnSetAFCLimit(25,0)", "fnSetClockErrorAdjustment(-12)",
                                              "fnSetSquelchThreshold(40,7,0)", "fnSetCWIDSpeed(2)",
                                              "fnSetCWIDString(Q9ZZV/P)"}));
        QVERIFY(f.link().SoundCardActive);
        QVERIFY(f.status().LedOne->isLit());
        QCOMPARE(f.status().LedOne->toolTip(), QString("Soundcard is active"));
        QCOMPARE(f.toolBar().Connection->toolTip(), QString("Disconnect soundcard"));
        QCOMPARE(f.toolBar().Connection->property("imageIndex").toInt(), 2);
        QCOMPARE(f.status().RXLed->toolTip(), QString("No reception"));
        QCOMPARE(f.status().TXLed->toolTip(), QString("No transmission"));
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
        f.toolBar().Connection->trigger();
        QCOMPARE(fx.dialogs.shown.size(), 1);
        QCOMPARE(fx.dialogs.shown[0].caption, QString("Error"));
        QCOMPARE(fx.dialogs.shown[0].icon, Dialogs::Icon::Error);
        QCOMPARE(fx.dialogs.shown[0].text, text);
        QVERIFY(!f.link().SoundCardActive);
        QVERIFY(!f.status().LedOne->isLit());
        QCOMPARE(f.status().LedOne->toolTip(), QString("Soundcard is inactive"));
        QCOMPARE(f.toolBar().Connection->toolTip(), QString("Connect/activate soundcard"));
        QCOMPARE(f.status().StatusBar->panelText(2), QString("Program is idle"));
        QVERIFY(f.toolBar().Connection->isEnabled());
        QCOMPARE(fx.modem.callsOf({"fnSetFFTMode"}).size(), 0);
        // One more click tries again.
        fx.modem.startResult = 0;
        fx.modem.calls.clear();
        f.toolBar().Connection->trigger();
        QVERIFY(f.link().SoundCardActive);
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
        f.tracks().ActiveTrack = 4;
        f.transmit().Tuning = tuning;
        f.transmit().Transmitting = transmitting;
        fx.modem.txRemaining = remaining;
        f.qso().RXBuf->setPlainText("CQ CQ");
        f.toolBar().Connection->trigger();
        QCOMPARE(fx.modem.calls, calls);
        QVERIFY(!f.link().SoundCardActive && !f.transmit().Tuning && !f.transmit().Transmitting);
        QCOMPARE(f.tracks().TrackCount, 0);
        QCOMPARE(f.tracks().ActiveTrack, 0);
        QCOMPARE(f.tracks().PendingTrackDelete, -1);
        QVERIFY(std::all_of(f.tracks().TrackTable.begin(), f.tracks().TrackTable.end(),
                            [](auto *e) { return e == nullptr; }));
        QVERIFY(!f.macros().MacroSheet1->isEnabled() && !f.macros().MacroSheet2->isEnabled());
        QVERIFY(!f.status().LedOne->isLit() && !f.status().RXLed->isLit() && !f.status().TXLed->isLit());
        QCOMPARE(f.toolBar().Connection->toolTip(), QString("Connect/activate soundcard"));
        QCOMPARE(f.status().StatusBar->panelText(2), QString("Program is idle"));
        // Stopping a transmission does not write its stop line.
        QCOMPARE(f.qso().RXBuf->toPlainText(), QString("CQ CQ"));
    }

    void clicksDuringTheStopWaitDoNotInterleave() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        f.transmit().Transmitting = true;
        // A click and a modem message arrive while the stop sequence waits.
        QTimer::singleShot(50, &f, [&] {
            QVERIFY(f.link().connectSequenceRunning());
            f.toolBar().Connection->trigger();
            post(f, ModemEvent::Status, 1, 0);
        });
        f.toolBar().Connection->trigger();
        QVERIFY(!f.link().SoundCardActive);
        QCOMPARE(fx.modem.callsOf({"fnStartSoundCard", "fnStopSoundCard"}), QStringList{"fnStopSoundCard()"});
        QVERIFY(!f.transmit().Transmitting);
        QVERIFY(!f.qso().RXBuf->toPlainText().contains("Transmission started..."));
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
        f.tracks().ActiveTrack = 2;
        f.displays().Monitor->setCurrentIndex(page);
        fx.modem.signalLevel = 73;
        fx.modem.rxFrequency = 1234;
        fx.modem.fftFill = 42;
        post(f, ModemEvent::DataReady, 0, 0);
        QCOMPARE(fx.modem.calls, calls);
        QCOMPARE(f.tuning().SIGTrack->position(), 73);
        QCOMPARE(f.tuning().RXSpin->value(), 1234);
        QCOMPARE(f.displays().FFTData[25], 42);
        QCOMPARE(f.displays().FFTData[896], 42);
        QCOMPARE(f.displays().FFTData[24], 0);
        QCOMPARE(f.status().StatusBar->panelText(2), QString("Receiving now..."));
        QVERIFY(f.status().RXLed->isLit() && !f.status().TXLed->isLit());
        QCOMPARE(f.status().RXLed->toolTip(), QString("Receiving now..."));
    }

    void overloadWarnsOnEveryMessage() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        fx.modem.fftResult = 0x101; // only the low byte counts
        post(f, ModemEvent::DataReady, 0, 0);
        post(f, ModemEvent::DataReady, 0, 0);
        QCOMPARE(fx.dialogs.beeps, 2);
        QCOMPARE(f.status().StatusMessage, QString("Signal overload ! Decrease soundcard input level"));
        QCOMPARE(f.status().StatusIcon, 23);
        QVERIFY(!f.status().RXLed->isLit());
        fx.modem.fftResult = 0x100;
        post(f, ModemEvent::DataReady, 0, 0);
        QCOMPARE(fx.dialogs.beeps, 2);
        QVERIFY(f.status().RXLed->isLit());
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
        f.tracks().ActiveTrack = 5;
        t3->setText("ab");
        t5->setText("ab");
        f.qso().RXBuf->setPlainText("ab");
        f.qso().RXBuf->moveCursor(QTextCursor::Start);
        for (int c : chars)
            post(f, ModemEvent::Character, c, channel);
        QCOMPARE(f.qso().RXBuf->toPlainText(), rx);
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
        QCOMPARE(f.qso().RXBuf->toPlainText(), QString());
    }

    void statusMessages() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        fx.addTrack(0);
        f.toolBar().CWIdentification->setEnabled(true);
        f.transmit().TXBuf->setPlainText("hello");

        post(f, ModemEvent::Status, 1, 0);
        QVERIFY(f.transmit().Transmitting);
        QCOMPARE(f.status().StatusBar->panelText(2), QString("In transmission mode..."));
        QVERIFY(f.status().TXLed->isLit() && !f.status().RXLed->isLit());
        QCOMPARE(f.status().TXLed->toolTip(), QString("Transmitting..."));
        QVERIFY(!f.tuning().Canal->isEnabled());
        QVERIFY(f.qso().RXBuf->toPlainText().startsWith("Transmission started...\n"));

        post(f, ModemEvent::Status, 3, 0);
        QCOMPARE(f.status().StatusMessage, QString("Finishing transmitting remaining characters..."));
        QCOMPARE(f.status().StatusIcon, 23);

        fx.modem.txRemaining = 0;
        post(f, ModemEvent::Status, 0, 0);
        QVERIFY(!f.transmit().Transmitting);
        QCOMPARE(f.status().StatusBar->panelText(2), QString("In reception mode..."));
        QVERIFY(f.toolBar().Tune->isEnabled());
        QVERIFY(!f.toolBar().CWIdentification->isEnabled());
        QCOMPARE(f.toolBar().Transmit->toolTip(), QString("Toggle to transmit mode"));
        QCOMPARE(f.toolBar().Transmit->property("imageIndex").toInt(), 3);
        QVERIFY(f.tuning().Canal->isEnabled());
        QCOMPARE(f.transmit().TXBuf->toPlainText(), QString());
        const QStringList lines = f.qso().RXBuf->toPlainText().split('\n');
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines[2], QString("Transmission stopped..."));
        // The stamp: weekday, day, month name, year, then 14h05 30s.
        const QLocale l = QLocale::system();
        QCOMPARE(lines[3], QString("%1 10 %2 2026, 14h05 30s").arg(l.dayName(4), l.monthName(12)));
        QVERIFY(fx.dialogs.shown.isEmpty());

        post(f, ModemEvent::Status, 34, 0);
        QCOMPARE(fx.dialogs.texts(), QStringList{"Can't open wave file for input"});
        QVERIFY(f.link().SoundCardActive);
    }

    // Each stamp is two lines of its own, whatever the pane ended with: the
    // echo of the sent text and the reception after it start on fresh lines.
    void stampsTakeLinesOfTheirOwn_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        const QLocale l = QLocale::system();
        const QString when = QString("%1 10 %2 2026, 14h05 30s").arg(l.dayName(4), l.monthName(12));
        const QString stamps =
            "Transmission started...\n" + when + "\nhi\nTransmission stopped...\n" + when + "\nok";
        QTest::newRow("empty pane") << QString() << stamps;
        QTest::newRow("after received text") << "cq de Q9ZZV"
                                             << "cq de Q9ZZV\n" + stamps;
        QTest::newRow("after a line end") << "cq de Q9ZZV\n"
                                          << "cq de Q9ZZV\n" + stamps;
    }
    void stampsTakeLinesOfTheirOwn() {
        QFETCH(QString, before);
        QFETCH(QString, after);
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        fx.addTrack(0);
        f.qso().RXBuf->setPlainText(before);
        post(f, ModemEvent::Status, 1, 0);
        for (char c : QByteArray("hi"))
            post(f, ModemEvent::Character, c, -1);
        fx.modem.txRemaining = 0;
        post(f, ModemEvent::Status, 0, 0);
        for (char c : QByteArray("ok"))
            post(f, ModemEvent::Character, c, 0);
        QCOMPARE(f.qso().RXBuf->toPlainText(), after);
    }

    void receptionWithCharactersStillQueuedKeepsTheTransmitPane() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        post(f, ModemEvent::Status, 1, 0);
        f.transmit().TXBuf->setPlainText("more");
        fx.modem.txRemaining = 3;
        post(f, ModemEvent::Status, 0, 0);
        QCOMPARE(f.transmit().TXBuf->toPlainText(), QString("more"));
        QVERIFY(!f.qso().RXBuf->toPlainText().contains("Transmission stopped..."));
        QVERIFY(!f.toolBar().Tune->isEnabled()); // no track
        QVERIFY(!f.tuning().Canal->isEnabled());
    }

    void levelAndClockMessages() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.connect();
        const QString imdBefore = f.tuning().IMDd->text();
        post(f, ModemEvent::Level, -47, -1);
        QCOMPARE(f.status().StatusBar->panelText(1), QString("Noise level -47dB"));
        QCOMPARE(f.tuning().IMDd->text(), imdBefore);
        post(f, ModemEvent::Level, -28, 12);
        QCOMPARE(f.tuning().IMDd->text(), QString("IMD -28dB"));
        QCOMPARE(f.status().StatusBar->panelText(1), QString("Noise level -47dB"));
        post(f, ModemEvent::ClockError, -35, 0);
        QCOMPARE(f.tuning().PPMd->text(), QString("-35 ppm"));
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
        QVERIFY(!f.transmit().Transmitting);
        QVERIFY(fx.dialogs.shown.isEmpty());
        QCOMPARE(f.status().StatusBar->panelText(1), QString());
        QCOMPARE(f.tuning().PPMd->text(), QString());
    }
};

QTEST_MAIN(TestDispatch)
#include "test_dispatch.moc"
