// BPSK decisions through a fade: a slow deep fade is decided against the symbols on both
// sides, better than by comparing neighbours, at the price of a few symbols' delay; a
// steady signal and a fast fade keep the loop's own decisions, at once. Every symbol
// gives exactly one bit, in order.
#include "rx/channel_model.h"
#include "rx/phase_smoother.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <ostream>
#include <random>
#include <vector>

using namespace pskmodem;

namespace {

constexpr int kSymbols = 3200; // 100 s at 31.25 baud
constexpr int kSettle = 300;   // symbols before anything is counted
// Marks the loop's bits, so that the test can tell them from the stage's own.
constexpr float kLoopMark = 5.0f;

struct Outcome {
    int loopBits = 0;           // bits passed on from the loop, from kSettle on
    int counted = 0;            // bits compared, from kSettle on
    int ownErrors = 0;          // errors in the bits the stage decided itself
    int ownNeighbourErrors = 0; // ... and in comparing neighbours for the same symbols
    int maxDelay = 0;
    bool inStep = true; // bits out and bits waiting always add up to the symbols in
};

// Unit symbols through Rayleigh fading with a Doppler spread of `spreadHz` (0 for none;
// 0.1 Hz is a good HF path, 0.5 Hz a moderate one), with noise of `sigma` a component.
// The stage is given the comparison of neighbouring symbols as the loop's bit.
Outcome run(double spreadHz, double sigma, uint32_t seed) {
    const RayleighPath path(spreadHz, kSymbols / 31.25 + 1.0, seed);
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, sigma);
    std::bernoulli_distribution coin(0.5);
    PhaseSmoother smoother;
    std::vector<int> sent, neighbour;
    Outcome o;
    double symbol = 1.0;
    std::complex<double> prev{};
    float amplitude = 1.0f;
    int bits = 0;
    std::array<SoftBit, 2> out{};
    for (int k = 0; k < kSymbols; ++k) {
        const int bit = coin(rng) ? 1 : 0;
        if (bit == 0)
            symbol = -symbol; // a zero is a reversal
        const std::complex<double> u =
            path.at(k / 31.25) * symbol + std::complex<double>(noise(rng), noise(rng));
        sent.push_back(bit);
        neighbour.push_back((u * std::conj(prev)).real() >= 0.0 ? 1 : 0);
        prev = u;
        amplitude += (static_cast<float>(std::abs(u)) - amplitude) / 16.0f;
        const SoftBit loopBit{static_cast<uint8_t>(neighbour.back()), kLoopMark};
        const int n = smoother.push(cf(static_cast<float>(u.real()), static_cast<float>(u.imag())), 0.0,
                                    amplitude, loopBit, true, out);
        for (int i = 0; i < n; ++i) {
            const auto at = static_cast<std::size_t>(bits++);
            if (at < kSettle)
                continue;
            const SoftBit b = out[static_cast<std::size_t>(i)];
            ++o.counted;
            if (b.reliability == kLoopMark) {
                ++o.loopBits;
                continue;
            }
            o.ownErrors += b.bit != sent[at] ? 1 : 0;
            o.ownNeighbourErrors += neighbour[at] != sent[at] ? 1 : 0;
        }
        o.maxDelay = std::max(o.maxDelay, smoother.delay());
        o.inStep = o.inStep && bits + smoother.delay() == k + 1;
    }
    return o;
}

} // namespace

TEST(PhaseSmoother, SteadySignalPassesTheLoopsBitsAtOnce) {
    for (const double sigma : {0.1, 0.4}) { // 17 dB, and 5 dB (a weak copyable station)
        const Outcome o = run(0.0, sigma, 3);
        EXPECT_TRUE(o.inStep) << sigma;
        EXPECT_EQ(o.maxDelay, 0) << sigma;
        EXPECT_EQ(o.loopBits, o.counted) << sigma;
    }
}

TEST(PhaseSmoother, SlowDeepFadeIsDecidedAgainstBothSides) {
    // 13.5 dB on average: a fade costs bits from some 10 dB down.
    int errors = 0, neighbourErrors = 0;
    for (const uint32_t seed : {1u, 2u, 3u, 4u}) {
        const Outcome o = run(0.1, 0.15, seed);
        EXPECT_TRUE(o.inStep) << seed;
        EXPECT_LE(o.maxDelay, PhaseSmoother::kReach) << seed;
        EXPECT_LT(o.loopBits, o.counted) << seed;
        errors += o.ownErrors;
        neighbourErrors += o.ownNeighbourErrors;
    }
    EXPECT_GT(neighbourErrors, 100); // the fades are deep enough to matter
    EXPECT_LE(errors, 0.92 * neighbourErrors) << errors << " against " << neighbourErrors;
}

TEST(PhaseSmoother, FastFadeKeepsTheLoopsBits) {
    // 27 dB: the loop follows a fast fade well; the phase turns too far over a
    // reference's span for the stage to do better.
    for (const uint32_t seed : {1u, 2u, 3u, 4u}) {
        const Outcome o = run(0.5, 0.03, seed);
        EXPECT_TRUE(o.inStep) << seed;
        EXPECT_GE(o.loopBits, 0.99 * o.counted) << seed;
    }
}
