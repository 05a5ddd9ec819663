#pragma once
// The running copies of the Settings and Look values, and the two fixed sequences that move
// them between the store and the main window: the load at creation and the save at exit.
//
// The load reads value after value and hands each one to the window as soon as it is read,
// because applying some of them calls the modem library and that order is part of the
// behaviour. It stops at the first unreadable value; what was not read takes its default.
// Callers still pass the band through sanitizeBand: the two ends are checked one by one.

#include "SettingsStore.h"

#include <QList>
#include <QRect>
#include <QString>

#include <functional>

struct RunningSettings {
    // Settings
    QString MyCall;
    bool ShowUTCTime = false;
    bool SpectrumPlain = false;
    int DateFormat = 0;
    int CWIDSpeed = 0;
    QString CWID;
    int ComPort = 0;
    int PTTControl = 0;
    int RXMode = 0;
    int WFMin = 0;
    int WFMax = 0;
    bool AFCOn = false;
    int AFCRange = 0;
    bool NetOn = false;
    int SQValue = 0;
    int SQSpeed = 0;
    int Blocks = 0;
    int FFTAdjust = 0;
    int PPMAdjust = 0;
    int WCursor = 0;
    quint32 WColor = 0;
    int CardNum = 0;

    // Look
    bool WindowState = false;
    int Left = 0;
    int Top = 0;
    int Height = 0;
    int Width = 0;
    quint32 ACCColor = 0;
    quint32 ACCFtColor = 0;
    quint32 OTHColor = 0;
    quint32 OTHFtColor = 0;
    quint32 STPColor = 0;
    FontSpec STPFont;
    quint32 RXBColor = 0;
    FontSpec RXBFont;
    quint32 TXBColor = 0;
    FontSpec TXBFont;
    quint32 QSOColor = 0;
    FontSpec QSOFont;
};

// One id per stored value, in the order the load reads them (the enum's values count up from
// 0 in that order). A font is four values; its FontSpec is complete once its *FontStyle id
// has been reported, which is when the window applies it.
enum class SettingId {
    MyCall,
    ShowUTCTime,
    SpectrumPlain,
    DateFormat,
    CWIDSpeed,
    CWID,
    ComPort,
    PTTControl,
    RXMode,
    WFMin,
    WFMax,
    AFCOn,
    AFCRange,
    NetOn,
    SQValue,
    SQSpeed,
    Blocks,
    FFTAdjust,
    PPMAdjust,
    WCursor,
    WColor,
    CardNum,
    // Look from here on.
    WindowState,
    Left,
    Top,
    Height,
    Width,
    ACCColor,
    ACCFtColor,
    OTHColor,
    OTHFtColor,
    STPColor,
    STPFontName,
    STPFontCol,
    STPFontSize,
    STPFontStyle,
    RXBColor,
    RXBFontName,
    RXBFontCol,
    RXBFontSize,
    RXBFontStyle,
    TXBColor,
    TXBFontName,
    TXBFontCol,
    TXBFontSize,
    TXBFontStyle,
    QSOColor,
    QSOFontName,
    QSOFontCol,
    QSOFontSize,
    QSOFontStyle,
};
inline constexpr int kSettingIdCount = static_cast<int>(SettingId::QSOFontStyle) + 1;

// The stored name of the value ("MyCall") and its group ("Settings" or "Look").
QString settingName(SettingId id);
QString settingGroup(SettingId id);

// Reads every value with its default, stores it in s and calls applied(id) right after. An
// integer outside its range (RXMode: one of 0, 1, 2, 8, 9, 10) gives its default; so does a
// Left or Top that would put the title bar off every screen in screens (no screens: no check).
// With WindowState true the four placement values are not read (nor reported). At the first
// read error the load stops and returns false: the values not reached take their defaults in
// s without being reported, and the store marks them unread so the exit save keeps them.
bool loadStartupSettings(SettingsStore &store, RunningSettings &s,
                         const std::function<void(SettingId)> &applied, const QList<QRect> &screens);
// The same on the available areas of the application's screens.
bool loadStartupSettings(SettingsStore &store, RunningSettings &s,
                         const std::function<void(SettingId)> &applied);

inline constexpr int kMaxPPMAdjust = 10000; // the library clamps its clock correction there
inline constexpr int kMaxWindowSide = 16384;

inline constexpr int kDefaultWFMin = 100;
inline constexpr int kDefaultWFMax = 3500;
inline constexpr int kMinBandSpan = 400;

// A band outside 100..3500 Hz or narrower than 400 Hz (hand-edited, or zero after a read
// error) becomes 100..3500: the displays divide by its width.
void sanitizeBand(int &wfMin, int &wfMax);
void sanitizeBand(RunningSettings &s);

// What the window hands over when the operator confirms closing.
struct ExitValues {
    int WFMin = 0;
    int WFMax = 0;
    int Freq = 0;
    bool AFCOn = false;
    int AFCRange = 0;
    bool NetOn = false;
    int SQValue = 0;
    int SQSpeed = 0;
    bool WindowState = false;
    int Left = 0;
    int Top = 0;
    int Height = 0;
    int Width = 0;
};

// Writes the exit values in their fixed order and saves them, except those the start-up load
// never read (SettingsStore::isUnread). False at the first failure; what was written before
// stays written.
bool saveExitSettings(SettingsStore &store, const ExitValues &v);

// The commands of the three sound-mixer buttons: RX audio, TX audio and Audio properties.
enum class MixerCommand { Input, Output, Devices };
// The stored command (Settings values MixerInput, MixerOutput, MixerDevices), read when the
// button is pressed so an edit applies at once; a missing, empty or unreadable value gives
// the desktop mixer's tab: "pavucontrol -t 4", "pavucontrol -t 3", "pavucontrol -t 5".
QString mixerCommand(const SettingsStore &store, MixerCommand which);
