// The watch for a turn of a drift, on symbols of a weak QPSK31 station (the phase
// scatters by some 15 degrees) whose loop keeps following the old rate after the turn, as
// a narrow loop does; the oscillator in front takes the loop's rate over every symbol, as
// the receiver's AFC does.
#include "rx/drift_turn_watch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

using namespace pskmodem;

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kMinRate = 0.004; // as the carrier loop asks
constexpr int kTurnAt = 200;

struct Case {
    const char *name;
    double hzPerSecond;
    bool turns;
    double rateScatter; // the loop's rate wanders by this share of it, uniformly
};

struct Outcome {
    int foundAt = -1; // symbols after the turn (or the start) at which a path was taken
    double rate = 0.0, phaseOff = 0.0, frequencyOff = 0.0;
};

Outcome watch(const Case &c, uint32_t seed, int symbols) {
    const double rate = kTwoPi * c.hzPerSecond / (31.25 * 31.25);
    std::mt19937 rng(seed);
    std::normal_distribution<float> noise(0.0f, 0.25f);
    std::uniform_int_distribution<int> quarter(0, 3);
    std::uniform_real_distribution<double> wander(-c.rateScatter, c.rateScatter);
    DriftTurnWatch w;
    w.reset();
    // The station's phase and frequency, and the loop's, in the station's own terms; the
    // oscillator's phase and frequency.
    double phase = 0.7, frequency = 0.05, loopPhase = 0.7, loopFrequency = 0.05;
    double osc = 0.0, oscFrequency = 0.0;
    // The loop's lock over some 24 and 100 symbols: it looks every fourth symbol while the
    // first sags below the second.
    double lock = 0.6, slowLock = 0.6;
    Outcome o;
    for (int n = 0; n < symbols; ++n) {
        const double stationRate = c.turns && n >= kTurnAt ? -rate : rate;
        osc += oscFrequency;
        const double sent = quarter(rng) * std::numbers::pi / 2.0;
        const cf u = std::polar(1.0f, static_cast<float>(phase + sent - osc)) + cf(noise(rng), noise(rng));
        const double theta = loopPhase - osc;
        const double err = std::remainder(std::arg(u) - theta, std::numbers::pi / 2.0);
        const double loopRate = rate * (1.0 + wander(rng));
        const double m = std::cos(4.0 * err);
        lock += (m - lock) / 24.0;
        slowLock += (m - slowLock) / 100.0;
        w.push(u, theta, loopFrequency - oscFrequency, loopRate, static_cast<float>(m));
        // The next symbol: the station runs on at its rate, the loop at the old one.
        frequency += stationRate;
        phase += frequency;
        loopFrequency += rate;
        loopPhase += loopFrequency;
        oscFrequency += loopRate;
        w.shift_frequency(loopRate);
        DriftTurnWatch::Found f;
        if (n % 4 == 0 && lock < slowLock - 0.1 && w.look(kMinRate, f)) {
            o.foundAt = n - (c.turns ? kTurnAt : 0);
            o.rate = f.rate / rate;
            o.phaseOff = std::remainder(f.theta - (phase - osc - oscFrequency), std::numbers::pi / 2.0);
            o.frequencyOff = f.omega - (frequency - oscFrequency);
            return o;
        }
    }
    return o;
}

class TurnWatch : public testing::TestWithParam<Case> {};

} // namespace

// A turn is found within a second, with the rate reversed and the phase and frequency
// where the station is; a loop that keeps up with a straight drift is left alone, and so
// is a loop whose own rate wanders as the wide companion's does, even through a turn
// (some path would fit a stretch of noise better than it now and then).
TEST_P(TurnWatch, FindsTheTurnAndOnlyTheTurn) {
    const Case &c = GetParam();
    for (const uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
        const Outcome o = watch(c, seed, c.turns && c.rateScatter == 0.0 ? kTurnAt + 64 : 3000);
        if (c.turns && c.rateScatter == 0.0) {
            ASSERT_GE(o.foundAt, 0) << "seed " << seed;
            EXPECT_LE(o.foundAt, 32) << "seed " << seed;
            EXPECT_NEAR(o.rate, -1.0, 1e-9) << "seed " << seed;
            EXPECT_LT(std::fabs(o.phaseOff), 0.5) << "seed " << seed;
            EXPECT_LT(std::fabs(o.frequencyOff), 0.08) << "seed " << seed;
        } else {
            EXPECT_LT(o.foundAt, 0) << "seed " << seed << " rate " << o.rate;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Drifts, TurnWatch,
                         testing::Values(Case{"TurnsFromUp", 1.0, true, 0.0},
                                         Case{"TurnsFromDown", -1.0, true, 0.0},
                                         Case{"StraightOn", 1.0, false, 0.0},
                                         Case{"SlowStraightOn", 0.5, false, 0.0},
                                         Case{"TurnsWithAWanderingRate", 1.0, true, 0.6}),
                         [](const testing::TestParamInfo<Case> &i) { return std::string(i.param.name); });
