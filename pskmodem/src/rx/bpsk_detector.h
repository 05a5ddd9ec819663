// Coherent BPSK decisions on the carrier loop's symbols.
//
// The symbol filter answers each symbol's pulse alone, but the noise it lets through is
// not independent from strobe to strobe: it leans about -0.16 against the previous
// symbol's (the filter's response swings negative a symbol away). Taking out the part of
// a strobe's noise that the two strobes before it predict leaves white noise, and gives
// the symbols a small echo of their neighbours instead, which adds to the distance
// between a symbol and its opposite. The decisions are then those of the likeliest
// sequence: each symbol is decided once the next strobe is in, trying both values for
// the two, with the older symbols as decided (so a wrong one passes only a fraction of
// its error on). The trace of the pulse two symbols back goes into the echo too.
// Against deciding each symbol by its sign this is worth about a quarter of a dB in white
// noise, the most there is to get over this filter; waiting a second symbol adds
// nothing measurable, deciding at once gives up about half of it.
#pragma once

#include "rx_types.h"
#include "varicode_decoder.h"

#include <array>
#include <optional>

namespace pskmodem {

class BpskDetector {
public:
    // Symbols a decision waits for the strobes after it.
    static constexpr int kDelay = 1;

    BpskDetector() { reset(); }
    void reset();
    // v: the loop's symbol (its real part carries the data); amplitude: the receiver's
    // running mean symbol amplitude; differential: the bit the phase change from the
    // previous symbol reads, for when `coherent` is false. Returns the bit of the symbol
    // kDelay before this one: coherent, 1 where it keeps the previous symbol's sign, with
    // the smaller of the two symbols' margins as the reliability (about 1 for a clean
    // bit), or that symbol's differential bit, whichever it was to use.
    // (Nothing for the first kDelay symbols after a reset.)
    std::optional<SoftBit> push(cf v, float amplitude, SoftBit differential, bool coherent);

private:
    static constexpr int kPast = 4;          // decided symbols the model reaches back
    static constexpr int kSpan = kDelay + 1; // undecided strobes held
    static constexpr int kHold = kSpan + 2;  // strobes held, for the noise's prediction

    float level_ = 1.0f; // the symbols' level, in amplitudes
    // The latest strobes (real part / amplitude), oldest first, and what each was to use.
    std::array<float, kHold> x_{};
    std::array<SoftBit, kSpan> waiting_{};
    std::array<bool, kSpan> coherent_{};
    int filled_ = 0;
    // Decided symbols (+-1), newest first, and the newest one's margin.
    std::array<float, kPast> sign_{};
    float margin_ = 0.0f;
};

} // namespace pskmodem
