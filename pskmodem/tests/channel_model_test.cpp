// The channel model the receiver is measured on: its fading must have the statistics of
// the Watterson model, and levels, drift and seeds must be what the parameters say.
#include "rx/channel_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

using namespace pskmodem;

namespace {

struct PathStats {
    double power = 0.0;     // mean |g|^2
    double spread = 0.0;    // two-sided Doppler width (2 sigma) from the mean squared slope
    double deepFades = 0.0; // fraction of the time |g|^2 < 0.1
};

PathStats measure(const RayleighPath &g, double seconds, double rate) {
    PathStats s;
    double slope = 0.0;
    std::complex<double> prev = g.at(0.0);
    const auto n = static_cast<std::size_t>(seconds * rate);
    for (std::size_t i = 1; i <= n; ++i) {
        const std::complex<double> v = g.at(static_cast<double>(i) / rate);
        s.power += std::norm(v);
        slope += std::norm((v - prev) * rate);
        s.deepFades += std::norm(v) < 0.1 ? 1.0 : 0.0;
        prev = v;
    }
    s.power /= static_cast<double>(n);
    slope /= static_cast<double>(n);
    s.deepFades /= static_cast<double>(n);
    // For a Gaussian spectrum of standard deviation sigma, E|g'|^2 = (2 pi sigma)^2 E|g|^2.
    s.spread = 2.0 * std::sqrt(slope / s.power) / (2.0 * std::numbers::pi);
    return s;
}

} // namespace

class Fading : public testing::TestWithParam<Watterson> {};

// Each path is a unit-power Rayleigh process whose Doppler width is the spread asked for,
// and the two paths are independent.
TEST_P(Fading, PathsHaveUnitPowerTheSpreadAskedForAndAreIndependent) {
    const Watterson w = GetParam();
    const double seconds = 500.0 / w.spreadHz; // some hundreds of fades
    const double rate = 20.0;
    const RayleighPath g1(w.spreadHz, seconds, 11), g2(w.spreadHz, seconds, 12);
    for (const RayleighPath *g : {&g1, &g2}) {
        const PathStats s = measure(*g, seconds, rate);
        EXPECT_NEAR(s.power, 1.0, 0.12);
        EXPECT_NEAR(s.spread, w.spreadHz, 0.1 * w.spreadHz);
        // Rayleigh: P(|g|^2 < 0.1) = 1 - exp(-0.1).
        EXPECT_NEAR(s.deepFades, 1.0 - std::exp(-0.1), 0.03);
    }
    std::complex<double> cross{};
    const auto n = static_cast<std::size_t>(seconds * rate);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = static_cast<double>(i) / rate;
        cross += g1.at(t) * std::conj(g2.at(t));
    }
    EXPECT_LT(std::abs(cross) / static_cast<double>(n), 0.1);
}

INSTANTIATE_TEST_SUITE_P(
    Watterson, Fading, testing::Values(kWattersonGood, kWattersonModerate, kWattersonPoor),
    [](const auto &info) {
        return std::string(info.index == 0 ? "Good" : info.index == 1 ? "Moderate" : "Poor");
    });

TEST(Drift, TriangleTurnsAtTheSpanAndLinearKeepsGoing) {
    const Drift up{Drift::Shape::Triangle, 1.0, 20.0};
    const Drift down{Drift::Shape::Triangle, -0.5, 10.0};
    const Drift linear{Drift::Shape::Linear, 0.25, 0.0};
    const struct {
        const Drift &d;
        double t, hz;
    } cases[] = {{up, 0.0, 0.0},     {up, 10.0, 10.0},   {up, 20.0, 20.0},      {up, 30.0, 10.0},
                 {up, 60.0, -20.0},  {up, 80.0, 0.0},    {up, 90.0, 10.0},      {down, 20.0, -10.0},
                 {down, 60.0, 10.0}, {linear, 8.0, 2.0}, {linear, 400.0, 100.0}};
    for (const auto &c : cases)
        EXPECT_NEAR(c.d.at(c.t), c.hz, 1e-9) << "at " << c.t << " s";
}

namespace {

double power(const std::vector<float> &x, std::size_t from, std::size_t to) {
    double p = 0.0;
    for (std::size_t i = from; i < to; ++i)
        p += static_cast<double>(x[i]) * x[i];
    return p / static_cast<double>(to - from);
}

ChannelParams one_station() {
    ChannelParams p;
    Transmission tx;
    tx.text = "level check, a line of ordinary text to keep the station on the air for a while";
    p.wanted = {tx};
    p.tail = 2.0;
    return p;
}

} // namespace

// A carrier 10 dB up has ten times the station's mean power, the noise sits where the
// SNR puts it, and fading keeps the mean power while it moves it about.
TEST(Channel, LevelsAndNoiseFollowTheReferencePower) {
    ChannelParams p = one_station();
    const ChannelSignal clean = make_channel_signal(p);
    const auto &sent = clean.wanted.at(0);
    const double ps = power(clean.samples, sent.start, sent.end);
    ASSERT_GT(ps, 0.0);

    p.carriers = {{1500.0, 10.0}};
    const ChannelSignal withCarrier = make_channel_signal(p);
    // After the station: the carrier alone.
    EXPECT_NEAR(power(withCarrier.samples, sent.end, withCarrier.samples.size()) / ps, 10.0, 0.2);

    p.carriers.clear();
    p.snrDb = -10.0;
    const ChannelSignal noisy = make_channel_signal(p);
    // White over 4000 Hz; SNR counts the noise in 2500 Hz.
    const double noise = power(noisy.samples, sent.end, noisy.samples.size());
    EXPECT_NEAR(10.0 * std::log10(ps / (noise * 2500.0 / 4000.0)), -10.0, 0.3);

    p.snrDb = 1000.0;
    p.fading = kWattersonPoor;
    double faded = 0.0;
    for (uint64_t seed = 1; seed <= 8; ++seed) {
        p.seed = seed;
        const ChannelSignal f = make_channel_signal(p);
        faded += power(f.samples, sent.start, sent.end) / 8.0;
    }
    EXPECT_NEAR(faded / ps, 1.0, 0.3);
}

TEST(Channel, SameSeedSameSamplesAndTheClockStretchesTime) {
    ChannelParams p = one_station();
    p.snrDb = 0.0;
    p.fading = kWattersonModerate;
    p.drift = {Drift::Shape::Triangle, 1.0, 20.0};
    p.stations = {ExtraStation{"a neighbour", 0, 1100.0, 20.0, -1.0, 0.5}};
    p.carriers = {{1040.0, 10.0}};
    p.seed = 5;
    const ChannelSignal a = make_channel_signal(p);
    EXPECT_EQ(a.samples, make_channel_signal(p).samples);
    p.seed = 6;
    EXPECT_NE(a.samples, make_channel_signal(p).samples);

    p.clockPpm = 1000.0;
    const ChannelSignal fast = make_channel_signal(p);
    EXPECT_NEAR(static_cast<double>(fast.samples.size()) / static_cast<double>(a.samples.size()), 1.001,
                1e-4);
    EXPECT_NEAR(static_cast<double>(fast.wanted[0].charEnds.back()) /
                    static_cast<double>(a.wanted[0].charEnds.back()),
                1.001, 1e-4);
}

// The envelope between two symbols never leaves the unit circle, up to the very last
// sample, whatever the clock and the length (the last sample's time once rounded to one
// symbol past the end and read beyond the symbols).
TEST(Envelope, StaysBetweenItsSymbolsToTheLastSample) {
    for (int chars = 1; chars <= 40; ++chars)
        for (double ppm : {-250.0, -37.0, 0.0, 61.0, 199.0}) {
            TestSignalParams p;
            p.clockPpm = ppm;
            p.leadSilence = 0.1 * chars;
            const TestEnvelope e = make_test_envelope(std::string(static_cast<std::size_t>(chars), 't'), p);
            for (const auto &s : e.samples)
                ASSERT_LE(std::abs(s), 1.0 + 1e-9) << chars << " chars, " << ppm << " ppm";
        }
}
