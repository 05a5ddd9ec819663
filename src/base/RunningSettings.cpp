#include "RunningSettings.h"

#include <QtGlobal>

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

// Reads one value, stores it and reports it, in that order.
class Loader {
public:
    Loader(SettingsStore &store, const std::function<void(SettingId)> &applied)
        : m_store(store), m_applied(applied) {}

    void text(SettingId id, QString &to, const QString &def) {
        to = m_store.readString(settingGroup(id), settingName(id), def);
        report(id);
    }
    void integer(SettingId id, int &to, int def) {
        to = m_store.readInt(settingGroup(id), settingName(id), def);
        report(id);
    }
    void boolean(SettingId id, bool &to, bool def) {
        to = m_store.readBool(settingGroup(id), settingName(id), def);
        report(id);
    }
    // Colours are stored as integers; a negative one keeps its bits (colorFromWin drops
    // the top byte).
    void colour(SettingId id, quint32 &to, quint32 def) {
        to = static_cast<quint32>(m_store.readInt(settingGroup(id), settingName(id), static_cast<int>(def)));
        report(id);
    }
    // The four values of a font, from its name id on.
    void font(SettingId nameId, FontSpec &to) {
        const int first = static_cast<int>(nameId);
        text(nameId, to.name, QStringLiteral("MS Sans Serif"));
        colour(static_cast<SettingId>(first + 1), to.color, kBlack);
        integer(static_cast<SettingId>(first + 2), to.size, kDefaultFontSize);
        integer(static_cast<SettingId>(first + 3), to.style, 0);
    }

private:
    void report(SettingId id) {
        if (m_applied)
            m_applied(id);
    }

    SettingsStore &m_store;
    const std::function<void(SettingId)> &m_applied;
};

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
    using Id = SettingId;
    Loader load(store, applied);
    try {
        load.text(Id::MyCall, s.MyCall, QStringLiteral("NOCALL"));
        load.boolean(Id::ShowUTCTime, s.ShowUTCTime, true);
        load.boolean(Id::SpectrumPlain, s.SpectrumPlain, true);
        load.integer(Id::DateFormat, s.DateFormat, 0);
        load.integer(Id::CWIDSpeed, s.CWIDSpeed, 2);
        load.text(Id::CWID, s.CWID, QStringLiteral("NOCALL"));
        load.integer(Id::ComPort, s.ComPort, 1);
        load.integer(Id::PTTControl, s.PTTControl, 0);
        load.integer(Id::RXMode, s.RXMode, 0);
        load.integer(Id::WFMin, s.WFMin, kDefaultWFMin);
        load.integer(Id::WFMax, s.WFMax, kDefaultWFMax);
        load.boolean(Id::AFCOn, s.AFCOn, true);
        load.integer(Id::AFCRange, s.AFCRange, 10);
        load.boolean(Id::NetOn, s.NetOn, true);
        load.integer(Id::SQValue, s.SQValue, 10);
        load.integer(Id::SQSpeed, s.SQSpeed, 1);
        load.integer(Id::Blocks, s.Blocks, 1);
        load.integer(Id::FFTAdjust, s.FFTAdjust, 1);
        load.integer(Id::PPMAdjust, s.PPMAdjust, 0);
        load.integer(Id::WCursor, s.WCursor, 4);
        load.colour(Id::WColor, s.WColor, 0x404040);
        load.integer(Id::CardNum, s.CardNum, -1);

        load.boolean(Id::WindowState, s.WindowState, false);
        // A maximised window has no placement of its own to restore.
        if (!s.WindowState) {
            load.integer(Id::Left, s.Left, 50);
            load.integer(Id::Top, s.Top, 50);
            load.integer(Id::Height, s.Height, 450);
            load.integer(Id::Width, s.Width, 645);
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
    } catch (const StoreError &error) {
        // The operator only sees a fixed message; the reason goes to the log.
        qWarning("Settings load stopped: %s", error.what());
        return false;
    }
    return true;
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
    try {
        // The groups are made sure of again before writing, as at start-up.
        store.open();
        store.writeInt(settings, QStringLiteral("WFMin"), v.WFMin);
        store.writeInt(settings, QStringLiteral("WFMax"), v.WFMax);
        store.writeInt(settings, QStringLiteral("Freq"), v.Freq);
        store.writeBool(settings, QStringLiteral("AFCOn"), v.AFCOn);
        store.writeInt(settings, QStringLiteral("AFCRange"), v.AFCRange);
        store.writeBool(settings, QStringLiteral("NetOn"), v.NetOn);
        store.writeInt(settings, QStringLiteral("SQValue"), v.SQValue);
        store.writeInt(settings, QStringLiteral("SQSpeed"), v.SQSpeed);
        store.writeBool(look, QStringLiteral("WindowState"), v.WindowState);
        store.writeInt(look, QStringLiteral("Left"), v.Left);
        store.writeInt(look, QStringLiteral("Top"), v.Top);
        store.writeInt(look, QStringLiteral("Height"), v.Height);
        store.writeInt(look, QStringLiteral("Width"), v.Width);
        store.sync();
    } catch (const StoreError &error) {
        qWarning("Settings save failed: %s", error.what());
        return false;
    }
    return true;
}
