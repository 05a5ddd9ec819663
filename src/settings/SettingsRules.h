#pragma once
// The rules of the setup dialog that need no window: the band check at save, the mode
// and sound-card items, the values the save writes and their order, and the scale
// preview. The dialog (TSetForm) only moves values between its controls and these.

#include "base/RunningSettings.h"

#include <QImage>
#include <QList>
#include <QPair>
#include <QString>

#include <array>

namespace SetupRules {

inline constexpr int kBandLowest = 100;
inline constexpr int kBandHighest = 3500;
inline constexpr int kBandNarrowest = 400;

// The band as it is saved: each edge within the scale, and at least 400 Hz wide. A band
// that had to be widened keeps its low edge where it can (the displays need the width,
// the operator usually placed the low edge on purpose) and reports it.
struct Band {
    int low = kBandLowest;
    int high = kBandHighest;
    bool widened = false;
};
Band correctBand(int low, int high);

// Mode items "BPSK" ... "QPSK LSB 62.5" and the library's mode codes.
inline constexpr std::array<int, 6> kModeCodes{0, 1, 2, 8, 9, 10};
// The item of a mode code, or -1 when no item has that code.
int modeItemOf(int code);

// Sound-card items "Auto", "SoundCard 0/1/2" and the card numbers.
inline constexpr std::array<int, 4> kCardNumbers{-1, 0, 1, 2};
int cardItemOf(int card);

// Waterfall scale intensity: the grey whose three components are the slider position.
quint32 greyOf(int position);

// What "Save and exit" writes to the Settings group, in the order it writes them.
struct SaveValues {
    QString MyCall;
    bool ShowUTCTime = true;
    bool SpectrumPlain = true;
    int DateFormat = 0;
    int CWIDSpeed = 2;
    QString CWID;
    int ComPort = 1;
    int PTTControl = 0;
    int RXMode = 0;
    int Blocks = 1;
    int PPMAdjust = 0;
    int FFTAdjust = 1;
    int WFMin = kBandLowest;
    int WFMax = kBandHighest;
    int WCursor = 4;
    quint32 WColor = 0;
    int CardNum = -1;
};
// (value name, stored text) in writing order: booleans as 0/1, numbers in decimal.
QList<QPair<QString, QString>> saveList(const SaveValues &v);

// The strip that imitates the waterfall's scale, 183 x 20, in the grey of wcolor.
QImage scalePreview(quint32 wcolor);

} // namespace SetupRules
