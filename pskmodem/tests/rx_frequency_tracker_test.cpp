// The capture's line search. A weak BPSK station clicked well off shows its squared line
// only faintly over one block (a second) of its signal: it must still be found within
// about two seconds of its start, where the operator clicked. Noise alone finds nothing.
#include "rx/decimator.h"
#include "rx/frequency_tracker.h"
#include "rx/mixer.h"
#include "rx/test_signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <ostream>
#include <random>
#include <vector>

using namespace pskmodem;

namespace {

constexpr double kTune = 1000.0;
constexpr double kLead = 0.5; // seconds of noise before the station

struct Found {
    double at = 0.0; // seconds from the start of the input
    double hz = 0.0; // offset from the tuned frequency
};

// Runs the search (+-15 Hz, as a channel searches at the least) over x; the first
// finding, if any.
std::optional<Found> first_finding(const std::vector<float> &x) {
    Mixer mixer;
    mixer.set_frequency(kTune);
    Decimator decimator(16);
    FrequencyTracker tracker;
    tracker.create(500.0);
    tracker.set_search(-15.0, 15.0, false);
    std::vector<cf> mixed(256), base(256 / 16 + 1);
    for (std::size_t at = 0; at + 256 <= x.size(); at += 256) {
        mixer.process(std::span<const float>(x).subspan(at, 256), mixed);
        const std::size_t n = decimator.process(mixed, base);
        if (tracker.process(std::span<const cf>(base.data(), n)))
            return Found{static_cast<double>(at + 256) / 8000.0, tracker.offset_hz()};
    }
    return std::nullopt;
}

struct Weak {
    const char *name;
    double offset;
    uint64_t seed;
};

void PrintTo(const Weak &w, std::ostream *os) {
    *os << w.name;
}

class WeakStation : public ::testing::TestWithParam<Weak> {};

TEST_P(WeakStation, IsFoundWithinTwoSecondsOfItsStart) {
    const Weak &w = GetParam();
    TestSignalParams p;
    p.frequency = kTune + w.offset;
    p.snrDb = -10.0;
    p.leadSilence = kLead;
    p.seed = w.seed;
    p.phase = 0.3 * static_cast<double>(w.seed);
    const TestSignal s = make_test_signal("CQ CQ de Q1ABC Q1ABC pse k", p);
    const auto f = first_finding(s.samples);
    ASSERT_TRUE(f.has_value());
    EXPECT_LE(f->at - kLead, 2.2);
    EXPECT_NEAR(f->hz, w.offset, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Clicks, WeakStation,
                         // Noise that keeps each line under the threshold over one block.
                         ::testing::Values(Weak{"TenHertzBelow", -10.0, 2}, Weak{"NineHertzBelow", -9.0, 7},
                                           Weak{"NineHertzAbove", 9.0, 7}, Weak{"TenHertzAbove", 10.0, 7}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(FrequencyTracker, NoiseAloneFindsNothingInTwoMinutes) {
    std::mt19937_64 rng(7);
    std::normal_distribution<double> g(0.0, 0.1);
    std::vector<float> x(120 * 8000);
    for (float &v : x)
        v = static_cast<float>(g(rng));
    EXPECT_FALSE(first_finding(x).has_value());
}

} // namespace
