#include "audio/frame_converter.h"
#include "audio/spsc_ring.h"
#include "dsp/complex_fft.h"
#include "dsp/noise_floor.h"
#include "dsp/resampler.h"
#include "dsp/sample_history.h"
#include "dsp/spectrum.h"
#include "dsp/spectrum_averager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <thread>
#include <vector>

using namespace pskmodem;

namespace {

std::vector<float> sine(std::size_t n, double hz, double rate, double amplitude, int channels = 1) {
    std::vector<float> out(n * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = static_cast<float>(
                amplitude * std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate));
    return out;
}

std::size_t peak_bin(const std::vector<float> &power) {
    return static_cast<std::size_t>(std::max_element(power.begin(), power.end()) - power.begin());
}

float db(float power) {
    return 10.0f * std::log10(power);
}

// A tone lands in bin f * N / 8000 at its level relative to a full-scale sine.
struct ToneCase {
    double hz;
    double amplitude;
    std::size_t bin;
    float levelDb;
};

class SpectrumTone : public testing::TestWithParam<ToneCase> {};

TEST_P(SpectrumTone, PeakBinAndLevel) {
    const ToneCase &c = GetParam();
    Spectrum spectrum(2048);
    std::vector<float> power(spectrum.bins());
    spectrum.process(sine(2048, c.hz, 8000.0, c.amplitude), power);
    EXPECT_EQ(peak_bin(power), c.bin);
    EXPECT_NEAR(db(power[c.bin]), c.levelDb, 0.1);
    // The Hann window keeps leakage low a few bins away.
    EXPECT_LT(db(power[c.bin + 6]), c.levelDb - 60.0f);
}

INSTANTIATE_TEST_SUITE_P(Table, SpectrumTone,
                         testing::Values(ToneCase{1000.0, 1.0, 256, 0.0f},
                                         ToneCase{1000.0, 0.25, 256, -12.04f},
                                         ToneCase{500.0, 0.01, 128, -40.0f},
                                         ToneCase{3000.0, 0.5, 768, -6.02f}));

TEST(FftMode, DisplayRangeAndClamping) {
    const FftMode plain = fft_mode(1);
    EXPECT_EQ(to_display(0.0f, plain, 100), 100);
    EXPECT_EQ(to_display(-40.0f, plain, 100), 50);
    EXPECT_EQ(to_display(-80.0f, plain, 100), 0);
    EXPECT_EQ(to_display(-200.0f, plain, 100), 0);
    EXPECT_EQ(to_display(12.0f, plain, 100), 100);
    EXPECT_EQ(to_display(-40.0f, plain, 255), 128);
    EXPECT_EQ(to_display(-40.0f, plain, 0), 0);
    EXPECT_EQ(to_display(std::nanf(""), plain, 100), 0);
    EXPECT_EQ(to_display(-50.0f, fft_mode(6), 100), 50);
    EXPECT_FLOAT_EQ(fft_mode(5).weight, 1.0f / 16.0f);
    EXPECT_FLOAT_EQ(fft_mode(10).weight, fft_mode(5).weight);
    EXPECT_FLOAT_EQ(fft_mode(0).weight, fft_mode(1).weight);
    EXPECT_FLOAT_EQ(fft_mode(99).floorDb, fft_mode(10).floorDb);
}

// A complex tone lands in its bin (negative frequencies in the upper half), and the
// inverse brings the input back times the size. `offset` places the data off the
// allocation's alignment, as a span into a larger buffer can be.
::testing::AssertionResult fft_round_trip(std::size_t n, int bin, std::size_t offset = 0) {
    std::vector<std::complex<float>> buffer(n + offset);
    const std::span<std::complex<float>> a(buffer.data() + offset, n);
    for (std::size_t i = 0; i < n; ++i) {
        const double ph = 2.0 * std::numbers::pi * bin * static_cast<double>(i) / static_cast<double>(n);
        a[i] = {static_cast<float>(std::cos(ph)), static_cast<float>(std::sin(ph))};
    }
    const std::vector<std::complex<float>> in(a.begin(), a.end());
    complex_fft(a);
    const auto at = static_cast<std::size_t>((bin + static_cast<int>(n)) % static_cast<int>(n));
    const float tolerance = 1e-5f * static_cast<float>(n);
    for (std::size_t k = 0; k < n; ++k)
        if (std::abs(std::abs(a[k]) - (k == at ? static_cast<float>(n) : 0.0f)) > tolerance)
            return ::testing::AssertionFailure()
                   << "n " << n << " bin " << bin << ": |X[" << k << "]| = " << std::abs(a[k]);
    complex_fft(a, true);
    for (std::size_t i = 0; i < n; ++i)
        if (std::abs(a[i] - static_cast<float>(n) * in[i]) > tolerance)
            return ::testing::AssertionFailure()
                   << "n " << n << " bin " << bin << ": inverse at " << i << " = " << a[i];
    return ::testing::AssertionSuccess();
}

TEST(ComplexFft, ToneInItsBinAndInverseRestores) {
    for (const int bin : {0, 5, -3, 31})
        EXPECT_TRUE(fft_round_trip(64, bin));
    EXPECT_TRUE(fft_round_trip(2, 1));
    EXPECT_TRUE(fft_round_trip(1024, -100, 1)) << "data off its allocation's alignment";
}

// The plans are made on first use, shared by every channel: channels on several threads
// may be the first to use a size at the same moment, while a spectrum makes its own plan.
TEST(ComplexFft, SizesFirstUsedOnSeveralThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::array<bool, 4> ok{};
    for (std::size_t t = 0; t < ok.size(); ++t)
        threads.emplace_back([t, &ok] {
            bool good = true;
            for (std::size_t k = 0; k <= 12; ++k) {
                const std::size_t log2 = t % 2 == 0 ? 12 - k : k; // the sizes in both orders
                good = fft_round_trip(std::size_t{1} << log2, static_cast<int>(t) + 1, t) && good;
                Spectrum spectrum(256 << (k % 3));
            }
            ok[t] = good;
        });
    for (auto &th : threads)
        th.join();
    for (bool good : ok)
        EXPECT_TRUE(good);
}

TEST(SpectrumAverager, FollowsAtItsWeight) {
    SpectrumAverager avg(1);
    std::vector<float> out(1);
    avg.set_weight(0.25f);
    avg.process(std::vector<float>{1.0f}, out);
    EXPECT_FLOAT_EQ(out[0], 0.0f) << "the first spectrum seeds the average";
    avg.process(std::vector<float>{0.0f}, out);
    EXPECT_NEAR(out[0], db(0.75f), 1e-4);
    avg.set_weight(1.0f);
    avg.process(std::vector<float>{0.0f}, out);
    EXPECT_FLOAT_EQ(out[0], -200.0f) << "silence is bounded, not -infinity";
}

// White noise of a known level is measured at that level, with or without a carrier.
class NoiseFloorLevel : public testing::TestWithParam<double> {};

TEST_P(NoiseFloorLevel, MatchesWhiteNoise) {
    const double levelDb = GetParam();
    const double sigma = std::sqrt(std::pow(10.0, levelDb / 10.0) / 2.0);
    std::mt19937 rng(3);
    std::normal_distribution<double> noise(0.0, sigma);
    const auto tone = sine(2048, 1500.0, 8000.0, 0.5);
    Spectrum spectrum(2048);
    NoiseFloor floor(2048, 26, 998);
    std::vector<float> block(2048), power(spectrum.bins());
    double sum = 0.0;
    for (int b = 0; b < 8; ++b) {
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<float>(noise(rng)) + tone[i];
        spectrum.process(block, power);
        sum += floor.process(power);
    }
    EXPECT_NEAR(NoiseFloor::to_db(static_cast<float>(sum / 8)), levelDb, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Levels, NoiseFloorLevel, testing::Values(-30.0, -60.0, -90.0));

// Rate conversion keeps the tone where it was and delivers 8000 samples per second.
struct RateCase {
    int rate;
    int channels;
};

class FrameConversion : public testing::TestWithParam<RateCase> {};

TEST_P(FrameConversion, ToneSurvivesAndCountMatches) {
    const RateCase &c = GetParam();
    FrameConverter conv(c.channels, c.rate);
    ASSERT_TRUE(conv.ok());
    const auto in = sine(static_cast<std::size_t>(c.rate), 1000.0, c.rate, 0.5, c.channels);
    std::vector<float> out(10000);
    std::size_t got = 0;
    // Feed in uneven pieces, as a sound card would.
    for (std::size_t pos = 0; pos < in.size();) {
        const std::size_t n =
            std::min<std::size_t>(in.size() - pos, 777 * static_cast<std::size_t>(c.channels));
        conv.push(std::span<const float>(in.data() + pos, n));
        pos += n;
        got += conv.pull(std::span<float>(out).subspan(got));
    }
    while (std::size_t n = conv.pull(std::span<float>(out).subspan(got), true))
        got += n;
    EXPECT_NEAR(static_cast<double>(got), 8000.0, 2.0);

    Spectrum spectrum(2048);
    std::vector<float> power(spectrum.bins());
    spectrum.process(std::span<const float>(out.data() + 4000, 2048), power);
    EXPECT_EQ(peak_bin(power), 256u);
    EXPECT_NEAR(db(power[256]), -6.0f, 0.5f) << "mixing equal channels keeps the level";
}

INSTANTIATE_TEST_SUITE_P(Table, FrameConversion,
                         testing::Values(RateCase{8000, 1}, RateCase{44100, 2}, RateCase{48000, 1},
                                         RateCase{11025, 6}),
                         [](const auto &info) {
                             return std::to_string(info.param.rate) + "Hz" +
                                    std::to_string(info.param.channels) + "ch";
                         });

TEST(Resampler, RejectsUnusableRates) {
    EXPECT_FALSE(Resampler(0.0, 8000.0).ok());
    EXPECT_FALSE(Resampler(-1.0, 8000.0).ok());
    EXPECT_FALSE(Resampler(8000.0 * 1000, 8000.0).ok());
    EXPECT_FALSE(Resampler(std::nan(""), 8000.0).ok());
    Resampler broken(0.0, 8000.0);
    std::vector<float> in(16, 1.0f), out(16);
    EXPECT_EQ(broken.process(in, out).generated, 0u);
}

TEST(SpscRing, KeepsOrderAcrossThreadsAndRefusesPartialWrites) {
    SpscRing<float> ring(64);
    EXPECT_EQ(ring.capacity(), 64u);
    std::vector<float> frame(48, 1.0f);
    EXPECT_TRUE(ring.push_all(frame));
    EXPECT_FALSE(ring.push_all(frame)) << "a frame that does not fit is not split";
    std::vector<float> sink(64);
    EXPECT_EQ(ring.pop(sink, 5), 45u) << "pops are whole granules";
    EXPECT_EQ(ring.pop(sink), 3u);

    // One producer, one consumer, many wrap-arounds: every value arrives once, in order.
    constexpr int kTotal = 200000;
    std::thread producer([&] {
        int next = 0;
        float buf[7];
        while (next < kTotal) {
            const int n = std::min(7, kTotal - next);
            for (int i = 0; i < n; ++i)
                buf[i] = static_cast<float>(next + i);
            if (ring.push_all(std::span<const float>(buf, static_cast<std::size_t>(n))))
                next += n;
            else
                std::this_thread::yield();
        }
    });
    int expected = 0;
    bool inOrder = true;
    while (expected < kTotal) {
        const std::size_t n = ring.pop(sink);
        for (std::size_t i = 0; i < n; ++i)
            inOrder = inOrder && sink[i] == static_cast<float>(expected++);
        if (n == 0)
            std::this_thread::yield();
    }
    producer.join();
    EXPECT_TRUE(inOrder);
    EXPECT_EQ(ring.size(), 0u);
}

TEST(SampleHistory, LatestOldestFirstWithSilenceBeforeStart) {
    SampleHistory h(4);
    std::vector<float> out(4);
    h.push(std::vector<float>{1, 2});
    h.latest(out);
    EXPECT_EQ(out, (std::vector<float>{0, 0, 1, 2}));
    h.push(std::vector<float>{3, 4, 5});
    h.latest(out);
    EXPECT_EQ(out, (std::vector<float>{2, 3, 4, 5}));
    std::vector<float> two(2);
    h.latest(two);
    EXPECT_EQ(two, (std::vector<float>{4, 5}));
}

} // namespace
