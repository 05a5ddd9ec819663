// The receive filter: what it makes of the mode's own pulses and of what lies beside the
// signal.
#include "rx/symbol_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace pskmodem;

namespace {

// Steady-state gain for a tone `cycles` cycles a symbol from the carrier, relative to
// the gain at the carrier, in dB.
double gain_db(double cycles) {
    auto level = [](double c) {
        SymbolFilter f;
        const int n = 8 * SymbolFilter::kTaps;
        std::vector<cf> in(static_cast<std::size_t>(n)), out(in.size());
        const double w = 2.0 * std::numbers::pi * c / kRxSamplesPerSymbol;
        for (int i = 0; i < n; ++i)
            in[static_cast<std::size_t>(i)] = std::polar(1.0f, static_cast<float>(w * i));
        f.process(in, out);
        return std::abs(out.back());
    };
    return 20.0 * std::log10(level(cycles) / level(0.0));
}

} // namespace

// A carrier or a neighbour's keying beside the signal: 40 Hz from a BPSK31 carrier is 1.28
// cycles a symbol, 60 Hz 1.92.
class StopBand : public testing::TestWithParam<std::pair<double, double>> {};

TEST_P(StopBand, HoldsDown) {
    const auto [cycles, atMost] = GetParam();
    EXPECT_LT(gain_db(cycles), atMost) << cycles << " cycles a symbol";
}

INSTANTIATE_TEST_SUITE_P(Offsets, StopBand,
                         testing::Values(std::pair{1.28, -50.0}, std::pair{1.45, -65.0},
                                         std::pair{1.92, -65.0}, std::pair{3.2, -65.0},
                                         std::pair{7.0, -65.0}));

// The passband keeps the idle tones (half a cycle a symbol) at full strength.
TEST(SymbolFilter, PassesTheIdleTones) {
    EXPECT_NEAR(gain_db(0.5), 0.0, 0.5);
}

// A symbol's strobe carries the symbol alone: 1 for its own pulse, nothing of the pulses
// next to it, and only a trace of those two symbols away.
TEST(SymbolFilter, AnswersItsOwnPulseAlone) {
    EXPECT_NEAR(SymbolFilter::symbol_response(0), 1.0, 1e-4);
    EXPECT_NEAR(SymbolFilter::symbol_response(-1), 0.0, 1e-4);
    EXPECT_NEAR(SymbolFilter::symbol_response(1), 0.0, 1e-4);
    EXPECT_LT(std::fabs(SymbolFilter::symbol_response(-2)), 0.04);
    EXPECT_LT(std::fabs(SymbolFilter::symbol_response(2)), 0.04);
}

// No more white noise through it than through the matched filter with its three-tap
// equaliser: 0.3 dB over the matched filter's, which is the sum of the pulse's squares.
TEST(SymbolFilter, LetsThroughLittleNoise) {
    double taps = 0.0, pulse = 0.0;
    for (float h : SymbolFilter::taps())
        taps += static_cast<double>(h) * h;
    for (int i = 0; i < 2 * kRxSamplesPerSymbol; ++i) {
        const double c =
            std::cos(std::numbers::pi * (i + 0.5 - kRxSamplesPerSymbol) / (2.0 * kRxSamplesPerSymbol));
        pulse += c * c * c * c;
    }
    EXPECT_LT(10.0 * std::log10(taps * pulse), 0.3);
}
