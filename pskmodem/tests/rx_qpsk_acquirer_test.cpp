// The QPSK acquirer's symbols kept for decoding again: a station found in its text has
// what it sent since the channel was tuned decoded at the found frequency, from where it
// came on out of the noise.
#include "rx/qpsk_acquirer.h"
#include "rx/qpsk_viterbi.h"
#include "rx/test_signal.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <ostream>
#include <random>
#include <vector>

using namespace pskmodem;

namespace {

// A QPSK station's symbols through the code: each bit turns the phase by the change the
// encoder's register gives. Keeps the bits sent.
struct CodedStation {
    bool lsb = false;
    unsigned reg = 0;
    std::complex<double> z{1.0, 0.0};
    std::vector<uint8_t> sent;

    // The symbol carrying `bit` (unit amplitude, no offset).
    std::complex<double> next(uint8_t bit) {
        reg = ((reg << 1) | bit) & 31u;
        z *= std::pow(std::complex<double>(0.0, 1.0), QpskViterbi::phase_change(reg, lsb));
        sent.push_back(bit);
        return z;
    }

    // Bits decoded wrong: bit i is the change into symbol i + 1 of the last `count`, and
    // the first few depend on where the trellis starts.
    int wrong(const std::array<uint8_t, QpskAcquirer::kHistory> &bits, int count) const {
        int n = 0;
        for (int i = 4; i < count - 1; ++i)
            n += bits[static_cast<std::size_t>(i)] != sent[static_cast<std::size_t>(i) + 1] ? 1 : 0;
        return n;
    }
};

struct Case {
    const char *name;
    double hz; // the station's offset from the tuned frequency
    bool lsb;
};

void PrintTo(const Case &c, std::ostream *os) {
    *os << c.name;
}

class KeptSymbols : public testing::TestWithParam<Case> {};

TEST_P(KeptSymbols, DecodeTheStationFromWhereItCameOn) {
    constexpr double kBaud = 31.25;
    constexpr int kNoise = 100, kStation = 120;
    const Case &c = GetParam();
    QpskAcquirer acq;
    acq.set_mode(kBaud, c.lsb);
    std::mt19937_64 rng(7);
    std::normal_distribution<float> g(0.0f, 0.3f);
    auto noise = [&] { return cf(g(rng), g(rng)); };
    for (int k = 0; k < kNoise; ++k)
        acq.push(noise(), 0.0, false);

    // The station's bits through the code, one phase change a symbol.
    const std::vector<uint8_t> text = varicode_bits("CQ de QX1ABC, name Anna, qth near the coast ");
    CodedStation station;
    station.lsb = c.lsb;
    for (int k = 0; k < kStation; ++k) {
        const std::complex<double> u = station.next(text[static_cast<std::size_t>(k) % text.size()]) *
                                       std::polar(1.0, 2.0 * std::numbers::pi * c.hz * k / kBaud);
        acq.push(cf(static_cast<float>(u.real()), static_cast<float>(u.imag())) + noise(), 0.0, false);
    }

    // The noise before the station is left out, to within a block of symbols.
    const int since = acq.since_quiet(acq.kept());
    EXPECT_GE(since, kStation - 8);
    EXPECT_LE(since, kStation);

    std::array<uint8_t, QpskAcquirer::kHistory> bits{};
    ASSERT_EQ(acq.decode(c.hz, kStation, bits), kStation - 1);
    EXPECT_EQ(station.wrong(bits, kStation), 0);
    // A quarter of the baud away the code cannot be followed.
    ASSERT_EQ(acq.decode(c.hz + kBaud / 4.0, kStation, bits), kStation - 1);
    EXPECT_GT(station.wrong(bits, kStation), kStation / 5);
}

INSTANTIATE_TEST_SUITE_P(OffsetsAndSidebands, KeptSymbols,
                         testing::Values(Case{"ThreeHertzAbove", 3.0, false},
                                         Case{"SevenHertzBelow", -7.0, false},
                                         Case{"ThreeHertzAboveLowerSideband", 3.0, true}),
                         [](const testing::TestParamInfo<Case> &i) { return std::string(i.param.name); });

} // namespace

namespace {

// A station drifting by a hertz a second or two: its fourth-power line smears over
// several hertz within a look, yet it is found, where it is at the newest symbol and at
// its rate, and its text decodes followed back at that rate.
struct DriftCase {
    const char *name;
    double baud;
    double hz;   // where the station starts, from the tuned frequency
    double rate; // Hz a second
    bool hidden; // a look for steady stations does not see it (QPSK63's looks are shorter)
};

void PrintTo(const DriftCase &c, std::ostream *os) {
    *os << c.name;
}

class DriftingStation : public testing::TestWithParam<DriftCase> {};

TEST_P(DriftingStation, IsFoundWithItsRate) {
    const DriftCase &c = GetParam();
    constexpr int kStation = QpskAcquirer::kWindow;
    QpskAcquirer acq;
    acq.set_mode(c.baud, false);
    std::mt19937_64 rng(11);
    std::normal_distribution<float> g(0.0f, 0.3f);
    auto noise = [&] { return cf(g(rng), g(rng)); };
    const std::vector<uint8_t> text = varicode_bits("CQ de QX1ABC, name Anna, qth near the coast ");
    CodedStation station;
    for (int k = 0; k < kStation; ++k) {
        const double t = k / c.baud;
        const std::complex<double> u =
            station.next(text[static_cast<std::size_t>(k) % text.size()]) *
            std::polar(1.0, 2.0 * std::numbers::pi * (c.hz * t + 0.5 * c.rate * t * t));
        acq.push(cf(static_cast<float>(u.real()), static_cast<float>(u.imag())) + noise(), 0.0, false);
    }
    const double now = c.hz + c.rate * (kStation - 1) / c.baud;
    const double range = c.baud / 2.0 - 0.5;

    // The receiver is somewhere else.
    const double current = now > 0.0 ? now - 6.0 : now + 6.0;
    QpskAcquirer::Finding f;
    ASSERT_TRUE(acq.analyse(QpskAcquirer::Look::Full, -range, range, current, false, true, f));
    EXPECT_NEAR(f.rate, c.rate, 0.13 * (c.baud / 31.25) * (c.baud / 31.25));
    EXPECT_NEAR(f.hz, now, 0.3);
    // As clearly better than where the receiver is as the weakest line taken needs.
    EXPECT_GT(f.margin, 0.7);

    // Decoded back at the rate found, the text comes out whole.
    std::array<uint8_t, QpskAcquirer::kHistory> bits{};
    ASSERT_EQ(acq.decode(f.hz, kStation, bits, f.rate), kStation - 1);
    EXPECT_EQ(station.wrong(bits, kStation), 0);

    // Where drifting stations are not looked for, it is not found there.
    if (!c.hidden)
        return;
    QpskAcquirer::Finding steady;
    const bool found = acq.analyse(QpskAcquirer::Look::Full, -range, range, current, false, false, steady);
    EXPECT_FALSE(found && std::fabs(steady.hz - now) < 0.3 && steady.margin > 0.7);
}

INSTANTIATE_TEST_SUITE_P(Rates, DriftingStation,
                         testing::Values(DriftCase{"UpOneHertzASecond", 31.25, -3.0, 1.0, true},
                                         DriftCase{"DownOneHertzASecond", 31.25, 5.0, -1.0, true},
                                         DriftCase{"Qpsk63DownOneHertzASecond", 62.5, 2.0, -1.0, false}),
                         [](const testing::TestParamInfo<DriftCase> &i) {
                             return std::string(i.param.name);
                         });

} // namespace

namespace {

// The look for a preamble turns every other symbol over, which also makes a station half a
// baud away whose phase stands still look like reversals. A preamble's two tones lie on
// both sides of its carrier; such a station's power lies on one side only.
struct RunCase {
    const char *name;
    double hz;      // the signal's carrier, from the tuned frequency
    bool reversals; // a run of reversals, or a carrier standing still
    bool found;     // a preamble is found there
};

void PrintTo(const RunCase &c, std::ostream *os) {
    *os << c.name;
}

class ReversalsLook : public testing::TestWithParam<RunCase> {};

TEST_P(ReversalsLook, FindsAPreambleOnlyWhereItsTonesAre) {
    const RunCase &c = GetParam();
    constexpr double kBaud = 31.25;
    constexpr int kSymbols = 48;
    constexpr int kT = kRxSamplesPerSymbol;
    QpskAcquirer acq;
    acq.set_mode(kBaud, false);
    std::mt19937_64 rng(5);
    std::normal_distribution<float> g(0.0f, 0.1f);
    // The samples in front of the matched filter: pulses two symbols long, cos^2 shaped,
    // alternating in sign (or all alike), on the carrier.
    std::vector<cf> x(static_cast<std::size_t>((kSymbols + 2) * kT));
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double t = static_cast<double>(n) / kT; // symbols
        double a = 0.0;
        for (int k = static_cast<int>(t) - 1; k <= static_cast<int>(t); ++k) {
            const double c2 = std::cos(std::numbers::pi * (t - k - 1.0) / 2.0);
            a += (c.reversals && (k & 1) != 0 ? -1.0 : 1.0) * c2 * c2;
        }
        const std::complex<double> z = std::polar(a, 2.0 * std::numbers::pi * c.hz * t / kBaud);
        x[n] = cf(static_cast<float>(z.real()) + g(rng), static_cast<float>(z.imag()) + g(rng));
    }
    // Its symbols at the pulses' peaks (a cos^2 pulse peaks a symbol after it starts).
    for (int k = 0; k < kSymbols; ++k) {
        acq.push_base(std::span<const cf>(x.data() + static_cast<std::ptrdiff_t>(k * kT), kT), 0.0);
        acq.push(x[static_cast<std::size_t>((k + 1) * kT)], 0.0, false);
    }
    QpskAcquirer::Finding f;
    const bool found = acq.analyse(QpskAcquirer::Look::Reversals, -15.0, 15.0, 0.0, false, true, f);
    EXPECT_EQ(found && f.reversals, c.found);
    if (c.found) {
        EXPECT_NEAR(f.hz, c.hz, 0.5);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, ReversalsLook,
                         testing::Values(RunCase{"PreambleFourHertzAbove", 3.6, true, true},
                                         RunCase{"PreambleTwelveHertzBelow", -12.0, true, true},
                                         RunCase{"SteadyStationTwelveHertzBelow", -12.0, false, false},
                                         RunCase{"SteadyStationElevenHertzAbove", 11.0, false, false}),
                         [](const testing::TestParamInfo<RunCase> &i) { return std::string(i.param.name); });

} // namespace
