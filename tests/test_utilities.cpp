// Shared helpers: date patterns, the 32-by-16-bit division, where data files are found.

#include "ScriptedDialogs.h"
#include "base/DataPaths.h"
#include "base/RunningSettings.h"
#include "base/SettingsStore.h"
#include "base/Utilities.h"
#include "lang/LanguageChoice.h"

#include <QDir>
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

    void fitWindow_data() {
        QTest::addColumn<QRect>("wanted");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        const QRect screen(0, 0, 1920, 1050);
        // Minimum 749 x 530, frame 8/31/8/8 around the client area.
        QTest::newRow("fits") << QRect(50, 50, 800, 600) << screen << QRect(50, 50, 800, 600);
        QTest::newRow("old small default grows")
            << QRect(50, 50, 645, 450) << screen << QRect(50, 50, 749, 530);
        QTest::newRow("too wide") << QRect(50, 50, 3000, 600) << screen << QRect(8, 50, 1904, 600);
        QTest::newRow("hangs off right/bottom")
            << QRect(1800, 900, 749, 530) << screen << QRect(1163, 512, 749, 530);
        QTest::newRow("above the top") << QRect(10, 0, 749, 530) << screen << QRect(10, 31, 749, 530);
        QTest::newRow("second screen")
            << QRect(1900, 50, 749, 530) << QRect(1920, 0, 1280, 1024) << QRect(1928, 50, 749, 530);
        // A screen smaller than the minimum (a scale factor of 2 on a small
        // display): the window stays on it.
        QTest::newRow("screen below minimum")
            << QRect(50, 50, 749, 530) << QRect(0, 0, 400, 300) << QRect(8, 31, 384, 261);
    }

    void fitWindow() {
        QFETCH(QRect, wanted);
        QFETCH(QRect, available);
        QFETCH(QRect, placed);
        QCOMPARE(FitWindow(wanted, QSize(749, 530), available, QMargins(8, 31, 8, 8)), placed);
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

    // Data files are found from the program's folder in any tree: an installed
    // prefix (wherever it was moved), the build tree, a copied-around folder.
    void dataFileLookup_data() {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("language");
        const QString qch = QStringLiteral("/help/varnek.qch");
        QTest::newRow("installed") << QStringList{"opt/share/varnek" + qch, "opt/share/varnek/varnek.lcf"}
                                   << "opt/bin/varnek"
                                   << "opt/share/varnek" + qch << "opt/share/varnek/varnek.lcf";
        QTest::newRow("build tree") << QStringList{"build/share/varnek" + qch, "build/src/varnek.lcf"}
                                    << "build/src/varnek"
                                    << "build/share/varnek" + qch << "build/src/varnek.lcf";
        QTest::newRow("tests of the build tree")
            << QStringList{"build/share/varnek" + qch} << "build/tests/test_x"
            << "build/share/varnek" + qch << "";
        QTest::newRow("copied folder") << QStringList{"copy" + qch, "copy/varnek.lcf"} << "copy/varnek"
                                       << "copy" + qch << "copy/varnek.lcf";
        // Installed files come before stray copies beside the program, but a
        // language file beside the program is the one asked for.
        QTest::newRow("both places") << QStringList{"opt/share/varnek" + qch, "opt/bin" + qch,
                                                    "opt/share/varnek/varnek.lcf", "opt/bin/varnek.lcf"}
                                     << "opt/bin/varnek"
                                     << "opt/share/varnek" + qch << "opt/bin/varnek.lcf";
        QTest::newRow("renamed program")
            << QStringList{"opt/share/varnek/psk.lcf", "opt/share/varnek/varnek.lcf"} << "opt/bin/psk"
            << ""
            << "opt/share/varnek/psk.lcf";
        QTest::newRow("nothing") << QStringList{} << "opt/bin/varnek"
                                 << ""
                                 << "";
    }

    void dataFileLookup() {
        QFETCH(QStringList, present);
        QFETCH(QString, program);
        QFETCH(QString, help);
        QFETCH(QString, language);
        QTemporaryDir root;
        const QDir base(root.path());
        for (const QString &f : present) {
            QVERIFY(base.mkpath(QFileInfo(f).path()));
            QFile file(base.filePath(f));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const auto at = [&](const QString &relative) {
            return relative.isEmpty() ? QString() : QFileInfo(base.filePath(relative)).absoluteFilePath();
        };
        const QString programFile = base.filePath(program);
        QCOMPARE(findDataFile(QStringLiteral("help/varnek.qch"), dataDirs(QFileInfo(programFile).path())),
                 at(help));
        const QStringList candidates = LanguageFileCandidates(programFile);
        QString found;
        for (const QString &c : candidates) {
            // Nothing is looked for outside the tree the program sits in.
            QVERIFY2(c.startsWith(root.path() + QLatin1Char('/')), qPrintable(c));
            if (found.isEmpty() && QFileInfo(c).isFile())
                found = QFileInfo(c).absoluteFilePath();
        }
        QCOMPARE(found, at(language));
    }
};

QTEST_MAIN(TestUtilities)
#include "test_utilities.moc"
