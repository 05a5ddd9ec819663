// Runs a channel condition through a receiver: one or more transmissions of a known text
// (a contact's overs alternating between two stations) through the channel model, the
// channel tuned a few hertz off as a click on the waterfall leaves it, and what it decoded
// of each transmission scored against what was sent.
#pragma once

#include "rx/channel_model.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace rxrun {

using namespace pskmodem;

// Where the channel is tuned.
inline constexpr double kTune = 1000.0;

// `chars` characters of a QSO-like text, starting at its `first` paragraph.
std::string text_of(std::size_t chars, std::size_t first = 0);

struct Condition {
    const char *name;
    int32_t mode = 0;
    int32_t sentMode = -1; // the station's, when not the channel's
    double offset = 3.0;   // station above the tuned frequency
    double snr = -8.0;
    int32_t capture = 10, afc = 10;
    int32_t squelch = 0, squelchSpeed = 1; // 10, 1: the program's defaults
    double start = 0.5;                    // seconds of noise before the station
    int overs = 1;                         // a contact: overs alternate between stations overStep apart
    double overStep = 3.0;
    double preamble = 1.0;    // seconds of reversals before the text
    double phase = 0.0;       // of the carrier at the start, radians
    double tuneAt = 0.0;      // the channel is started this far into the recording
    double grace = 1.0;       // ... and the characters that start this long after it are counted
    double shownWithin = 0.0; // seconds after the tune by which text is shown (0: unchecked)
    std::size_t chars = 240;
    Drift drift;
    Watterson fading;
    std::vector<ExtraStation> stations; // offsets relative to the wanted station
    std::vector<ExtraCarrier> carriers;
    double maxCer = 0.01;
    uint64_t seed = 20261210;
};

// Named in test output rather than dumped as bytes.
void PrintTo(const Condition &c, std::ostream *os);

struct Result {
    std::string copy; // what was decoded of each transmission, one a line
    std::size_t errors = 0, chars = 0;
    double endFrequency = 0.0;
    double frequencyBeforeStart = 0.0; // where the channel sat just before the station began
    double stationEndDrift = 0.0;      // the drift when the last transmission ended, Hz
    double firstShown = -1.0;          // seconds from the tune to the first character (-1: none)
};

// Edits that turn the end of `got` into `ref`: what was decoded before ref's first
// character came into view costs nothing.
std::size_t errors_after(const std::string &ref, const std::string &got);

Result run(const Condition &c);

// A condition of the given name with the defaults above.
Condition make(const char *name);

} // namespace rxrun
