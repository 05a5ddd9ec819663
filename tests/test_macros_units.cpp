// The macro rules without a window: the table and its store, the macro
// language, and the wizard's default set.

#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/SettingsStore.h"
#include "macros/MacroExpander.h"
#include "macros/MacroTable.h"
#include "macros/WizardMacros.h"
#include "macros/WizardStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Fixtures = QStringLiteral(VARNEK_MACRO_FIXTURES);

// The program around a macro, recording what the macro makes it do.
struct RecordingContext : MacroContext {
    QString call, name, rep, my = QStringLiteral("NOCALL"), pattern = QStringLiteral("dd/mm/yyyy");
    QString folder = Fixtures;
    QLocale loc{QLocale::English, QLocale::UnitedKingdom};
    bool isTuning = false;
    QStringList events;

    QString hisCall() const override { return call; }
    void setHisCall(const QString &c) override { call = c; }
    QString hisName() const override { return name; }
    QString hisRep() const override { return rep; }
    void setHisRep(const QString &r) override { rep = r; }
    QString myCall() const override { return my; }
    QString dateFormatPattern() const override { return pattern; }
    QLocale locale() const override { return loc; }
    QString programFolder() const override { return folder; }
    bool tuning() const override { return isTuning; }
    void keyTransmitter() override { events << QStringLiteral("key"); }
    void clearReceivePane() override { events << QStringLiteral("clear"); }
};

// Local time one hour ahead of UTC, so \u and \v differ.
QDateTime at(int h, int m) {
    return QDateTime(QDate(2006, 3, 5), QTime(h, m, 9), Qt::OffsetFromUTC, 3600);
}

std::unique_ptr<SettingsStore> storeWith(QTemporaryDir &dir, const QByteArray &ini) {
    const QString path = dir.filePath(QStringLiteral("VARNEK.conf"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(ini);
    f.close();
    auto store = std::make_unique<SettingsStore>(path);
    store->open();
    return store;
}

// name<n>, hint<n>, text<n> and other keys of the hand-written fixture.
QHash<QString, QString> readFixture(const QString &file) {
    QHash<QString, QString> values;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return values;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (line.startsWith(QLatin1Char('#')) || !line.contains(QLatin1Char('"')))
            continue;
        const qsizetype open = line.indexOf(QLatin1Char('"'));
        const qsizetype close = line.lastIndexOf(QLatin1Char('"'));
        values.insert(line.left(open).trimmed(), line.mid(open + 1, close - open - 1));
    }
    return values;
}

StationInfo fixtureStation() {
    StationInfo s;
    s.call = QStringLiteral("Q1ABC");
    s.name = QStringLiteral("Jean");
    s.radio = QStringLiteral("FT-817");
    s.power = QStringLiteral("5");
    s.antenna = QStringLiteral("dipole");
    s.computer = QStringLiteral("old laptop");
    s.city = QStringLiteral("Lyon");
    s.location = {QStringLiteral("  Near the river  "), QStringLiteral("\tHill top")};
    s.locator = QStringLiteral("JN25");
    s.qslInfo = {QStringLiteral("Bureau"), QStringLiteral("  or direct")};
    return s;
}

QStringList names(const MacroTable &t) {
    QStringList out;
    for (int i = 0; i < t.MacroCount; ++i)
        out << t.MacroNames[i];
    return out;
}

} // namespace

class TestMacroUnits : public QObject {
    Q_OBJECT
private slots:
    // ---- The table ----------------------------------------------------

    void loadStopsAtFirstEmptyName_data() {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("loaded");
        QTest::newRow("gap after three") << QByteArray("[Macros]\nMacroName1=A\nMacroName2=B\nMacroName3=C\n"
                                                       "MacroName4=\nMacroName5=E\n")
                                         << QStringList{"A", "B", "C"};
        QTest::newRow("missing fourth") << QByteArray("[Macros]\nMacroName1=A\nMacroName2=B\nMacroName3=C\n"
                                                      "MacroName5=E\n")
                                        << QStringList{"A", "B", "C"};
        QTest::newRow("empty store") << QByteArray() << QStringList{};
        QTest::newRow("no Macros group") << QByteArray("[Settings]\nMyCall=Q1ABC\n") << QStringList{};
    }
    void loadStopsAtFirstEmptyName() {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, loaded);
        QTemporaryDir dir;
        auto store = storeWith(dir, ini);
        MacroTable t;
        t.MacroNames[7] = QStringLiteral("stale");
        QVERIFY(t.load(*store));
        QCOMPARE(names(t), loaded);
        QCOMPARE(t.MacroCount, loaded.size());
        for (int i = t.MacroCount; i < MacroTable::Capacity; ++i)
            QVERIFY(t.MacroNames[i].isEmpty() && t.MacroTexts[i].isEmpty());
    }

    // Hints and texts come with their names, line breaks as stored.
    void loadReadsHintsAndTexts() {
        QTemporaryDir dir;
        auto store =
            storeWith(dir, "[Macros]\nMacroName1=CQ\nMacroHint1=Call\nMacroText1=\"cq\\r\\nde \\\\m\"\n");
        MacroTable t;
        QVERIFY(t.load(*store));
        QCOMPARE(t.MacroHints[0], QStringLiteral("Call"));
        QCOMPARE(t.MacroTexts[0], QStringLiteral("cq\r\nde \\m"));
    }

    // A value that is not text stops the load where it stands and says so.
    void unreadableValueStopsTheLoad() {
        QTemporaryDir dir;
        auto store = storeWith(dir, "[Macros]\nMacroName1=A\nMacroName2=B\nMacroText2=@ByteArray(x)\n");
        MacroTable t;
        QVERIFY(!t.load(*store));
        QCOMPARE(names(t), QStringList{"A"});
    }

    void move_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("result");
        QTest::newRow("D onto B") << 3 << 1 << QStringList{"A", "D", "B", "C"};
        QTest::newRow("A onto C") << 0 << 2 << QStringList{"B", "A", "C", "D"};
        QTest::newRow("B below the last") << 1 << 4 << QStringList{"A", "C", "D", "B"};
        QTest::newRow("B onto B") << 1 << 1 << QStringList{"A", "B", "C", "D"};
        QTest::newRow("D below the last") << 3 << 4 << QStringList{"A", "B", "C", "D"};
        QTest::newRow("nothing chosen") << -1 << 2 << QStringList{"A", "B", "C", "D"};
    }
    void move() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, result);
        MacroTable t;
        for (const char *n : {"A", "B", "C", "D"})
            t.append(QString::fromLatin1(n), QStringLiteral("hint ") + QLatin1String(n),
                     QStringLiteral("text ") + QLatin1String(n));
        t.move(from, to);
        QCOMPARE(names(t), result);
        for (int i = 0; i < 4; ++i) // hints and texts travel with their names
            QCOMPARE(t.MacroTexts[i], QStringLiteral("text ") + result[i]);
        QCOMPARE(t.MacroCount, 4);
    }

    void appendRemoveFind() {
        MacroTable t;
        for (int i = 0; i < MacroTable::Capacity; ++i)
            QVERIFY(t.append(QStringLiteral("M%1").arg(i), QStringLiteral("h"), QStringLiteral("t")));
        QVERIFY(!t.append(QStringLiteral("one more"), QStringLiteral("h"), QStringLiteral("t")));
        QCOMPARE(t.find(QStringLiteral("m7")), 7);
        QCOMPARE(t.find(QStringLiteral("nope")), -1);
        t.remove(0);
        QCOMPARE(t.MacroCount, 39);
        QCOMPARE(t.MacroNames[0], QStringLiteral("M1"));
        QVERIFY(t.MacroNames[39].isEmpty() && t.MacroHints[39].isEmpty() && t.MacroTexts[39].isEmpty());
    }

    // What is saved is loaded again as it was, CR LF and backslashes included.
    void saveThenLoad() {
        QTemporaryDir dir;
        auto store = storeWith(dir, {});
        MacroTable t;
        t.append(QStringLiteral("CQ"), QStringLiteral("Call"),
                 QStringLiteral("\\n\\tcq\r\nde \\m \"x\" = ;#"));
        t.append(QStringLiteral("Bye"), QString(), QStringLiteral("73"));
        t.save(*store);
        SettingsStore again(dir.filePath(QStringLiteral("VARNEK.conf")));
        again.open();
        MacroTable u;
        QVERIFY(u.load(again));
        QCOMPARE(names(u), names(t));
        QCOMPARE(u.MacroTexts[0], t.MacroTexts[0]);
        QCOMPARE(u.MacroHints[1], QString());
    }

    // ---- The macro language -----------------------------------------

    void expansion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("answers"); // "<cancel>" cancels
        QTest::addColumn<bool>("tuning");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<QString>("callAfter");

        const QString askCall = QStringLiteral("ask Callsign is missing / Enter station callsign");
        const QString askRep = QStringLiteral("ask Report (RST) is missing / Enter station report");
        const QString cancel = QStringLiteral("<cancel>");

        QTest::newRow("call asked once")
            << "\\c de \\m"
            << ""
            << "" << QStringList{"Q1ABC"} << false << "Q1ABC de NOCALL" << QStringList{askCall} << "Q1ABC";
        QTest::newRow("three cancels") << "\\c \\c \\c"
                                       << ""
                                       << "" << QStringList{cancel, cancel, cancel} << false << "  "
                                       << QStringList{askCall, askCall, askCall} << "";
        QTest::newRow("call trimmed")
            << "<\\c>"
            << " Q1ABC\t"
            << "" << QStringList{} << false << "<Q1ABC>" << QStringList{} << " Q1ABC\t";
        QTest::newRow("no name, no question") << "Hi \\h"
                                              << ""
                                              << "" << QStringList{} << false << "Hi " << QStringList{} << "";
        QTest::newRow("upper case is text")
            << "\\C \\M \\q \\"
            << ""
            << "" << QStringList{} << false << "\\C \\M \\q \\" << QStringList{} << "";
        QTest::newRow("ident then end") << "73\\i\\z"
                                        << ""
                                        << "" << QStringList{} << false << "73\t\x03" << QStringList{} << "";
        QTest::newRow("new lines") << "a\\nb\r\nc"
                                   << ""
                                   << "" << QStringList{} << false << "a\rb\r\nc" << QStringList{} << "";
        QTest::newRow("key anywhere keys first")
            << "cq\\t"
            << ""
            << "" << QStringList{} << false << "cq" << QStringList{"key"} << "";
        QTest::newRow("key while tuning") << "cq\\t"
                                          << ""
                                          << "" << QStringList{} << true << "cq" << QStringList{} << "";
        // Questions, then keying, then clearing, whatever the text's order.
        QTest::newRow("fixed order") << "\\w\\t\\r \\c"
                                     << ""
                                     << "" << QStringList{"Q1ABC", "599"} << false << "599 Q1ABC"
                                     << QStringList{askCall, askRep, "key", "clear"} << "Q1ABC";
        QTest::newRow("call carrying a later code")
            << "\\c"
            << "Q1\\m"
            << "" << QStringList{} << false << "Q1NOCALL" << QStringList{} << "Q1\\m";
        QTest::newRow("call carrying a date")
            << "\\d \\c"
            << "\\d"
            << "" << QStringList{} << false << "05/03/2006 05/03/2006" << QStringList{} << "\\d";
        // Self-inserting texts end instead of looping for ever.
        QTest::newRow("call is its own code")
            << "\\c and \\c"
            << "\\c"
            << "" << QStringList{} << false << "\\c and \\c" << QStringList{} << "\\c";
        QTest::newRow("name is its own code")
            << "\\h"
            << ""
            << "x\\hy" << QStringList{} << false << "x\\hy" << QStringList{} << "";
        QTest::newRow("utc and local time")
            << "\\u|\\v|\\x"
            << ""
            << "" << QStringList{} << false << "13:07 UTC|14:07|\rEnd of QSO: 13:07 UTC" << QStringList{}
            << "";
    }
    void expansion() {
        QFETCH(QString, text);
        QFETCH(QString, call);
        QFETCH(QString, name);
        QFETCH(QStringList, answers);
        QFETCH(bool, tuning);
        QFETCH(QString, typed);
        QFETCH(QStringList, events);
        QFETCH(QString, callAfter);

        RecordingContext ctx;
        ctx.call = call;
        ctx.name = name;
        ctx.isTuning = tuning;
        ScriptedDialogs dialogs;
        for (const QString &a : answers)
            dialogs.textAnswers << (a == QStringLiteral("<cancel>") ? std::nullopt
                                                                    : std::optional<QString>(a));
        dialogs.whileOpen = [&] {
            const auto &s = dialogs.shown.last();
            ctx.events << QStringLiteral("ask ") + s.caption + QStringLiteral(" / ") + s.text;
        };
        FixedClock clock(at(14, 7));
        MacroExpander expander(ctx, dialogs, clock);
        QCOMPARE(expander.expand(text), typed);
        QCOMPARE(ctx.events, events);
        QCOMPARE(ctx.call, callAfter);
    }

    void files_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("typed");
        QTest::newRow("two lines then rest") << "\\fgreet.txt rest"
                                             << "Hello\rWorld\r rest";
        QTest::newRow("name ends at a line break") << "\\fgreet.txt\r\nmore"
                                                   << "Hello\rWorld\r\r\nmore";
        QTest::newRow("f at the end") << "x\\f"
                                      << "x";
        QTest::newRow("missing file") << "a\\fmissing.txt b"
                                      << "a b";
        QTest::newRow("first character is the name") << "\\f greet.txt"
                                                     << "";
        QTest::newRow("empty file") << "[\\fempty.txt]"
                                    << "[";
        QTest::newRow("file codes after f expand") << "\\fsign.txt"
                                                   << "de NOCALL \\c\r";
        QTest::newRow("file including itself") << "\\fself.txt"
                                               << "A\\fself.txt B\r";
        QTest::newRow("not a regular file") << "\\f../../../../../../../../dev/zero"
                                            << "";
        QTest::newRow("a folder") << "\\f."
                                  << "";
    }
    void files() {
        QFETCH(QString, text);
        QFETCH(QString, typed);
        RecordingContext ctx;
        ScriptedDialogs dialogs;
        FixedClock clock(at(14, 7));
        MacroExpander expander(ctx, dialogs, clock);
        QCOMPARE(expander.expand(text), typed);
        QVERIFY(dialogs.shown.isEmpty());
    }

    void greeting_data() {
        QTest::addColumn<int>("hour");
        QTest::addColumn<int>("minute");
        QTest::addColumn<QString>("greeting");
        QTest::newRow("00:00") << 0 << 0 << "Good morning";
        QTest::newRow("09:30") << 9 << 30 << "Good morning";
        QTest::newRow("11:59") << 11 << 59 << "Good morning";
        QTest::newRow("12:00") << 12 << 0 << "Good afternoon";
        QTest::newRow("17:59") << 17 << 59 << "Good afternoon";
        QTest::newRow("18:00") << 18 << 0 << "Good evening";
        QTest::newRow("23:59") << 23 << 59 << "Good evening";
    }
    void greeting() {
        QFETCH(int, hour);
        QFETCH(int, minute);
        QFETCH(QString, greeting);
        RecordingContext ctx;
        ScriptedDialogs dialogs;
        FixedClock clock(at(hour, minute));
        QCOMPARE(MacroExpander(ctx, dialogs, clock).expand(QStringLiteral("\\g")), greeting);
    }

    // \d follows the DateFormat pattern with the locale's separators and names.
    void date_data() {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("date");
        const QLocale gb(QLocale::English, QLocale::UnitedKingdom);
        const QLocale de(QLocale::German, QLocale::Germany);
        const QLocale fr(QLocale::French, QLocale::France);
        const QTime t(14, 7, 9);
        QTest::newRow("1 gb") << "dd/mm/yy" << gb << t << "05/03/06";
        QTest::newRow("1 de") << "dd/mm/yy" << de << t << "05.03.06";
        QTest::newRow("2 gb") << "dd/mm/yyyy" << gb << t << "05/03/2006";
        QTest::newRow("2 de") << "dd/mm/yyyy" << de << t << "05.03.2006";
        QTest::newRow("3 gb") << "dd mmm yyyy" << gb << t << "05 Mar 2006";
        QTest::newRow("4 fr") << "dd mmmm yyyy" << fr << t << "05 mars 2006";
        QTest::newRow("5 gb") << "dddd d mmmm yyyy" << gb << t << "Sunday 5 March 2006";
        QTest::newRow("5 fr") << "dddd d mmmm yyyy" << fr << t << "dimanche 5 mars 2006";
        QTest::newRow("0 de") << "c" << de << t << "05.03.06 14:07:09";
        QTest::newRow("0 de midnight") << "c" << de << QTime(0, 0) << "05.03.06";
    }
    void date() {
        QFETCH(QString, pattern);
        QFETCH(QLocale, locale);
        QFETCH(QTime, time);
        QFETCH(QString, date);
        RecordingContext ctx;
        ctx.pattern = pattern;
        ctx.loc = locale;
        ScriptedDialogs dialogs;
        FixedClock clock(QDateTime(QDate(2006, 3, 5), time, Qt::OffsetFromUTC, 3600));
        QCOMPARE(MacroExpander(ctx, dialogs, clock).expand(QStringLiteral("\\d")), date);
    }

    // ---- The wizard's set ---------------------------------------------

    void wizardMacrosByteForByte() {
        const QHash<QString, QString> fixture = readFixture(Fixtures + QStringLiteral("/wizard-q1abc.txt"));
        QVERIFY(!fixture.isEmpty());
        const auto macros = wizardMacros(fixtureStation());
        for (int i = 0; i < WizardMacroCount; ++i) {
            const QString n = QString::number(i + 1);
            QCOMPARE(macros[i].name, fixture.value(QStringLiteral("name") + n));
            QCOMPARE(macros[i].hint, fixture.value(QStringLiteral("hint") + n));
            QCOMPARE(macros[i].text, fixture.value(QStringLiteral("text") + n));
        }
    }

    // A call sign typed with a trailing space is used with that space.
    void wizardKeepsTheCallAsTyped() {
        StationInfo s = fixtureStation();
        s.call = QStringLiteral("Q1ABC ");
        const auto macros = wizardMacros(s);
        QVERIFY(macros[0].text.startsWith(QStringLiteral("\\n\\tcq cq cq de Q1ABC  Q1ABC  Q1ABC \\ncq")));
        QTemporaryDir dir;
        auto store = storeWith(dir, {});
        MacroTable t;
        applyWizard(t, *store, s);
        QCOMPARE(store->readString(StoreGroup::settings(), QStringLiteral("MyCall"), {}), s.call);
    }

    void wizardWithDefinedMacros_data() {
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        QTest::newRow("none") << 0 << 8;
        QTest::newRow("three") << 3 << 8;
        QTest::newRow("twelve") << 12 << 12;
    }
    void wizardWithDefinedMacros() {
        QFETCH(int, before);
        QFETCH(int, after);
        QTemporaryDir dir;
        auto store = storeWith(dir, {});
        MacroTable t;
        for (int i = 0; i < before; ++i)
            t.append(QStringLiteral("OWN%1").arg(i), QStringLiteral("h"), QStringLiteral("t%1").arg(i));
        applyWizard(t, *store, fixtureStation());
        QCOMPARE(t.MacroCount, after);
        QCOMPARE(t.MacroNames[0], QStringLiteral("CQ CQ..."));
        QCOMPARE(t.MacroNames[7], QStringLiteral("QSL INFO"));
        for (int i = 8; i < before; ++i)
            QCOMPARE(t.MacroTexts[i], QStringLiteral("t%1").arg(i));

        // The store loads the same table; the station information is kept.
        SettingsStore again(dir.filePath(QStringLiteral("VARNEK.conf")));
        again.open();
        MacroTable loaded;
        QVERIFY(loaded.load(again));
        QCOMPARE(loaded.MacroCount, 8); // the editor writes the rest when it closes
        const QHash<QString, QString> fixture = readFixture(Fixtures + QStringLiteral("/wizard-q1abc.txt"));
        for (int i = 0; i < 8; ++i)
            QCOMPARE(loaded.MacroTexts[i], fixture.value(QStringLiteral("text%1").arg(i + 1)));
        StationInfoText info;
        QVERIFY(readStationInfo(again, info));
        QCOMPARE(info.location, fixture.value(QStringLiteral("Location")));
        QCOMPARE(info.qslInfo, fixture.value(QStringLiteral("QSL Info")));
        QCOMPARE(info.computer, QStringLiteral("old laptop"));
    }

    void wizardWritesInOrder() {
        // The order of the writes shows in the store's file only as the order
        // of keys inside a group; what matters is that every value arrives.
        QTemporaryDir dir;
        auto store = storeWith(dir, {});
        MacroTable t;
        applyWizard(t, *store, fixtureStation());
        QCOMPARE(store->readString(StoreGroup::infos(), QStringLiteral("Name"), {}), QStringLiteral("Jean"));
        QCOMPARE(store->readString(StoreGroup::infos(), QStringLiteral("Locator"), {}),
                 QStringLiteral("JN25"));
        QCOMPARE(store->readString(StoreGroup::macros(), QStringLiteral("MacroHint1"), {}),
                 QStringLiteral("General call CQ "));
    }

    void memoCoding_data() {
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("reopened");
        QTest::newRow("indented second line") << "Near the river\n   Hill top"
                                              << "Near the river\\nHill top\\n"
                                              << "Near the river\r\nHill top\r\n";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
        QTest::newRow("trailing line break") << "one\n"
                                             << "one\\n"
                                             << "one\r\n";
        QTest::newRow("blank line kept") << "a\n\nb"
                                         << "a\\n\\nb\\n"
                                         << "a\r\n\r\nb\r\n";
    }
    void memoCoding() {
        QFETCH(QString, memo);
        QFETCH(QString, stored);
        QFETCH(QString, reopened);
        QCOMPARE(encodeMemoLines(memoLines(memo)), stored);
        QCOMPARE(decodeMemoText(stored), reopened);
    }

    void memoDecoding_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("reopened");
        QTest::newRow("backslash inside a line") << "C:\\temp"
                                                 << "C:\r\nemp";
        QTest::newRow("backslash at the end") << "abc\\"
                                              << "abc\\";
        QTest::newRow("two backslashes") << "a\\\\b"
                                         << "a\r\nb";
    }
    void memoDecoding() {
        QFETCH(QString, stored);
        QFETCH(QString, reopened);
        QCOMPARE(decodeMemoText(stored), reopened);
    }
};

QTEST_GUILESS_MAIN(TestMacroUnits)
#include "test_macros_units.moc"
