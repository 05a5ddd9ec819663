// Symbol timing recovery on the symbol filter's output.
//
// A Gardner detector compares the sample halfway between two symbols with the
// difference of the symbols: on a phase change the halfway sample is zero when the
// timing is right and takes the sign of the earlier symbol when sampling is early. It
// needs no carrier phase, so it locks before the carrier loop does. A second-order loop
// moves the strobe; the strobe's long-term drift against the nominal symbol length is
// the relative error of the sample clock, which the loop measures by a straight-line fit.
#pragma once

#include "rx_types.h"

#include <array>
#include <span>

namespace pskmodem {

struct SymbolSample {
    cf y;            // symbol filter's output at the strobe
    int inputIndex;  // index in the process() input at which the strobe was taken
};

class SymbolTiming {
public:
    static constexpr int kProfile = 16;

    SymbolTiming() { reset(); }
    void reset();
    // Wide loop for acquisition, narrow for tracking.
    void set_tracking(bool narrow) { narrow_ = narrow; }
    // Returns the number of symbols written; out must hold in.size() / 8 + 2.
    std::size_t process(std::span<const cf> in, std::span<SymbolSample> out);

    // Mean power at 16 points across a symbol, index 8 at the strobe, index 0 half a
    // symbol before it; scaled so the largest is 1.
    std::array<float, kProfile> profile() const;
    // The sample clock error measured since clock_restart(), in parts per million
    // (positive: symbols span more samples than nominal). False until `minSymbols`.
    bool clock_ppm(int minSymbols, double &ppm) const;
    void clock_restart();

private:
    cf at(double offset) const; // interpolated output `offset` (<= 0) samples back

    static constexpr int kRing = 64;
    std::array<cf, kRing> ring_{};
    int head_ = 0;       // index of the newest sample
    double next_ = 0.0;  // strobe position relative to the newest sample
    double integ_ = 0.0; // loop integrator: extra samples per symbol
    double power_ = 0.0; // mean power at the strobes, for a detector independent of level
    double lastStep_ = kRxSamplesPerSymbol;
    cf prev_{};
    bool narrow_ = false;
    std::array<float, kProfile> profile_{};
    // Straight-line fit of the strobe's accumulated drift against the symbol count.
    double drift_ = 0.0;
    double n_ = 0.0, sx_ = 0.0, sy_ = 0.0, sxx_ = 0.0, sxy_ = 0.0;
};

} // namespace pskmodem
