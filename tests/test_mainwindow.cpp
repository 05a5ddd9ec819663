// The main window: creation from the stored settings, its controls, the
// status bar, the timer and the closing sequence.

#include "FormFixture.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTimeZone>
#include <QTimer>
#include <QToolBar>
#include <QGroupBox>
#include <QRegularExpression>
#include <unistd.h>
#include <QToolButton>

class TestMainWindow : public QObject {
    Q_OBJECT

    static QString stored(const QString &ini, const QString &key) {
        QSettings s(ini, QSettings::IniFormat);
        return s.value(key).toString();
    }

private slots:
    void everyRegionIsThereByName() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        const char *names[] = {
            "ToolBar", "PageControl", "TBTerm", "WaterPanel", "WaterfallDisplay", "Canal", "ChannelTab",
            "SignalBox", "FreqBox", "SIGTrack", "SQLbl1", "SQTrack", "SQLbl2", "SQSSPin", "RXSpin", "TXSpin",
            "AFCCheck", "AFCSpin", "NETCheck", "PPMd", "IMDd", "MacroPage", "MacroSheet1", "MacroSheet2", "M1",
            "M20", "M21", "M40", "Monitor", "SpectrumDisplay", "SignalDisplay", "VisuPanel", "VECDisplay",
            "SyncDisplay", "QSOBox", "TheDate", "TheTime", "HisCall", "HisName", "HisRep", "TheInfo", "ClearBtn",
            "StoreBtn", "ViewBtn", "RXBuf", "TXBuf", "Infopanel", "LedOne", "LedTwo", "RXLed", "TXLed",
            "StatusBar", "ConnectBtn", "TransmitBtn", "TuneBtn", "CWIDBtn", "MacroBtn", "WizBtn", "SndTxtBtn",
            "RewindBtn", "RXAudioBtn", "TXAudioBtn", "AAPropBtn", "ClearTrackBtn", "SetupBtn", "HelpBtn",
            "ContextBtn", "AboutBtn", "ExitBtn"};
        for (const char *n : names)
            QVERIFY2(f.findChild<QWidget *>(QString::fromLatin1(n)), n);
        QCOMPARE(f.objectName(), QString("PSKForm"));
        QCOMPARE(QString(f.metaObject()->className()), QString("TPSKForm"));
        QCOMPARE(f.toolBar().ToolBar->actions().size(), 17);
        QCOMPARE(f.displays().Monitor->count(), 3);
        QCOMPARE(f.displays().Monitor->tabText(1), QString(" Signal "));
        auto *m40 = f.findChild<QPushButton *>("M40");
        QCOMPARE(m40->geometry(), QRect(86, 4 + 20 * 9, 86, 20));
        QCOMPARE(m40->property("tag").toInt(), 39);
    }

    void toolBarActions_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("hint");
        QTest::addColumn<int>("icon");
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("keyword");
        QTest::newRow("connect") << "ConnectBtn" << "Connect/activate soundcard" << 1 << 1 << "ONF_BTN";
        QTest::newRow("audio") << "AAPropBtn" << "Adjust audio properties" << 10 << 16 << "SND_BTN";
        QTest::newRow("rx audio") << "RXAudioBtn" << "Adjust RX audio sound volume " << 11 << 9 << "IPT_BTN";
        QTest::newRow("exit") << "ExitBtn" << "Exit VARNEK..." << 18 << 15 << "EXT_BTN";
    }
    void toolBarActions() {
        QFETCH(QString, button);
        QFETCH(QString, hint);
        QFETCH(int, icon);
        QFETCH(int, tag);
        QFETCH(QString, keyword);
        FormFixture fx;
        TPSKForm &f = fx.create();
        auto *b = f.findChild<QToolButton *>(button);
        QVERIFY(b);
        QCOMPARE(b->defaultAction()->toolTip(), hint);
        QCOMPARE(b->defaultAction()->property("imageIndex").toInt(), icon);
        QCOMPARE(b->property("tag").toInt(), tag);
        QCOMPARE(b->property("helpContext").toInt(), tag);
        QCOMPARE(b->property("helpKeyword").toString(), keyword);
        QCOMPARE(b->size(), QSize(28, 27));
    }

    void freshStoreStartsWithTheDefaults() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        QVERIFY(fx.dialogs.shown.isEmpty());
        QCOMPARE(f.windowTitle(), QString("VARNEK v1.6a - NOCALL"));
        QVERIFY(f.tuning().AFCCheck->isChecked() && f.tuning().NETCheck->isChecked());
        QCOMPARE(f.tuning().AFCSpin->value(), 10);
        QCOMPARE(f.tuning().SQTrack->value(), 10);
        QCOMPARE(f.tuning().SQSSPin->value(), 1);
        QCOMPARE(f.tuning().SQLbl1->text(), QString("Squelsh threshold : 10"));
        QCOMPARE(f.tuning().RXSpin->value(), 100);
        QCOMPARE(f.tuning().TXSpin->value(), 100);
        QCOMPARE(f.displays().FFTLowBin, 25);
        QCOMPARE(f.displays().FFTHighBin, 896);
        QCOMPARE(f.displays().WFSpan, 3400);
        QCOMPARE(f.displays().SpectrumScale, 100);
        QVERIFY(!f.tuning().Canal->isEnabled());
        QCOMPARE(f.DateFormatPattern(), QString("c"));
        QCOMPARE(f.status().Infopanel->caption(), QString("Pskmodem version 1.05  "));
        QCOMPARE(f.toolBar().RewindSound->toolTip(), QString("Replay 0.256 seconds"));
        QCOMPARE(f.status().StatusBar->panelText(2), QString("Program is idle"));
        QCOMPARE(f.status().LedOne->toolTip(), QString("Soundcard idle"));
        QCOMPARE(f.status().LedTwo->toolTip(), QString("COM 1 is closed"));
        QVERIFY(!f.status().LedTwo->isLit());
        QVERIFY(!f.qso().ViewBtn->isEnabled() && !f.qso().StoreBtn->isEnabled() &&
                !f.qso().ClearBtn->isEnabled());
        QVERIFY(!f.link().SoundCardActive);
        QVERIFY(f.Timer()->isActive());
        QCOMPARE(f.Timer()->interval(), 15000);
        // Reading the stored values runs the handlers of the controls they
        // change, before the sound card is started.
        QCOMPARE(fx.modem.calls,
                 QStringList({"fnSetAFCLimit(0,0)", "fnSetSquelchThreshold(10,200,0)",
                              "fnSetSquelchThreshold(10,1,0)", "fnSetComPort(1,0)", "fnGetDLLVersion()"}));
    }

    void storedValuesAreApplied() {
        FormFixture fx;
        fx.storeText("[Settings]\nMyCall=q9zzv\nAFCOn=0\nNetOn=2\nSQValue=0\nSQSpeed=200\nBlocks=3\n"
                     "DateFormat=6\nComPort=3\nPTTControl=2\nWFMin=300\nWFMax=2700\n"
                     "[Look]\nRXBColor=255\nRXBFontName=Courier\nRXBFontCol=16777215\nRXBFontSize=11\n"
                     "RXBFontStyle=1100\n");
        TPSKForm &f = fx.create();
        QVERIFY(fx.dialogs.shown.isEmpty());
        QCOMPARE(f.windowTitle(), QString("VARNEK v1.6a - Q9ZZV"));
        QVERIFY(!f.tuning().AFCCheck->isChecked());
        QVERIFY(f.tuning().NETCheck->isChecked());
        // The design values of the squelch controls leave the label alone.
        QCOMPARE(f.tuning().SQLbl1->text(), QString("Squelch threshold"));
        QVERIFY(fx.modem.callsOf({"fnSetSquelchThreshold", "fnSetAFCLimit"}).isEmpty());
        QCOMPARE(f.toolBar().RewindSound->toolTip(),
                 QString("Replay %1 seconds").arg(QLocale::system().toString(0.768, 'g', 15)));
        // A date format outside 0..5 is out of range and gives the default, format 0.
        QCOMPARE(f.DateFormatPattern(), QString("c"));
        QCOMPARE(f.status().LedTwo->toolTip(), QString("COM 3 is open"));
        QVERIFY(f.status().LedTwo->isLit());
        QCOMPARE(fx.modem.callsOf({"fnSetComPort"}), QStringList{"fnSetComPort(3,2)"});
        QCOMPARE(f.displays().FFTLowBin, 76);
        QCOMPARE(f.displays().FFTHighBin, 691);
        QCOMPARE(f.qso().RXBuf->palette().color(QPalette::Base), QColor(255, 0, 0));
        QVERIFY(f.qso().RXBuf->font().bold() && f.qso().RXBuf->font().italic());
        QCOMPARE(f.qso().RXBuf->font().pointSize(), 11);
    }

    void readErrorStopsTheLoadWhereItHappened_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::newRow("byte array") << QByteArray("[Settings]\nMyCall=Q9ZZV\nAFCOn=0\nSQValue=@ByteArray(x)\n");
        QTest::newRow("list") << QByteArray("[Settings]\nMyCall=Q9ZZV\nAFCOn=0\nSQValue=1, 2\n");
    }
    void readErrorStopsTheLoadWhereItHappened() {
        QFETCH(QByteArray, ini);
        FormFixture fx;
        fx.storeText(ini);
        TPSKForm &f = fx.create();
        QCOMPARE(fx.dialogs.shown.size(), 1);
        QCOMPARE(fx.dialogs.shown[0].caption, QString("Warning"));
        QCOMPARE(fx.dialogs.shown[0].icon, Dialogs::Icon::Warning);
        QCOMPARE(fx.dialogs.shown[0].text, QString("Error reading the registry !"));
        // Read before the failure: applied. After it: design values, and defaults for the
        // running values.
        QCOMPARE(f.windowTitle(), QString("VARNEK v1.6a - Q9ZZV"));
        QVERIFY(!f.tuning().AFCCheck->isChecked());
        QCOMPARE(f.tuning().AFCSpin->value(), 10);
        QCOMPARE(f.tuning().SQTrack->value(), 0);
        QCOMPARE(f.tuning().SQSSPin->value(), 200);
        // Running values never read take their defaults (one block), not zeros.
        QCOMPARE(f.toolBar().RewindSound->toolTip(),
                 QString("Replay %1 seconds").arg(QLocale::system().toString(0.256, 'g', 15)));
        // A band that was never read falls back to the default instead of
        // dividing by zero.
        QCOMPARE(f.displays().FFTLowBin, 25);
        QCOMPARE(f.displays().FFTHighBin, 896);
        QVERIFY(f.displays().FFTBinSpan > 0 && f.displays().WFSpan > 0);
        // The window is still usable: the sound card starts.
        f.toolBar().Connection->trigger();
        QVERIFY(f.link().SoundCardActive);
    }

    void unreadableStoreIsReportedAndKept() {
        FormFixture fx;
        const QByteArray junk("[Settings]\nMyCall=\xff\xfe\x00garbage\n", 29);
        fx.storeText(junk);
        TPSKForm &f = fx.create();
        QCOMPARE(fx.dialogs.texts(), QStringList{"Error reading the registry !"});
        QCOMPARE(f.displays().FFTBinSpan, 896 - 25);
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        QVERIFY(f.close());
        QVERIFY(fx.dialogs.texts().contains("Error writing in the registry !"));
        // The operator's file is left exactly as it was for them to repair.
        QFile file(fx.iniPath);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), junk);
    }

    void libraryVersionAndComPort_data() {
        QTest::addColumn<int>("version");
        QTest::addColumn<QString>("shown");
        QTest::newRow("1.05") << 105 << "1.05";
        QTest::newRow("1.23") << 123 << "1.23";
        QTest::newRow("1.00") << 100 << "1.00";
    }
    void libraryVersionAndComPort() {
        QFETCH(int, version);
        QFETCH(QString, shown);
        FormFixture fx;
        fx.modem.version = version;
        fx.modem.comPortResult = 0x100; // only the low byte counts: refused
        TPSKForm &f = fx.create();
        QCOMPARE(f.status().Infopanel->caption(), "Pskmodem version " + shown + "  ");
        QCOMPARE(fx.dialogs.texts(), QStringList{"Error selecting COM port"});
        QCOMPARE(fx.dialogs.shown[0].caption, QString("Warning"));
    }

    // The COM lamp says what the library made of the port, not what was asked.
    void comLampFollowsThePort_data() {
        QTest::addColumn<int>("ptt");
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("lit");
        QTest::newRow("PTT on an accepted port") << 2 << 1 << true;
        QTest::newRow("PTT on a refused port") << 2 << 0x100 << false;
        QTest::newRow("no PTT") << 0 << 1 << false;
    }
    void comLampFollowsThePort() {
        QFETCH(int, ptt);
        QFETCH(int, result);
        QFETCH(bool, lit);
        FormFixture fx;
        fx.storeText(QStringLiteral("[Settings]\nComPort=3\nPTTControl=%1\n").arg(ptt).toLatin1());
        fx.modem.comPortResult = result;
        TPSKForm &f = fx.create();
        QCOMPARE(f.status().LedTwo->isLit(), lit);
        QCOMPARE(f.status().LedTwo->toolTip(), QString(lit ? "COM 3 is open" : "COM 3 is closed"));
    }

    void timerTickShowsTheClock() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        QCOMPARE(f.status().StatusBar->panelText(0), QString());
        QCOMPARE(f.qso().TheDate->text(), QString());
        f.status().PostStatusMessage("Signal overload ! Decrease soundcard input level", 23);
        fx.clock.set(QDateTime(QDate(2026, 12, 10), QTime(9, 7), Qt::UTC));
        f.TimerTimer();
        QCOMPARE(f.status().StatusBar->panelText(0), QString("09:07 UTC"));
        QCOMPARE(f.qso().TheTime->text(), QString("09:07"));
        QCOMPARE(f.qso().TheDate->text().remove(QRegularExpression("[^0-9]")), QString("20261210"));
        QCOMPARE(f.status().StatusIcon, 22);
        QVERIFY(f.status().StatusMessage != "Signal overload ! Decrease soundcard input level");
        QCOMPARE(f.status().LinkIcon, 21);
    }

    void statusBarPanels() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QCOMPARE(f.centralWidget()->size(), QSize(645, 450));
        f.resize(749, 530);
        QCOMPARE(f.status().StatusBar->panelWidth(4), 749 - 570);
        // The mouse over the sound-card panel says what the card is doing.
        QTest::mouseMove(f.status().StatusBar, QPoint(20, 10));
        QCOMPARE(f.status().StatusIcon, 22);
        QTest::mouseMove(f.status().StatusBar, QPoint(62 + 65 + 130 + 270 + 179 + 10, 10));
        QCOMPARE(f.status().StatusMessage, QString("Soundcard is inactive"));
        QCOMPARE(f.status().StatusIcon, 23);
        f.toolBar().Connection->trigger();
        QTest::mouseMove(f.status().StatusBar, QPoint(62 + 65 + 130 + 270 + 179 + 12, 11));
        QCOMPARE(f.status().StatusMessage, QString("Soundcard is active"));
        QCOMPARE(f.status().StatusIcon, 2);
        // The credit line replaces the version text over the panel's right end.
        const QString version = f.status().Infopanel->caption();
        QTest::mouseMove(f.status().Infopanel, QPoint(10, 5));
        QCOMPARE(f.status().Infopanel->caption(), version);
        QTest::mouseMove(f.status().Infopanel, QPoint(f.status().Infopanel->width() - 10, 5));
        QVERIFY(f.status().Infopanel->caption() != version);
        f.grab().save(QDir::temp().filePath("varnek-mainwindow.png"));
    }

    void resizeKeepsTheRightColumnInPlace() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        f.resize(1000, 700);
        QTest::qWait(10);
        const int pw = 1000 - 396;
        QCOMPARE(f.tracks().PageControl->geometry(), QRect(32, 0, pw, 700 - 41));
        QCOMPARE(f.tuning().Canal->pos(), QPoint(pw + 36, 1));
        QCOMPARE(f.macros().MacroPage->pos(), QPoint(pw + 216, 1));
        QCOMPARE(f.displays().Monitor->pos(), QPoint(pw + 36, 237));
        QCOMPARE(f.qso().QSOBox->pos(), QPoint(pw + 36, 319));
        QCOMPARE(f.qso().RXBuf->geometry().top(), 408);
        QCOMPARE(f.qso().RXBuf->height(), (700 - 455) / 2);
        QCOMPARE(f.transmit().TXBuf->geometry().top(), (700 - 455) / 2 + 410);
        QCOMPARE(f.tracks().WaterPanel->width(), 62);
        QCOMPARE(f.displays().WaterfallDisplay->width(), 60);
        // Shrunk to nothing, nothing goes negative or crashes.
        f.resize(1, 1);
        QTest::qWait(10);
        f.resize(749, 530);
    }

    void closingAsksFirst() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        f.toolBar().Connection->trigger();
        fx.modem.calls.clear();
        fx.dialogs.answers = {Dialogs::Answer::No};
        QVERIFY(!f.close());
        QVERIFY(f.isVisible() && f.Timer()->isActive() && f.link().SoundCardActive);
        QCOMPARE(fx.dialogs.shown.last().text, QString("Do you want to exit VARNEK ?"));
        QCOMPARE(fx.dialogs.shown.last().caption, QString("Confirm"));
        QVERIFY(fx.modem.calls.isEmpty());

        f.tuning().AFCCheck->setChecked(false);
        f.tuning().SQTrack->setValue(33);
        f.tuning().RXSpin->setValue(1500);
        f.move(40, 60);
        f.resize(800, 600);
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        QVERIFY(f.close());
        QVERIFY(!f.Timer()->isActive());
        QVERIFY(!f.link().SoundCardActive);
        QCOMPARE(fx.modem.callsOf({"fnStopSoundCard", "fnStopTX", "fnAbortTX"}), QStringList{"fnStopSoundCard()"});
        QCOMPARE(stored(fx.iniPath, "Settings/WFMin"), QString("100"));
        QCOMPARE(stored(fx.iniPath, "Settings/WFMax"), QString("3500"));
        QCOMPARE(stored(fx.iniPath, "Settings/Freq"), QString("1500"));
        QCOMPARE(stored(fx.iniPath, "Settings/AFCOn"), QString("0"));
        QCOMPARE(stored(fx.iniPath, "Settings/SQValue"), QString("33"));
        QCOMPARE(stored(fx.iniPath, "Look/WindowState"), QString("0"));
        QCOMPARE(stored(fx.iniPath, "Look/Width"), QString("800"));
        QCOMPARE(stored(fx.iniPath, "Look/Height"), QString("600"));
    }

    void closingWhenTheStoreCannotBeWritten() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        // A folder where the store's file should be: the save cannot succeed
        // (permissions would not stop a test running as root).
        QFile::remove(fx.iniPath);
        QVERIFY(QDir().mkdir(fx.iniPath));
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        const bool closed = f.close();
        QVERIFY(closed);
        QVERIFY(fx.dialogs.texts().contains("Error writing in the registry !"));
    }

    void closeDuringTheStopSequenceWaitsForIt() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        f.toolBar().Connection->trigger();
        f.transmit().Transmitting = true;
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        bool closedInside = true;
        QTimer::singleShot(50, &f, [&] { closedInside = f.close(); });
        f.toolBar().Connection->trigger();
        QVERIFY(!closedInside);
        QVERIFY(f.isVisible());
        // The close asked for meanwhile runs once the sequence is over.
        QTRY_VERIFY(!f.isVisible());
        QCOMPARE(fx.dialogs.texts(), QStringList{"Do you want to exit VARNEK ?"});
        QCOMPARE(fx.modem.callsOf({"fnStopSoundCard"}).size(), 1);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
