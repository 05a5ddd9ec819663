// Receive filter for the PSK31 symbol pulse, at kRxSamplesPerSymbol samples a symbol.
//
// A PSK31 signal is a sum of pulses p(t) = cos^2(pi*t / 2T) for |t| < T, one per symbol,
// weighted by the symbol's phasor. The filter matched to p gives the best signal-to-noise
// ratio at a symbol's peak but lets a sixth of each neighbouring symbol through, and its
// side lobes pass a strong station 40-80 Hz away at some -35 dB: the keying of a
// neighbour 20 dB up then lands a few dB under the noise of a weak signal.
//
// This filter is the one that lets the least white noise through while its response to
// the present symbol's pulse is 1, to the pulses of the neighbouring symbols 0, and its
// gain beyond the signal's band is held down by a heavy weight on the energy there. It
// spans what a matched filter followed by a three-tap equaliser spans (almost four
// symbols), so a symbol is known no later; taps further back came out next to nothing.
// It lets through no more noise than that pair (0.25 dB over the matched filter alone)
// and stands 57 dB down at 40 Hz and over 70 dB from 45 Hz on (at 31.25 baud), where
// the matched filter stood at 28-45 dB.
#pragma once

#include "fir_line.h"
#include "rx_types.h"

#include <array>
#include <span>

namespace pskmodem {

class SymbolFilter {
public:
    static constexpr int kTaps = 61;
    // The newest tap's distance after the pulse's centre, in samples; the output is this
    // much (plus the decimator's delay) behind the input.
    static constexpr double kLead = 28.5;

    SymbolFilter();
    void reset();
    // One output per input; out must be as long as in.
    void process(std::span<const cf> in, std::span<cf> out);
    // taps()[0] weighs the newest sample.
    static const std::array<float, kTaps> &taps();
    // The response at a symbol's strobe to the pulse k symbols from it (k = -6 .. 6).
    static double symbol_response(int k);
    // The correlation of white noise at the strobes of symbols k apart (1 at k = 0).
    static double noise_correlation(int k);

private:
    FirLine<kTaps> line_;
};

} // namespace pskmodem
