// The settings store: encoding, reading rules, the guarded start-up load, the band guard and
// the exit save. Every test works on an INI file in its own temporary folder.

#include "base/RunningSettings.h"
#include "base/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <QElapsedTimer>
#include <QThread>

#include <atomic>
#include <climits>
#include <functional>
#include <memory>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The reading order as the main window must see it, written out independently of the code.
const QStringList kSettingsOrder = {
    "MyCall", "ShowUTCTime", "SpectrumPlain", "DateFormat", "CWIDSpeed", "CWID",    "ComPort", "PTTControl",
    "RXMode", "WFMin",       "WFMax",         "AFCOn",      "AFCRange",  "NetOn",   "SQValue", "SQSpeed",
    "Blocks", "FFTAdjust",   "PPMAdjust",     "WCursor",    "WColor",    "CardNum",
};
const QStringList kLookOrder = {
    "WindowState",  "Left",         "Top",         "Height",      "Width",        "ACCColor",
    "ACCFtColor",   "OTHColor",     "OTHFtColor",  "STPColor",    "STPFontName",  "STPFontCol",
    "STPFontSize",  "STPFontStyle", "RXBColor",    "RXBFontName", "RXBFontCol",   "RXBFontSize",
    "RXBFontStyle", "TXBColor",     "TXBFontName", "TXBFontCol",  "TXBFontSize",  "TXBFontStyle",
    "QSOColor",     "QSOFontName",  "QSOFontCol",  "QSOFontSize", "QSOFontStyle",
};

QByteArray readBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// What a store holds under a key, read past our store: its type and its text.
QVariant rawValue(const QString &path, const QString &key) {
    QSettings raw(path, QSettings::IniFormat);
    return raw.value(key);
}

// The ids 0 .. stop-1, as the load should report them (ints print readably on failure).
QList<int> idsBefore(int stop) {
    QList<int> ids;
    for (int i = 0; i < stop; ++i)
        ids.append(i);
    return ids;
}

// Records what the load reports.
struct Applied {
    QList<int> ids;
    std::function<void(SettingId)> recorder() {
        return [this](SettingId id) { ids.append(static_cast<int>(id)); };
    }
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

public:
    static void initMain() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }

private:
    // A new folder per test: QSettings caches files by path within the process.
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_path = m_dir->filePath(QStringLiteral("VARNEK.conf"));
    }

    void openCreatesKeyAndKeepsContent() {
        const QString nested = m_dir->filePath(QStringLiteral("Q9ZZV Software/VARNEK.conf"));
        SettingsStore fresh(nested);
        fresh.open();
        QVERIFY(QFileInfo(nested).isFile());

        writeBytes(m_path, "[Macros]\nMacroName1=CQ\n");
        SettingsStore existing(m_path);
        existing.open();
        QCOMPARE(readBytes(m_path), QByteArray("[Macros]\nMacroName1=CQ\n"));
    }

    void roundTrip_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("text") << QVariant(QStringLiteral("F5ABC")) << "F5ABC";
        QTest::newRow("empty text") << QVariant(QString()) << "";
        // Commas and a leading @ would read back as a list or a typed value if not escaped.
        QTest::newRow("text with commas") << QVariant(QStringLiteral("CQ, CQ, de")) << "CQ, CQ, de";
        QTest::newRow("text with @") << QVariant(QStringLiteral("@ByteArray(x)")) << "@ByteArray(x)";
        QTest::newRow("text with blanks, lines") << QVariant(QStringLiteral(" a\tb\r\nc ")) << " a\tb\r\nc ";
        QTest::newRow("non-ASCII text") << QVariant(QStringLiteral("Zoë — Ñandú")) << "Zoë — Ñandú";
        QTest::newRow("int") << QVariant(3500) << "3500";
        QTest::newRow("negative int") << QVariant(-1) << "-1";
        QTest::newRow("int min") << QVariant(INT_MIN) << "-2147483648";
        QTest::newRow("bool true") << QVariant(true) << "1";
        QTest::newRow("bool false") << QVariant(false) << "0";
    }
    void roundTrip() {
        QFETCH(QVariant, value);
        QFETCH(QString, stored);
        const QString group = QStringLiteral("Infos");
        const QString name = QStringLiteral("QSL Info"); // a name with a space
        {
            SettingsStore store(m_path);
            store.open();
            if (value.metaType().id() == QMetaType::Bool)
                store.writeBool(group, name, value.toBool());
            else if (value.metaType().id() == QMetaType::Int)
                store.writeInt(group, name, value.toInt());
            else
                store.writeString(group, name, value.toString());
            store.sync();
        }
        const QVariant raw = rawValue(m_path, group + "/" + name);
        QCOMPARE(raw.metaType().id(), QMetaType::QString);
        QCOMPARE(raw.toString(), stored);

        SettingsStore store(m_path);
        QCOMPARE(store.readString(group, name, QStringLiteral("default")), stored);
        if (value.metaType().id() == QMetaType::Bool)
            QCOMPARE(store.readBool(group, name, !value.toBool()), value.toBool());
        if (value.metaType().id() == QMetaType::Int)
            QCOMPARE(store.readInt(group, name, 12345), value.toInt());
    }

    void colours_data() {
        QTest::addColumn<quint32>("win");
        QTest::addColumn<QColor>("color");
        QTest::newRow("white") << 16777215u << QColor(255, 255, 255);
        QTest::newRow("red is the low byte") << 0x0000FFu << QColor(255, 0, 0);
        QTest::newRow("blue is the high byte") << 0xFF0000u << QColor(0, 0, 255);
        QTest::newRow("scale grey") << 0x404040u << QColor(64, 64, 64);
        QTest::newRow("yellow") << 65535u << QColor(255, 255, 0);
        // A Windows system colour (top byte set), e.g. typed in by hand: top byte dropped.
        QTest::newRow("system colour flag") << 0xFF000005u << QColor(5, 0, 0);
    }
    void colours() {
        QFETCH(quint32, win);
        QFETCH(QColor, color);
        QCOMPARE(colorFromWin(win), color);
        QCOMPARE(winFromColor(color), win & 0xFFFFFFu);
    }

    void readInt_data() {
        QTest::addColumn<QByteArray>("line"); // empty: the value is missing
        QTest::addColumn<int>("def");
        QTest::addColumn<int>("expected");
        QTest::newRow("missing") << QByteArray() << 10 << 10;
        QTest::newRow("letters") << QByteArray("V=abc") << 10 << 10;
        QTest::newRow("empty") << QByteArray("V=") << 10 << 10;
        QTest::newRow("trailing junk") << QByteArray("V=12x") << 10 << 10;
        QTest::newRow("too big") << QByteArray("V=99999999999") << 10 << 10;
        QTest::newRow("one past int max") << QByteArray("V=2147483648") << 10 << 10;
        QTest::newRow("hex") << QByteArray("V=0x10") << 10 << 10;
        QTest::newRow("sign alone") << QByteArray("V=-") << 10 << 10;
        QTest::newRow("two signs") << QByteArray("V=+-5") << 10 << 10;
        QTest::newRow("blank inside") << QByteArray("V=- 1") << 10 << 10;
        QTest::newRow("decimal point") << QByteArray("V=1.5") << 10 << 10;
        QTest::newRow("quoted blanks around") << QByteArray("V=\" 42 \"") << 10 << 42;
        QTest::newRow("tab around") << QByteArray("V=\"\\t42\\t\"") << 10 << 42;
        QTest::newRow("minus one") << QByteArray("V=-1") << 10 << -1;
        QTest::newRow("plus") << QByteArray("V=+7") << 10 << 7;
        QTest::newRow("int min") << QByteArray("V=-2147483648") << 10 << INT_MIN;
        QTest::newRow("CardNum abc") << QByteArray("V=abc") << -1 << -1;
    }
    void readInt() {
        QFETCH(QByteArray, line);
        QFETCH(int, def);
        QFETCH(int, expected);
        writeBytes(m_path, "[Settings]\n" + line + "\n");
        SettingsStore store(m_path);
        QCOMPARE(store.readInt(QStringLiteral("Settings"), QStringLiteral("V"), def), expected);
    }

    void readBool_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("def");
        QTest::addColumn<bool>("expected");
        QTest::newRow("missing, default true") << QByteArray() << true << true;
        QTest::newRow("missing, default false") << QByteArray() << false << false;
        QTest::newRow("0") << QByteArray("B=0") << true << false;
        QTest::newRow("1") << QByteArray("B=1") << false << true;
        QTest::newRow("2 is true") << QByteArray("B=2") << false << true;
        QTest::newRow("-1 is true") << QByteArray("B=-1") << false << true;
        QTest::newRow("junk gives default") << QByteArray("B=yes") << true << true;
    }
    void readBool() {
        QFETCH(QByteArray, line);
        QFETCH(bool, def);
        QFETCH(bool, expected);
        writeBytes(m_path, "[Settings]\n" + line + "\n");
        SettingsStore store(m_path);
        QCOMPARE(store.readBool(QStringLiteral("Settings"), QStringLiteral("B"), def), expected);
    }

    void nonTextValueIsReadError_data() {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("byte array") << QByteArray("X=@ByteArray(abc)");
        QTest::newRow("comma list") << QByteArray("X=1, 2");
        QTest::newRow("variant date") << QByteArray("X=@Variant(\\0\\0\\0\\xe\\0%\\x8a\\x98)");
        QTest::newRow("broken variant") << QByteArray("X=@Variant(garbage)");
        QTest::newRow("invalid") << QByteArray("X=@Invalid()");
        QTest::newRow("rect") << QByteArray("X=@Rect(1 2 3 4)");
    }
    void nonTextValueIsReadError() {
        QFETCH(QByteArray, line);
        writeBytes(m_path, "[Settings]\n" + line + "\nOK=5\n");
        SettingsStore store(m_path);
        const QString group = QStringLiteral("Settings");
        QVERIFY_THROWS_EXCEPTION(StoreError, store.readString(group, QStringLiteral("X"), QString()));
        QVERIFY_THROWS_EXCEPTION(StoreError, store.readInt(group, QStringLiteral("X"), 0));
        QVERIFY_THROWS_EXCEPTION(StoreError, store.readBool(group, QStringLiteral("X"), false));
        // Only that value is bad: the rest of the store stays usable.
        QCOMPARE(store.readInt(group, QStringLiteral("OK"), 0), 5);
        store.writeInt(group, QStringLiteral("OK"), 6);
        store.sync();
    }

    void unreadableStoreIsLeftAlone_data() {
        QTest::addColumn<QByteArray>("content"); // empty: a folder stands where the file should be
        QTest::addColumn<bool>("denyRead");
        QTest::newRow("folder in the way") << QByteArray() << false;
        QTest::newRow("no read permission") << QByteArray("[Settings]\nMyCall=F5ABC\n") << true;
        QTest::newRow("unclosed group") << QByteArray("[Settings\nMyCall=F5ABC\n[Look]\nLeft=3\n") << false;
        QTest::newRow("NUL bytes") << QByteArray("[Settings]\nMyCall=F5\0ABC\n", 25) << false;
        QTest::newRow("NUL bytes and Latin-1") << QByteArray("[Settings]\nMyCall=F5\xC9\0X\n", 25) << false;
    }
    void unreadableStoreIsLeftAlone() {
        QFETCH(QByteArray, content);
        QFETCH(bool, denyRead);
        if (content.isEmpty())
            QVERIFY(QDir().mkpath(m_path));
        else
            writeBytes(m_path, content);
        if (denyRead) {
            QVERIFY(QFile::setPermissions(m_path, QFile::WriteOwner));
            QFile probe(m_path);
            if (probe.open(QIODevice::ReadOnly))
                QSKIP("this user can read regardless of permissions");
        }

        {
            SettingsStore store(m_path);
            store.open();
            QVERIFY(!store.isReadable());
            const QString group = QStringLiteral("Settings");
            QVERIFY_THROWS_EXCEPTION(StoreError, store.readString(group, QStringLiteral("Missing"), {}));
            QVERIFY_THROWS_EXCEPTION(StoreError, store.writeString(group, QStringLiteral("MyCall"), "X"));
            QVERIFY_THROWS_EXCEPTION(StoreError, store.sync());

            // Nothing could be read, so everything runs on its default.
            RunningSettings s;
            Applied applied;
            QVERIFY(!loadStartupSettings(store, s, applied.recorder()));
            QVERIFY(applied.ids.isEmpty());
            QCOMPARE(s.WFMin, 100);
            QCOMPARE(s.CardNum, -1);
            QCOMPARE(s.Blocks, 1);
            QVERIFY(s.ShowUTCTime);
            QVERIFY(!saveExitSettings(store, ExitValues{}));
        }
        if (denyRead)
            QVERIFY(QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner));
        if (content.isEmpty())
            QVERIFY(QFileInfo(m_path).isDir());
        else
            QCOMPARE(readBytes(m_path), content);
    }

    // A FIFO would block the first read for good; like any other non-regular file it is not
    // opened at all.
    void fifoIsUnreadable() {
        QVERIFY(::mkfifo(QFile::encodeName(m_path).constData(), 0600) == 0);
        // Shared with the reader, which may outlive this test if it stays stuck.
        struct Outcome {
            std::atomic<bool> done = false;
            std::atomic<bool> readable = true;
        };
        const auto outcome = std::make_shared<Outcome>();
        std::thread opener([outcome, path = m_path] {
            SettingsStore store(path);
            store.open();
            outcome->readable = store.isReadable();
            RunningSettings s;
            loadStartupSettings(store, s, {});
            outcome->done = true;
        });
        QElapsedTimer waited;
        waited.start();
        while (!outcome->done && waited.elapsed() < 5000)
            QThread::yieldCurrentThread();
        const bool blocked = !outcome->done;
        // Release a reader stuck in open() with writers that close at once, as often as it
        // opens the FIFO again; a writer that finds no reader fails instead of waiting.
        const QByteArray fifo = QFile::encodeName(m_path);
        while (!outcome->done && waited.elapsed() < 15000) {
            const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
            QThread::yieldCurrentThread();
        }
        if (outcome->done)
            opener.join();
        else
            opener.detach();
        QVERIFY2(!blocked, "opening the store blocked on a FIFO");
        QVERIFY(!outcome->readable);
        QVERIFY(QFileInfo(m_path).exists() && !QFileInfo(m_path).isFile());
    }

    void freshStoreGivesDefaults() {
        SettingsStore store(m_path);
        store.open();
        RunningSettings s;
        Applied applied;
        QVERIFY(loadStartupSettings(store, s, applied.recorder()));
        QCOMPARE(applied.ids, idsBefore(kSettingIdCount));

        QCOMPARE(s.MyCall, QStringLiteral("NOCALL"));
        QCOMPARE(s.ShowUTCTime, true);
        QCOMPARE(s.SpectrumPlain, true);
        QCOMPARE(s.DateFormat, 0);
        QCOMPARE(s.CWIDSpeed, 2);
        QCOMPARE(s.CWID, QStringLiteral("NOCALL"));
        QCOMPARE(s.ComPort, 1);
        QCOMPARE(s.PTTControl, 0);
        QCOMPARE(s.RXMode, 0);
        QCOMPARE(s.WFMin, 100);
        QCOMPARE(s.WFMax, 3500);
        QCOMPARE(s.AFCOn, true);
        QCOMPARE(s.AFCRange, 10);
        QCOMPARE(s.NetOn, true);
        QCOMPARE(s.SQValue, 10);
        QCOMPARE(s.SQSpeed, 1);
        QCOMPARE(s.Blocks, 1);
        QCOMPARE(s.FFTAdjust, 1);
        QCOMPARE(s.PPMAdjust, 0);
        QCOMPARE(s.WCursor, 4);
        QCOMPARE(s.WColor, 4210752u);
        QCOMPARE(s.CardNum, -1);
        QCOMPARE(s.WindowState, false);
        QCOMPARE(s.Left, 50);
        QCOMPARE(s.Top, 50);
        QCOMPARE(s.Height, 450);
        QCOMPARE(s.Width, 645);
        QCOMPARE(s.ACCColor, 0u);
        QCOMPARE(s.ACCFtColor, 65535u);
        QCOMPARE(s.OTHColor, 0u);
        QCOMPARE(s.OTHFtColor, 65280u);
        const FontSpec font{QStringLiteral("MS Sans Serif"), 0, 8, 0};
        for (quint32 background : {s.STPColor, s.RXBColor, s.TXBColor, s.QSOColor})
            QCOMPARE(background, 16777215u);
        for (const FontSpec &spec : {s.STPFont, s.RXBFont, s.TXBFont, s.QSOFont})
            QCOMPARE(spec, font);

        // Loading reads only; the first exit save fills the new key.
        QVERIFY(saveExitSettings(store,
                                 ExitValues{100, 3500, 100, true, 10, true, 10, 1, false, 50, 50, 450, 645}));
        QCOMPARE(rawValue(m_path, "Settings/Freq").toString(), QStringLiteral("100"));
    }

    void readOrderMatchesNames() {
        QStringList names;
        for (int i = 0; i < kSettingIdCount; ++i) {
            const auto id = static_cast<SettingId>(i);
            names.append(settingName(id));
            QCOMPARE(settingGroup(id), QString(i < kSettingsOrder.size() ? "Settings" : "Look"));
        }
        QCOMPARE(names, kSettingsOrder + kLookOrder);
    }

    // A bad value anywhere stops the load right there: everything before it is read and
    // reported in order, nothing after it is.
    void readErrorStopsLoad_data() {
        QTest::addColumn<int>("stop");
        const QStringList all = kSettingsOrder + kLookOrder;
        for (int i = 0; i < all.size(); ++i)
            QTest::newRow(qPrintable(all[i])) << i;
    }
    void readErrorStopsLoad() {
        QFETCH(int, stop);
        const bool look = stop >= kSettingsOrder.size();
        const QString name = (kSettingsOrder + kLookOrder)[stop];
        writeBytes(m_path, (look ? "[Look]\n" : "[Settings]\n") + name.toLatin1() + "=@ByteArray(1)\n");
        SettingsStore store(m_path);
        RunningSettings s;
        Applied applied;
        QVERIFY(!loadStartupSettings(store, s, applied.recorder()));
        QCOMPARE(applied.ids, idsBefore(stop));
    }

    // Values after the failure are not read: they run on their defaults (never zeros, which
    // would pick sound card 0 and replay nothing).
    void readErrorKeepsEarlierValues() {
        writeBytes(m_path, "[Settings]\nMyCall=F5ABC\nWFMax=3000\nSQValue=@ByteArray(7)\nSQSpeed=5\n"
                           "[Look]\nRXBFontSize=@ByteArray(1)\n");
        SettingsStore store(m_path);
        RunningSettings s;
        QVERIFY(!loadStartupSettings(store, s, {}));
        QCOMPARE(s.MyCall, QStringLiteral("F5ABC"));
        QCOMPARE(s.WFMax, 3000);
        QCOMPARE(s.NetOn, true);
        QCOMPARE(s.SQValue, 10);
        QCOMPARE(s.SQSpeed, 1);
        QCOMPARE(s.Blocks, 1);
        QCOMPARE(s.CardNum, -1);
        QCOMPARE(s.Width, 645);
        QVERIFY(s.ShowUTCTime);
        QCOMPARE(s.RXBFont, (FontSpec{QStringLiteral("MS Sans Serif"), 0, 8, 0}));
    }

    // What the load never read is not known to the window, so the exit save must not replace
    // it with the window's defaults; values written since (the settings dialog) are saved.
    void exitSaveKeepsUnreadValues() {
        writeBytes(m_path, "[Settings]\nRXMode=1, 2\nWFMin=300\nWFMax=2700\nSQValue=40\n"
                           "[Look]\nLeft=20\nWidth=900\n");
        SettingsStore store(m_path);
        RunningSettings s;
        QVERIFY(!loadStartupSettings(store, s, {}, {}));
        QCOMPARE(s.WFMin, 100);
        store.writeInt(QStringLiteral("Settings"), QStringLiteral("WFMax"), 3000);
        QVERIFY(saveExitSettings(
            store, ExitValues{100, 3000, 1500, true, 10, true, 10, 1, false, 50, 50, 450, 645}));
        QCOMPARE(rawValue(m_path, "Settings/WFMin").toString(), QStringLiteral("300"));
        QCOMPARE(rawValue(m_path, "Settings/WFMax").toString(), QStringLiteral("3000"));
        QCOMPARE(rawValue(m_path, "Settings/SQValue").toString(), QStringLiteral("40"));
        QCOMPARE(rawValue(m_path, "Settings/Freq").toString(), QStringLiteral("1500"));
        QCOMPARE(rawValue(m_path, "Settings/RXMode").toStringList(), QStringList({"1", "2"}));
        QCOMPARE(rawValue(m_path, "Look/Left").toString(), QStringLiteral("20"));
        QCOMPARE(rawValue(m_path, "Look/Width").toString(), QStringLiteral("900"));
        QVERIFY(!rawValue(m_path, "Look/Top").isValid());
    }

    // Text in another encoding spoils only its own value: that one takes its default, the
    // others load, and saving keeps its bytes unless something writes over it.
    void undecodableValueTakesItsDefault() {
        const QByteArray latin1Call("MyCall=F5\xC9X");
        const QByteArray badBlocks("Blocks=\xFF");
        writeBytes(m_path, "[Look]\nQSOFontName=Arial\n[Settings]\n" + latin1Call + "\nCardNum=1\n" +
                               badBlocks + "\nCWID=caf\xE9\n");
        SettingsStore store(m_path);
        QVERIFY(store.isReadable());
        RunningSettings s;
        Applied applied;
        QVERIFY(loadStartupSettings(store, s, applied.recorder(), {}));
        QCOMPARE(applied.ids, idsBefore(kSettingIdCount));
        QCOMPARE(s.MyCall, QStringLiteral("NOCALL"));
        QCOMPARE(s.CardNum, 1);
        QCOMPARE(s.Blocks, 1);
        QVERIFY(s.ShowUTCTime);
        QCOMPARE(s.QSOFont.name, QStringLiteral("Arial"));

        store.writeString(QStringLiteral("Settings"), QStringLiteral("CWID"), QStringLiteral("de F5ABC"));
        QVERIFY(saveExitSettings(
            store, ExitValues{300, 2800, 1500, true, 10, true, 10, 1, false, 50, 50, 450, 645}));
        const QByteArray saved = readBytes(m_path);
        QVERIFY2(saved.contains(latin1Call + "\n"), saved.constData());
        QVERIFY2(saved.contains(badBlocks + "\n"), saved.constData());
        QCOMPARE(rawValue(m_path, "Settings/CWID").toString(), QStringLiteral("de F5ABC"));
        QCOMPARE(rawValue(m_path, "Settings/WFMin").toString(), QStringLiteral("300"));

        // A second save in the same run keeps them too.
        QVERIFY(saveExitSettings(
            store, ExitValues{400, 2800, 1500, true, 10, true, 10, 1, false, 50, 50, 450, 645}));
        QVERIFY(readBytes(m_path).contains(latin1Call + "\n"));
        QCOMPARE(rawValue(m_path, "Settings/WFMin").toString(), QStringLiteral("400"));
    }

    // Every number is checked against its range before anything sees it; the value the window
    // is handed when the id is reported is already the checked one.
    void outOfRangeTakesDefault_data() {
        QTest::addColumn<int>("id");
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("expected");
        const auto row = [](const char *name, SettingId id, const char *stored, int expected) {
            QTest::newRow(name) << static_cast<int>(id) << QByteArray(stored) << expected;
        };
        using Id = SettingId;
        row("DateFormat 6", Id::DateFormat, "6", 0);
        row("DateFormat 5", Id::DateFormat, "5", 5);
        row("CWIDSpeed int max", Id::CWIDSpeed, "2147483647", 2);
        row("CWIDSpeed -1", Id::CWIDSpeed, "-1", 2);
        row("CWIDSpeed 3", Id::CWIDSpeed, "3", 3);
        row("ComPort 0", Id::ComPort, "0", 1);
        row("ComPort 9", Id::ComPort, "9", 1);
        row("ComPort 8", Id::ComPort, "8", 8);
        row("PTTControl 4", Id::PTTControl, "4", 0);
        row("RXMode 3", Id::RXMode, "3", 0);
        row("RXMode 5", Id::RXMode, "5", 0);
        row("RXMode 11", Id::RXMode, "11", 0);
        row("RXMode -1", Id::RXMode, "-1", 0);
        row("RXMode 2", Id::RXMode, "2", 2);
        row("RXMode 8", Id::RXMode, "8", 8);
        row("RXMode 10", Id::RXMode, "10", 10);
        row("WFMin 50", Id::WFMin, "50", 100);
        row("WFMax 4000", Id::WFMax, "4000", 3500);
        row("AFCRange 3501", Id::AFCRange, "3501", 10);
        row("AFCRange -1", Id::AFCRange, "-1", 10);
        row("SQValue 101", Id::SQValue, "101", 10);
        row("SQSpeed 201", Id::SQSpeed, "201", 1);
        row("SQSpeed 200", Id::SQSpeed, "200", 200);
        row("Blocks 100", Id::Blocks, "100", 1);
        row("Blocks 0", Id::Blocks, "0", 0);
        row("FFTAdjust 0", Id::FFTAdjust, "0", 1);
        row("FFTAdjust 11", Id::FFTAdjust, "11", 1);
        row("PPMAdjust -12", Id::PPMAdjust, "-12", -12);
        row("PPMAdjust int min", Id::PPMAdjust, "-2147483648", 0);
        row("WCursor 0", Id::WCursor, "0", 4);
        row("WCursor 6", Id::WCursor, "6", 4);
        row("CardNum -2", Id::CardNum, "-2", -1);
        row("CardNum 3", Id::CardNum, "3", -1);
        row("CardNum 2", Id::CardNum, "2", 2);
        // The screen is 0,0 800 x 600.
        row("Left int max", Id::Left, "2147483647", 50);
        row("Left int min", Id::Left, "-2147483648", 50);
        row("Left past the right edge", Id::Left, "701", 50);
        row("Left near the right edge", Id::Left, "699", 699);
        row("Left of a maximised frame", Id::Left, "-8", -8);
        row("Top int min", Id::Top, "-2147483648", 50);
        row("Top int max", Id::Top, "2147483647", 50);
        row("Top below the screen", Id::Top, "580", 50);
        row("Height 0", Id::Height, "0", 450);
        row("Width int max", Id::Width, "2147483647", 645);
        row("font size 0", Id::RXBFontSize, "0", 8);
        row("font size 145", Id::RXBFontSize, "145", 8);
        row("font style 10", Id::RXBFontStyle, "10", 0);
        row("font style 1100", Id::RXBFontStyle, "1100", 1100);
    }
    void outOfRangeTakesDefault() {
        QFETCH(int, id);
        QFETCH(QByteArray, stored);
        QFETCH(int, expected);
        const auto setting = static_cast<SettingId>(id);
        writeBytes(m_path, "[" + settingGroup(setting).toLatin1() + "]\n" + settingName(setting).toLatin1() +
                               "=" + stored + "\n");
        SettingsStore store(m_path);
        RunningSettings s;
        int seen = INT_MIN;
        const auto field = [&s](SettingId which) {
            switch (which) {
            case SettingId::DateFormat:
                return s.DateFormat;
            case SettingId::CWIDSpeed:
                return s.CWIDSpeed;
            case SettingId::ComPort:
                return s.ComPort;
            case SettingId::PTTControl:
                return s.PTTControl;
            case SettingId::RXMode:
                return s.RXMode;
            case SettingId::WFMin:
                return s.WFMin;
            case SettingId::WFMax:
                return s.WFMax;
            case SettingId::AFCRange:
                return s.AFCRange;
            case SettingId::SQValue:
                return s.SQValue;
            case SettingId::SQSpeed:
                return s.SQSpeed;
            case SettingId::Blocks:
                return s.Blocks;
            case SettingId::FFTAdjust:
                return s.FFTAdjust;
            case SettingId::PPMAdjust:
                return s.PPMAdjust;
            case SettingId::WCursor:
                return s.WCursor;
            case SettingId::CardNum:
                return s.CardNum;
            case SettingId::Left:
                return s.Left;
            case SettingId::Top:
                return s.Top;
            case SettingId::Height:
                return s.Height;
            case SettingId::Width:
                return s.Width;
            case SettingId::RXBFontSize:
                return s.RXBFont.size;
            case SettingId::RXBFontStyle:
                return s.RXBFont.style;
            default:
                return INT_MIN;
            }
        };
        const auto applied = [&](SettingId reported) {
            if (reported == setting)
                seen = field(setting);
        };
        QVERIFY(loadStartupSettings(store, s, applied, {QRect(0, 0, 800, 600)}));
        QCOMPARE(field(setting), expected);
        QCOMPARE(seen, expected);
    }

    void handEditedValuesLoad() {
        writeBytes(m_path, "[Settings]\nCardNum=abc\nAFCOn=2\nNetOn=0\nWFMin= 300 \nWColor=-16777211\n"
                           "[Look]\nSTPFontStyle=1100\nSTPFontSize=0\nQSOFontStyle=10\n");
        SettingsStore store(m_path);
        RunningSettings s;
        QVERIFY(loadStartupSettings(store, s, {}));
        QCOMPARE(s.CardNum, -1);
        QCOMPARE(s.AFCOn, true);
        QCOMPARE(s.NetOn, false);
        QCOMPARE(s.WFMin, 300);
        QCOMPARE(colorFromWin(s.WColor), QColor(5, 0, 0));
        const QFont stp = fontFromSpec(s.STPFont);
        QVERIFY(stp.bold() && stp.italic());
        QCOMPARE(stp.pointSize(), kDefaultFontSize);
        const QFont qso = fontFromSpec(s.QSOFont);
        QVERIFY(!qso.bold() && !qso.italic());
    }

    // Placement is not read for a maximised window, so even a bad value there is harmless.
    void windowStateSkipsPlacement() {
        writeBytes(m_path,
                   "[Look]\nWindowState=1\nLeft=@ByteArray(1)\nTop=7\nHeight=8\nWidth=9\nACCColor=255\n");
        SettingsStore store(m_path);
        RunningSettings s;
        Applied applied;
        QVERIFY(loadStartupSettings(store, s, applied.recorder()));
        QVERIFY(s.WindowState);
        QCOMPARE(s.Top, 0);
        QCOMPARE(s.Width, 0);
        QCOMPARE(s.ACCColor, 255u);
        for (SettingId skipped : {SettingId::Left, SettingId::Top, SettingId::Height, SettingId::Width})
            QVERIFY(!applied.ids.contains(static_cast<int>(skipped)));
        QCOMPARE(applied.ids.size(), kSettingIdCount - 4);
        QCOMPARE(applied.ids.indexOf(static_cast<int>(SettingId::ACCColor)),
                 applied.ids.indexOf(static_cast<int>(SettingId::WindowState)) + 1);
    }

    void fontStyles_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<int>("points");
        QTest::newRow("regular") << 0 << 8 << false << false << 8;
        QTest::newRow("italic") << 100 << 10 << false << true << 10;
        QTest::newRow("bold") << 1000 << 12 << true << false << 12;
        QTest::newRow("bold italic") << 1100 << 8 << true << true << 8;
        QTest::newRow("10 is not a code") << 10 << 8 << false << false << 8;
        QTest::newRow("2000 is not a code") << 2000 << 8 << false << false << 8;
        QTest::newRow("negative code") << -100 << 8 << false << false << 8;
        QTest::newRow("size zero") << 0 << 0 << false << false << kDefaultFontSize;
        QTest::newRow("size negative") << 1000 << -12 << true << false << kDefaultFontSize;
        QTest::newRow("size absurd") << 0 << 100000 << false << false << kDefaultFontSize;
        QTest::newRow("size int max") << 0 << INT_MAX << false << false << kDefaultFontSize;
    }
    void fontStyles() {
        QFETCH(int, style);
        QFETCH(int, size);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(int, points);
        const QFont font = fontFromSpec(FontSpec{QStringLiteral("MS Sans Serif"), 0, size, style});
        QCOMPARE(font.bold(), bold);
        QCOMPARE(font.italic(), italic);
        QCOMPARE(font.pointSize(), points);
        QCOMPARE(fontStyleCode(font), (bold ? 1000 : 0) + (italic ? 100 : 0));
    }

    void bandGuard_data() {
        QTest::addColumn<int>("wfMin");
        QTest::addColumn<int>("wfMax");
        QTest::addColumn<int>("expectedMin");
        QTest::addColumn<int>("expectedMax");
        QTest::newRow("defaults") << 100 << 3500 << 100 << 3500;
        QTest::newRow("narrowest allowed") << 1000 << 1400 << 1000 << 1400;
        QTest::newRow("zeros after a read error") << 0 << 0 << 100 << 3500;
        QTest::newRow("reversed") << 3500 << 100 << 100 << 3500;
        QTest::newRow("too narrow") << 100 << 450 << 100 << 3500;
        QTest::newRow("min below range") << 50 << 3500 << 100 << 3500;
        QTest::newRow("max above range") << 100 << 3600 << 100 << 3500;
        QTest::newRow("extremes") << INT_MIN << INT_MAX << 100 << 3500;
    }
    void bandGuard() {
        QFETCH(int, wfMin);
        QFETCH(int, wfMax);
        QFETCH(int, expectedMin);
        QFETCH(int, expectedMax);
        RunningSettings s;
        s.WFMin = wfMin;
        s.WFMax = wfMax;
        sanitizeBand(s);
        QCOMPARE(s.WFMin, expectedMin);
        QCOMPARE(s.WFMax, expectedMax);
    }

    void exitSaveWritesStrings() {
        writeBytes(m_path, "[Settings]\nMyCall=F5ABC\n[Macros]\nMacroText1=CQ CQ\n");
        SettingsStore store(m_path);
        const ExitValues v{300, 2800, 1234, false, 25, true, 0, 200, true, -8, -8, 700, 1000};
        QVERIFY(saveExitSettings(store, v));

        const QList<QPair<QString, QString>> expected = {
            {"Settings/WFMin", "300"}, {"Settings/WFMax", "2800"},   {"Settings/Freq", "1234"},
            {"Settings/AFCOn", "0"},   {"Settings/AFCRange", "25"},  {"Settings/NetOn", "1"},
            {"Settings/SQValue", "0"}, {"Settings/SQSpeed", "200"},  {"Look/WindowState", "1"},
            {"Look/Left", "-8"},       {"Look/Top", "-8"},           {"Look/Height", "700"},
            {"Look/Width", "1000"},    {"Settings/MyCall", "F5ABC"}, {"Macros/MacroText1", "CQ CQ"},
        };
        QSettings raw(m_path, QSettings::IniFormat);
        for (const auto &[key, text] : expected) {
            QCOMPARE(raw.value(key).metaType().id(), QMetaType::QString);
            QCOMPARE(raw.value(key).toString(), text);
        }
    }

    void exitSaveFailsWhenNotWritable_data() {
        QTest::addColumn<QString>("obstacle");
        QTest::newRow("a file where the folder should be") << "file";
        QTest::newRow("read-only folder") << "folder";
        QTest::newRow("read-only file") << "readonly";
    }
    void exitSaveFailsWhenNotWritable() {
        QFETCH(QString, obstacle);
        const QString folder = m_dir->filePath(QStringLiteral("cfg"));
        const QString path = folder + QStringLiteral("/VARNEK.conf");
        QFile blocker(folder);
        if (obstacle == "file") {
            writeBytes(folder, "not a folder");
        } else {
            QVERIFY(QDir().mkpath(folder));
            if (obstacle == "readonly") {
                writeBytes(path, "[Settings]\nWFMin=200\n");
                QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
                blocker.setFileName(path);
            } else {
                QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner));
            }
            // Some users (root) write whatever the permissions say.
            QFile probe(obstacle == "readonly" ? path : folder + "/probe");
            if (probe.open(QIODevice::WriteOnly | QIODevice::Append)) {
                probe.close();
                QFile::setPermissions(blocker.fileName(),
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                QSKIP("this user can write regardless of permissions");
            }
        }

        SettingsStore store(path);
        store.open();
        QVERIFY(
            !saveExitSettings(store, ExitValues{300, 2800, 1234, true, 10, true, 10, 1, false, 1, 2, 3, 4}));

        // Once the obstacle is gone the next save goes through: an earlier failure must not
        // stick to the store.
        if (obstacle == "file") {
            QVERIFY(QFile::remove(folder));
            QVERIFY(QDir().mkpath(folder));
        } else {
            QFile::setPermissions(blocker.fileName(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QVERIFY(
            saveExitSettings(store, ExitValues{400, 2900, 1234, true, 10, true, 10, 1, false, 1, 2, 3, 4}));
        QCOMPARE(rawValue(path, "Settings/WFMin").toString(), QStringLiteral("400"));
        QCOMPARE(rawValue(path, "Settings/Freq").toString(), QStringLiteral("1234"));
    }

    // A file damaged while the program runs is not replaced by the exit save either.
    void damagedWhileRunningIsNotOverwritten() {
        writeBytes(m_path, "[Settings]\nMyCall=F5ABC\n");
        SettingsStore store(m_path);
        QCOMPARE(store.readString(QStringLiteral("Settings"), QStringLiteral("MyCall"), {}),
                 QStringLiteral("F5ABC"));
        const QByteArray damaged("[Settings]\nMyCall=F5\0X\nCWID=longer text\n", 40);
        writeBytes(m_path, damaged);
        QVERIFY(!saveExitSettings(store, ExitValues{}));
        QCOMPARE(readBytes(m_path), damaged);
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
