#include "RunningSettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <iterator>

namespace {

// Indexed by SettingId.
constexpr const char *kNames[] = {
    "MyCall",      "ShowUTCTime", "SpectrumPlain", "DateFormat",   "CWIDSpeed",    "CWID",
    "ComPort",     "PTTControl",  "RXMode",        "WFMin",        "WFMax",        "AFCOn",
    "AFCRange",    "NetOn",       "SQValue",       "SQSpeed",      "Blocks",       "FFTAdjust",
    "PPMAdjust",   "WCursor",     "WColor",        "CardNum",      "WindowState",  "Left",
    "Top",         "Height",      "Width",         "ACCColor",     "ACCFtColor",   "OTHColor",
    "OTHFtColor",  "STPColor",    "STPFontName",   "STPFontCol",   "STPFontSize",  "STPFontStyle",
    "RXBColor",    "RXBFontName", "RXBFontCol",    "RXBFontSize",  "RXBFontStyle", "TXBColor",
    "TXBFontName", "TXBFontCol",  "TXBFontSize",   "TXBFontStyle", "QSOColor",     "QSOFontName",
    "QSOFontCol",  "QSOFontSize", "QSOFontStyle",
};
static_assert(std::size(kNames) == kSettingIdCount, "one name per SettingId");

constexpr quint32 kWhite = 16777215;
constexpr quint32 kBlack = 0;

// The range a stored integer must lie in; anything outside it (hand-edited) gives the
// default, so no value reaches the window or the library that they were not made for.
struct Range {
    int low = INT_MIN;
    int high = INT_MAX;
    bool contains(int v) const { return v >= low && v <= high; }
};
constexpr Range kAny{};

// A stored window position must leave the title bar on some screen.
constexpr int kFrameSlack = 8;     // a maximised frame sits this far outside the screen
constexpr int kVisibleWidth = 100; // room to grab the title bar
constexpr int kVisibleHeight = 30;

// Reads one value, stores it and reports it, in that order. After the first read error no
// more values are read: the rest take their defaults without being reported (the window
// keeps its design values) and are marked unread, so the exit save keeps their stored text.
class Loader {
public:
    Loader(SettingsStore &store, const std::function<void(SettingId)> &applied)
        : m_store(store), m_applied(applied) {}

    bool failed() const { return m_failed; }

    void text(SettingId id, QString &to, const QString &def) {
        to = def;
        if (!proceed(id))
            return;
        try {
            to = m_store.readString(settingGroup(id), settingName(id), def);
        } catch (const StoreError &error) {
            fail(id, error);
            return;
        }
        report(id);
    }
    // An integer that accept() turns down gives the default.
    template <typename Accept> void integerIf(SettingId id, int &to, int def, Accept accept) {
        int value = def;
        if (!fetch(id, value, def)) {
            to = def;
            return;
        }
        to = accept(value) ? value : def;
        report(id);
    }
    void integer(SettingId id, int &to, int def, Range range = kAny) {
        integerIf(id, to, def, [range](int v) { return range.contains(v); });
    }
    // One of a list of codes, or the default.
    void code(SettingId id, int &to, int def, std::initializer_list<int> codes) {
        integerIf(id, to, def,
                  [&codes](int v) { return std::find(codes.begin(), codes.end(), v) != codes.end(); });
    }
    void boolean(SettingId id, bool &to, bool def) {
        int value = 0;
        to = def;
        if (!fetch(id, value, def ? 1 : 0))
            return;
        to = value != 0;
        report(id);
    }
    // Colours are stored as integers; a negative one keeps its bits (colorFromWin drops
    // the top byte).
    void colour(SettingId id, quint32 &to, quint32 def) {
        int value = 0;
        to = def;
        if (!fetch(id, value, static_cast<int>(def)))
            return;
        to = static_cast<quint32>(value);
        report(id);
    }
    // The four values of a font, from its name id on.
    void font(SettingId nameId, FontSpec &to) {
        const int first = static_cast<int>(nameId);
        text(nameId, to.name, QStringLiteral("MS Sans Serif"));
        colour(static_cast<SettingId>(first + 1), to.color, kBlack);
        integer(static_cast<SettingId>(first + 2), to.size, kDefaultFontSize,
                Range{kMinFontSize, kMaxFontSize});
        code(static_cast<SettingId>(first + 3), to.style, 0,
             {0, kFontStyleItalic, kFontStyleBold, kFontStyleBold + kFontStyleItalic});
    }

private:
    // False once the load has stopped: the value is then left unread.
    bool proceed(SettingId id) {
        if (m_failed)
            m_store.markUnread(settingGroup(id), settingName(id));
        return !m_failed;
    }
    bool fetch(SettingId id, int &value, int def) {
        if (!proceed(id))
            return false;
        try {
            value = m_store.readInt(settingGroup(id), settingName(id), def);
        } catch (const StoreError &error) {
            fail(id, error);
            return false;
        }
        return true;
    }
    void fail(SettingId id, const StoreError &error) {
        // The operator only sees a fixed message; the reason goes to the log.
        qWarning("Settings load stopped: %s", error.what());
        m_failed = true;
        m_store.markUnread(settingGroup(id), settingName(id));
    }
    void report(SettingId id) {
        if (m_applied)
            m_applied(id);
    }

    SettingsStore &m_store;
    const std::function<void(SettingId)> &m_applied;
    bool m_failed = false;
};

// The horizontal and vertical ranges a window's top-left corner may take on the screens.
bool leftIsOnScreen(int left, const QList<QRect> &screens) {
    return std::any_of(screens.begin(), screens.end(), [left](const QRect &area) {
        return left >= area.left() - kFrameSlack && left <= area.right() - kVisibleWidth;
    });
}

bool topIsOnScreen(int top, const QList<QRect> &screens) {
    return std::any_of(screens.begin(), screens.end(), [top](const QRect &area) {
        return top >= area.top() - kFrameSlack && top <= area.bottom() - kVisibleHeight;
    });
}

QList<QRect> currentScreenAreas() {
    QList<QRect> areas;
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        for (const QScreen *screen : QGuiApplication::screens())
            areas.append(screen->availableGeometry());
    return areas;
}

} // namespace

QString settingName(SettingId id) {
    const auto index = static_cast<std::size_t>(id);
    return index < std::size(kNames) ? QString::fromLatin1(kNames[index]) : QString();
}

QString settingGroup(SettingId id) {
    return id >= SettingId::WindowState ? StoreGroup::look() : StoreGroup::settings();
}

bool loadStartupSettings(SettingsStore &store, RunningSettings &s,
                         const std::function<void(SettingId)> &applied) {
    return loadStartupSettings(store, s, applied, currentScreenAreas());
}

bool loadStartupSettings(SettingsStore &store, RunningSettings &s,
                         const std::function<void(SettingId)> &applied, const QList<QRect> &screens) {
    using Id = SettingId;
    Loader load(store, applied);
    load.text(Id::MyCall, s.MyCall, QStringLiteral("NOCALL"));
    load.boolean(Id::ShowUTCTime, s.ShowUTCTime, true);
    load.boolean(Id::SpectrumPlain, s.SpectrumPlain, true);
    load.integer(Id::DateFormat, s.DateFormat, 0, Range{0, 5});
    load.integer(Id::CWIDSpeed, s.CWIDSpeed, 2, Range{0, 3});
    load.text(Id::CWID, s.CWID, QStringLiteral("NOCALL"));
    load.integer(Id::ComPort, s.ComPort, 1, Range{1, 8});
    load.integer(Id::PTTControl, s.PTTControl, 0, Range{0, 3});
    // Other codes would make the transmitter send a bare carrier or nothing at all.
    load.code(Id::RXMode, s.RXMode, 0, {0, 1, 2, 8, 9, 10});
    load.integer(Id::WFMin, s.WFMin, kDefaultWFMin, Range{kDefaultWFMin, kDefaultWFMax});
    load.integer(Id::WFMax, s.WFMax, kDefaultWFMax, Range{kDefaultWFMin, kDefaultWFMax});
    load.boolean(Id::AFCOn, s.AFCOn, true);
    load.integer(Id::AFCRange, s.AFCRange, 10, Range{0, kDefaultWFMax});
    load.boolean(Id::NetOn, s.NetOn, true);
    load.integer(Id::SQValue, s.SQValue, 10, Range{0, 100});
    load.integer(Id::SQSpeed, s.SQSpeed, 1, Range{0, 200});
    load.integer(Id::Blocks, s.Blocks, 1, Range{0, 99});
    load.integer(Id::FFTAdjust, s.FFTAdjust, 1, Range{1, 10});
    load.integer(Id::PPMAdjust, s.PPMAdjust, 0, Range{-kMaxPPMAdjust, kMaxPPMAdjust});
    load.integer(Id::WCursor, s.WCursor, 4, Range{1, 5});
    load.colour(Id::WColor, s.WColor, 0x404040);
    load.integer(Id::CardNum, s.CardNum, -1, Range{-1, 2});

    load.boolean(Id::WindowState, s.WindowState, false);
    // A maximised window has no placement of its own to restore.
    if (!s.WindowState) {
        // No screens known (no GUI yet): nothing to check against.
        load.integerIf(Id::Left, s.Left, 50,
                       [&screens](int v) { return screens.isEmpty() || leftIsOnScreen(v, screens); });
        load.integerIf(Id::Top, s.Top, 50,
                       [&screens](int v) { return screens.isEmpty() || topIsOnScreen(v, screens); });
        load.integer(Id::Height, s.Height, 450, Range{1, kMaxWindowSide});
        load.integer(Id::Width, s.Width, 645, Range{1, kMaxWindowSide});
    }
    load.colour(Id::ACCColor, s.ACCColor, kBlack);
    load.colour(Id::ACCFtColor, s.ACCFtColor, 65535);
    load.colour(Id::OTHColor, s.OTHColor, kBlack);
    load.colour(Id::OTHFtColor, s.OTHFtColor, 65280);
    load.colour(Id::STPColor, s.STPColor, kWhite);
    load.font(Id::STPFontName, s.STPFont);
    load.colour(Id::RXBColor, s.RXBColor, kWhite);
    load.font(Id::RXBFontName, s.RXBFont);
    load.colour(Id::TXBColor, s.TXBColor, kWhite);
    load.font(Id::TXBFontName, s.TXBFont);
    load.colour(Id::QSOColor, s.QSOColor, kWhite);
    load.font(Id::QSOFontName, s.QSOFont);
    return !load.failed();
}

void sanitizeBand(int &wfMin, int &wfMax) {
    const bool inRange =
        wfMin >= kDefaultWFMin && wfMin <= kDefaultWFMax && wfMax >= kDefaultWFMin && wfMax <= kDefaultWFMax;
    // Both ends are checked first, so the difference cannot overflow.
    if (!inRange || wfMax - wfMin < kMinBandSpan) {
        wfMin = kDefaultWFMin;
        wfMax = kDefaultWFMax;
    }
}

void sanitizeBand(RunningSettings &s) {
    sanitizeBand(s.WFMin, s.WFMax);
}

bool saveExitSettings(SettingsStore &store, const ExitValues &v) {
    const QString settings = StoreGroup::settings();
    const QString look = StoreGroup::look();
    // A value the start-up load never read was not known to the window: what it hands over is
    // a default, and the stored text stays.
    const auto put = [&store](const QString &group, const char *name, const QString &text) {
        const QString key = QString::fromLatin1(name);
        if (!store.isUnread(group, key))
            store.writeString(group, key, text);
    };
    const auto number = [](int value) { return QString::number(value); };
    const auto flag = [](bool value) { return value ? QStringLiteral("1") : QStringLiteral("0"); };
    try {
        // The groups are made sure of again before writing, as at start-up.
        store.open();
        put(settings, "WFMin", number(v.WFMin));
        put(settings, "WFMax", number(v.WFMax));
        put(settings, "Freq", number(v.Freq));
        put(settings, "AFCOn", flag(v.AFCOn));
        put(settings, "AFCRange", number(v.AFCRange));
        put(settings, "NetOn", flag(v.NetOn));
        put(settings, "SQValue", number(v.SQValue));
        put(settings, "SQSpeed", number(v.SQSpeed));
        put(look, "WindowState", flag(v.WindowState));
        put(look, "Left", number(v.Left));
        put(look, "Top", number(v.Top));
        put(look, "Height", number(v.Height));
        put(look, "Width", number(v.Width));
        store.sync();
    } catch (const StoreError &error) {
        qWarning("Settings save failed: %s", error.what());
        return false;
    }
    return true;
}

QString mixerCommand(const SettingsStore &store, MixerCommand which) {
    struct Entry {
        const char *name;
        const char *command;
    };
    static constexpr Entry kEntries[] = {
        {"MixerInput", "pavucontrol -t 4"},   // input devices
        {"MixerOutput", "pavucontrol -t 3"},  // output devices
        {"MixerDevices", "pavucontrol -t 5"}, // configuration of the cards
    };
    const Entry &entry = kEntries[static_cast<int>(which)];
    const QString fallback = QString::fromLatin1(entry.command);
    try {
        const QString stored =
            store.readString(StoreGroup::settings(), QString::fromLatin1(entry.name), fallback).trimmed();
        return stored.isEmpty() ? fallback : stored;
    } catch (const StoreError &error) {
        qWarning("%s", error.what());
        return fallback;
    }
}
