// Coherent BPSK decisions: what taking the symbol filter's noise correlation into account
// buys, and that the bits come out in order whichever way each symbol was decided.
#include "rx/bpsk_detector.h"
#include "rx/symbol_filter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace pskmodem;

namespace {

constexpr int kSps = kRxSamplesPerSymbol;

// The symbol filter's strobes for random BPSK symbols of unit level in white noise at
// `esn0Db` (symbol energy over the noise density), with the symbols sent.
struct Strobes {
    std::vector<float> sent; // +-1
    std::vector<cf> v;
};

Strobes strobes(int count, double esn0Db, unsigned seed) {
    std::mt19937 rng(seed);
    std::bernoulli_distribution coin(0.5);
    Strobes s;
    for (int k = 0; k < count; ++k)
        s.sent.push_back(coin(rng) ? 1.0f : -1.0f);
    // Each pulse centred half a sample past a multiple of kSps, as the filter's strobes
    // expect; the pulse's energy, sum p^2, is 3/4 kSps.
    const int n = (count + 4) * kSps;
    std::vector<cf> in(static_cast<std::size_t>(n)), out(in.size());
    const double n0 = 0.75 * kSps / std::pow(10.0, esn0Db / 10.0);
    std::normal_distribution<float> noise(0.0f, static_cast<float>(std::sqrt(n0 / 2.0)));
    for (int i = 0; i < n; ++i) {
        float re = 0.0f;
        for (int k = i / kSps - 1; k <= i / kSps + 1; ++k) {
            if (k < 0 || k >= count)
                continue;
            const double t = i - (kSps * k + 0.5);
            if (std::fabs(t) < kSps) {
                const double c = std::cos(std::numbers::pi * t / (2.0 * kSps));
                re += s.sent[static_cast<std::size_t>(k)] * static_cast<float>(c * c);
            }
        }
        in[static_cast<std::size_t>(i)] = cf(re + noise(rng), noise(rng));
    }
    // The filter answers a pulse at its full level SymbolFilter::kLead + 1/2 samples after
    // its centre.
    SymbolFilter f;
    f.process(in, out);
    // Scaled so the symbols stand at 1 (the filter's response to a pulse is 1 already).
    for (int k = 0; k < count; ++k)
        s.v.push_back(out[static_cast<std::size_t>(kSps * k + static_cast<int>(SymbolFilter::kLead + 0.5))]);
    return s;
}

} // namespace

// On the filter's own strobes in white noise, the sequence decisions make clearly fewer bit
// errors than deciding each symbol by its sign (the filter's noise correlation and the
// pulse two symbols back, which those ignore, are worth about a quarter of a dB).
TEST(BpskDetector, BeatsSignDecisionsInWhiteNoise) {
    const Strobes s = strobes(200000, 6.0, 11);
    BpskDetector d;
    int detectorErrors = 0, signErrors = 0, bits = 0;
    for (std::size_t k = 1; k < s.v.size(); ++k) {
        const auto b = d.push(s.v[k], 1.0f, SoftBit{0, 0.0f}, true);
        const std::size_t decided = k - BpskDetector::kDelay;
        if (!b || decided < 2)
            continue;
        const int sent = s.sent[decided] == s.sent[decided - 1] ? 1 : 0;
        const int sign = (s.v[k].real() >= 0.0f) == (s.v[k - 1].real() >= 0.0f) ? 1 : 0;
        const int signSent = s.sent[k] == s.sent[k - 1] ? 1 : 0;
        detectorErrors += b->bit != sent;
        signErrors += sign != signSent;
        ++bits;
    }
    ASSERT_GT(signErrors, 300) << "too few errors to compare";
    EXPECT_LT(detectorErrors, 0.85 * signErrors) << detectorErrors << " vs " << signErrors << " in " << bits;
}

// Where a station stops, its symbols' level is still in every running mean for a while;
// the noise that follows must read as noise (bits either way), not as the alternating
// symbols of a preamble's idle, which would start the next over early.
TEST(BpskDetector, NoiseAfterAStationIsNotIdle) {
    std::mt19937 rng(5);
    std::normal_distribution<float> noise(0.0f, 0.05f);
    int zeros = 0, bits = 0;
    // Many stations' ends, and the first second of noise after each.
    for (int station = 0; station < 20; ++station) {
        BpskDetector d;
        for (int k = 0; k < 100; ++k)
            d.push(cf(k % 3 == 0 ? 1.0f : -1.0f, 0.0f), 1.0f, SoftBit{0, 0.0f}, true);
        for (int k = 0; k < 32; ++k) {
            // The amplitude the receiver divides by decays from the station's level.
            const float amplitude = std::max(0.05f, std::pow(0.94f, static_cast<float>(k)));
            const auto b = d.push(cf(noise(rng), noise(rng)), amplitude, SoftBit{0, 0.0f}, true);
            if (b && k > 2) {
                zeros += b->bit == 0;
                ++bits;
            }
        }
    }
    EXPECT_NEAR(static_cast<double>(zeros) / bits, 0.5, 0.08);
}

// Each symbol's bit comes from the decision it was marked for, a fixed delay later, with
// none lost or doubled where the choice changes.
TEST(BpskDetector, KeepsTheBitsInOrderAcrossTheChoice) {
    // Clean symbols: 1 1 -1 -1 1 -1 ... and differential bits that say the opposite of the
    // coherent ones, so each bit shows which path it came from.
    const std::vector<float> sent = {1, 1, -1, -1, 1, -1, -1, -1, 1, 1, -1, 1, 1, 1, -1, -1};
    const std::vector<bool> coherent = {true, true,  true,  false, false, true, true, false,
                                        true, false, false, true,  true,  true, true, true};
    BpskDetector d;
    std::vector<int> got;
    for (std::size_t k = 0; k < sent.size(); ++k) {
        const int bit = k > 0 && sent[k] == sent[k - 1] ? 1 : 0;
        const auto b =
            d.push(cf(sent[k], 0.0f), 1.0f, SoftBit{static_cast<uint8_t>(bit ^ 1), 1.0f}, coherent[k]);
        if (b)
            got.push_back(b->bit);
    }
    ASSERT_EQ(got.size(), sent.size() - BpskDetector::kDelay);
    for (std::size_t k = 1; k < got.size(); ++k) {
        const int bit = sent[k] == sent[k - 1] ? 1 : 0;
        EXPECT_EQ(got[k], coherent[k] ? bit : bit ^ 1) << "symbol " << k;
    }
}
