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
