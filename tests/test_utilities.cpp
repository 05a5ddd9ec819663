// Shared helpers: date patterns and the 32-by-16-bit division.

#include "ScriptedDialogs.h"
#include "base/RunningSettings.h"
#include "base/SettingsStore.h"
#include "base/Utilities.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

class TestUtilities : public QObject {
    Q_OBJECT
private slots:
    void datePatterns_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("expected");
        // Thursday 3 December 2026, 07:05:09, in a locale with "/" and ":".
        QTest::newRow("date") << "yyyy/mm/dd"
                              << "2026/12/03";
        QTest::newRow("short year") << "dd/mm/yy"
                                    << "03/12/26";
        QTest::newRow("clock") << "hh:nn"
                               << "07:05";
        QTest::newRow("month names") << "d mmm, mmmm"
                                     << "3 Dec, December";
        QTest::newRow("day name") << "dddd d"
                                  << "Thursday 3";
        QTest::newRow("mm after hh is minutes") << "hh\"h\"mm ss\"s\""
                                                << "07h05 09s";
        QTest::newRow("quoted letters copied") << "\"dd mm yy\" hh"
                                               << "dd mm yy 07";
        QTest::newRow("stamp") << "dddd d mmmm yyyy, hh\"h\"mm ss\"s\""
                               << "Thursday 3 December 2026, 07h05 09s";
        QTest::newRow("unterminated quote") << "hh\"h"
                                            << "07h";
    }
    void datePatterns() {
        QFETCH(QString, pattern);
        QFETCH(QString, expected);
        const QDateTime t(QDate(2026, 12, 3), QTime(7, 5, 9));
        QCOMPARE(FormatDateTime(pattern, t, QLocale(QLocale::English, QLocale::UnitedStates)), expected);
    }

    void localeSeparators() {
        const QDateTime t(QDate(2026, 12, 3), QTime(7, 5, 9));
        QCOMPARE(FormatDateTime("dd/mm/yyyy", t, QLocale(QLocale::German, QLocale::Germany)),
                 QString("03.12.2026"));
    }

    void dateFormatChoices() {
        QCOMPARE(dateFormatPattern(0), QString("c"));
        QCOMPARE(dateFormatPattern(5), QString("dddd d mmmm yyyy"));
        QCOMPARE(dateFormatPattern(6), QString());
        QCOMPARE(dateFormatPattern(-1), QString());
    }

    void divMod_data() {
        QTest::addColumn<uint>("dividend");
        QTest::addColumn<int>("divisor");
        QTest::addColumn<int>("quotient");
        QTest::addColumn<int>("remainder");
        QTest::newRow("plain") << 1000u << 7 << 142 << 6;
        QTest::newRow("exact") << 65535u << 65535 << 1 << 0;
        QTest::newRow("quotient too wide keeps low bits") << 0x20000u << 1 << 0 << 0;
        QTest::newRow("by zero") << 5u << 0 << 0 << 0;
    }
    void divMod() {
        QFETCH(uint, dividend);
        QFETCH(int, divisor);
        QFETCH(int, quotient);
        QFETCH(int, remainder);
        uint16_t q = 99, r = 99;
        DivMod(dividend, static_cast<uint16_t>(divisor), q, r);
        QCOMPARE(int(q), quotient);
        QCOMPARE(int(r), remainder);
    }

    // A command that cannot start is said, in a warning naming it; one that starts is not.
    void runProgramReportsWhatCannotStart_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("starts");
        QTest::newRow("not installed") << "no-such-mixer-program -t 4" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("not executable") << "/etc/hostname" << false;
        QTest::newRow("starts") << "true" << true;
    }
    void runProgramReportsWhatCannotStart() {
        QFETCH(QString, command);
        QFETCH(bool, starts);
        ScriptedDialogs dialogs;
        QCOMPARE(RunProgram(command, &dialogs), starts);
        if (starts) {
            QVERIFY(dialogs.shown.isEmpty());
            return;
        }
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Warning);
        QCOMPARE(dialogs.shown[0].caption, QString("Warning"));
        QCOMPARE(dialogs.shown[0].text, QString("Cannot start \"%1\"").arg(command));
        QVERIFY(!RunProgram(command)); // without dialogs: nothing shown, still false
    }

    // The mixer buttons' commands come from the settings, with the desktop mixer's tabs as
    // defaults.
    void mixerCommands() {
        QTemporaryDir dir;
        const QString path = dir.filePath("VARNEK.conf");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(
            "[Settings]\nMixerOutput=alsamixer -V playback\nMixerDevices=  \nMixerInput=@ByteArray(x)\n");
        file.close();
        SettingsStore store(path);
        QCOMPARE(mixerCommand(store, MixerCommand::Input), QString("pavucontrol -t 4"));
        QCOMPARE(mixerCommand(store, MixerCommand::Output), QString("alsamixer -V playback"));
        QCOMPARE(mixerCommand(store, MixerCommand::Devices), QString("pavucontrol -t 5"));
        SettingsStore fresh(dir.filePath("new.conf"));
        QCOMPARE(mixerCommand(fresh, MixerCommand::Output), QString("pavucontrol -t 3"));
    }

    void delayKeepsTheEventLoopRunning() {
        bool ran = false;
        QTimer::singleShot(10, this, [&] { ran = true; });
        QElapsedTimer clock;
        clock.start();
        Delay(60);
        QVERIFY(ran);
        QVERIFY(clock.elapsed() >= 59);
    }
};

QTEST_MAIN(TestUtilities)
#include "test_utilities.moc"
