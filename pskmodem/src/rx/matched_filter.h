// Matched filter for the PSK31 symbol pulse at kRxSamplesPerSymbol samples a symbol.
//
// A PSK31 signal is a sum of pulses p(t) = cos^2(pi*t / 2T) for |t| < T, one per symbol,
// weighted by the symbol's phasor: two pulses one symbol apart add to a constant where
// the phase stays and to cos(pi*t/T) through zero where it reverses, which is the
// mode's shaping. The filter matched to p maximises the signal-to-noise ratio at the
// symbol peaks. The newest few taps, where the pulse has almost no energy, are left out
// so that a symbol is known sooner (the loss is below 0.01 dB).
#pragma once

#include "fir_line.h"
#include "rx_types.h"

#include <array>
#include <span>

namespace pskmodem {

class MatchedFilter {
public:
    static constexpr int kPulse = 2 * kRxSamplesPerSymbol; // the pulse spans two symbols
    static constexpr int kDropped = 3;                     // taps left out at the tail
    static constexpr int kTaps = kPulse - kDropped;

    MatchedFilter();
    void reset();
    // One output per input; out must be as long as in.
    void process(std::span<const cf> in, std::span<cf> out);
    // The output at a symbol's peak due to the previous, the present and the next
    // symbol (intersymbol interference, for the equaliser), the present one scaled to 1.
    static std::array<double, 3> symbol_response();
    static const std::array<float, kTaps> &taps();

private:
    FirLine<kTaps> line_;
};

} // namespace pskmodem
