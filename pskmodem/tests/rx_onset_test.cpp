// A station coming on out of the noise, and each over of a contact: nothing of the noise
// before it may print in front of its text, and its first characters are copied.
#include "channel_run.h"
#include "rx/test_signal.h"
#include "rx_copy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

using namespace rxrun;

// A station coming on out of the noise: the noise the decoder was holding when its first
// symbols arrived must not come out as characters in front of its text. The loops are
// left out (capture and AFC off) so that only the onset is seen.
class Onset : public testing::TestWithParam<std::pair<double, double>> {};

TEST_P(Onset, NothingPrintedBeforeTheText) {
    Condition c = make("Onset");
    c.snr = GetParam().first;
    c.offset = GetParam().second;
    c.capture = 0;
    c.afc = 0;
    c.chars = 60;
    const Result r = run(c);
    const std::string start = text_of(c.chars).substr(0, 12);
    EXPECT_EQ(r.copy.substr(0, start.size()), start) << r.copy;
}

INSTANTIATE_TEST_SUITE_P(SnrAndOffset, Onset,
                         testing::Values(std::pair{-10.0, 0.0}, std::pair{-10.0, 3.0}, std::pair{-5.0, 3.0},
                                         std::pair{10.0, 3.0}, std::pair{20.0, 0.0}),
                         [](const testing::TestParamInfo<std::pair<double, double>> &i) {
                             const int snr = static_cast<int>(i.param.first);
                             return std::string(snr < 0 ? "Minus" : "Plus") + std::to_string(std::abs(snr)) +
                                    "Db" + std::to_string(static_cast<int>(i.param.second)) + "HzOff";
                         });

// A weak BPSK station clicked a little off, coming on out of the noise: while the loops
// pull in on its preamble, the noise before it and the errors of its first symbols must
// not come out as characters in front of its text. Over a handful of seeds, since any
// one of them may happen to be clean; characters wrong inside the text are not counted.
// At -12 dB a bit lost in the last symbols of the preamble may still print one.
class WeakOnset : public testing::TestWithParam<std::pair<double, std::size_t>> {};

TEST_P(WeakOnset, NoStrayCharactersBeforeTheText) {
    std::size_t stray = 0;
    std::string copies;
    for (uint64_t seed = 1; seed <= 8; ++seed) {
        Condition c = make("WeakOnset");
        c.snr = GetParam().first;
        c.offset = seed % 2 == 0 ? 3.0 : -3.0;
        c.phase = 0.4 * static_cast<double>(seed);
        c.chars = 40;
        c.seed = seed;
        const Result r = run(c);
        // What aligning the text to the end of the copy saves is what came before it.
        const std::string text = text_of(c.chars);
        const std::string got = r.copy.substr(0, r.copy.size() - 1);
        stray += edit_distance(text, got) - errors_after(text, got);
        copies += r.copy;
    }
    EXPECT_LE(stray, GetParam().second) << copies;
}

INSTANTIATE_TEST_SUITE_P(Snr, WeakOnset,
                         testing::Values(std::pair{-12.0, std::size_t{1}}, std::pair{-11.0, std::size_t{0}},
                                         std::pair{-10.0, std::size_t{0}}),
                         [](const testing::TestParamInfo<std::pair<double, std::size_t>> &i) {
                             return "Minus" + std::to_string(static_cast<int>(-i.param.first)) + "Db";
                         });

// A BPSK contact: each over comes from a station 3 Hz from the last, with a second and a
// half of noise between. The channel's loops still hold the last station when the next
// one's preamble starts: at -10 dB at most one character of an over's start may be lost,
// and the noise between overs must not print in front of it.
struct ContactCase {
    double snr;
    std::size_t maxErrors; // in any one over
    uint64_t seeds;
};

class ContactOvers : public testing::TestWithParam<ContactCase> {};

TEST_P(ContactOvers, EachOverCopiedFromItsStart) {
    for (uint64_t seed = 1; seed <= GetParam().seeds; ++seed) {
        Condition c = make("Contact");
        c.snr = GetParam().snr;
        c.overs = 4;
        c.chars = 4 * 40;
        c.offset = seed % 2 == 0 ? 3.0 : -3.0;
        c.overStep = seed % 2 == 0 ? 3.0 : -3.0;
        c.seed = seed;
        const Result r = run(c);
        std::size_t from = 0;
        for (int o = 0; o < c.overs; ++o) {
            const std::size_t to = r.copy.find('\n', from);
            const std::string got = r.copy.substr(from, to - from);
            from = to + 1;
            const std::string text = text_of(c.chars / 4, static_cast<std::size_t>(o));
            EXPECT_LE(edit_distance(text, got), GetParam().maxErrors)
                << "seed " << seed << ", over " << o << ":\n"
                << r.copy;
        }
    }
}

// A strong contact loses nothing and prints nothing of the noise between overs.
INSTANTIATE_TEST_SUITE_P(Snr, ContactOvers,
                         testing::Values(ContactCase{-10.0, 1, 3}, ContactCase{10.0, 0, 6}),
                         [](const testing::TestParamInfo<ContactCase> &i) {
                             const int snr = static_cast<int>(i.param.snr);
                             return std::string(snr < 0 ? "Minus" : "Plus") + std::to_string(std::abs(snr)) +
                                    "Db";
                         });

// The noise right after a strong station's last symbol lies far below it, and decodes as
// idle as readily as anything: taken for the next over's preamble, it let the noise before
// that over print in front of it. A QPSK channel printed that noise too: it knew no end
// of an over. Overs sent back to back with three quarters of a second of silence around
// each, at +10 dB, the squelch off.
TEST(OverEnd, NoiseAfterAStrongOverIsNoPreamble) {
    const std::string texts[] = {
        "q7xyz de q1abc thanks for the call, rig here runs ten watts. btu q7xyz de q1abc k ",
        "q1abc de q7xyz fb om, name here is Anna and qth near the river. btu q1abc de q7xyz k "};
    for (const int32_t mode : {0, 1}) {
        for (uint64_t seed = 1; seed <= 8; ++seed) {
            std::vector<float> x;
            std::string sent;
            for (int o = 0; o < 4; ++o) {
                TestSignalParams p;
                p.mode = mode;
                p.frequency = 1003.0 + 3.0 * (o % 2);
                p.phase = 0.7 * o + static_cast<double>(seed);
                p.leadSilence = 0.75;
                const TestSignal s = make_test_signal(texts[o % 2], p);
                x.insert(x.end(), s.samples.begin(), s.samples.end());
                sent += texts[o % 2];
            }
            double power = 0.0;
            std::size_t keyed = 0;
            for (const float v : x)
                if (v != 0.0f) {
                    power += static_cast<double>(v) * v;
                    ++keyed;
                }
            // Noise in 2500 Hz of the 4000 Hz band, 10 dB below the keyed power.
            add_noise(x, std::sqrt(power / static_cast<double>(keyed) / 10.0 * 4000.0 / 2500.0), seed);
            const std::string got = rxcopy::receive(x, tuned_channel(mode, 1000, 10, 10)).text;
            EXPECT_EQ(edit_distance(sent, got), 0u) << "mode " << mode << ", seed " << seed << ": " << got;
        }
    }
}

// The same for QPSK, with capture and AFC on as a click on the waterfall leaves them, and
// a second of noise first: the trellis decides each bit half a second late, so the first
// symbols of the station flush the noise it held, well before the preamble is found.
struct QpskOnsetCase {
    const char *name;
    int32_t mode;
    double snr;
    double offset;
};

void PrintTo(const QpskOnsetCase &c, std::ostream *os) {
    *os << c.name;
}

class QpskOnset : public testing::TestWithParam<QpskOnsetCase> {};

TEST_P(QpskOnset, NothingPrintedBeforeTheText) {
    Condition c = make(GetParam().name);
    c.mode = GetParam().mode;
    c.snr = GetParam().snr;
    c.offset = GetParam().offset;
    c.start = 1.0;
    c.chars = 60;
    const Result r = run(c);
    const std::string start = text_of(c.chars).substr(0, 12);
    EXPECT_EQ(r.copy.substr(0, start.size()), start) << r.copy;
}

INSTANTIATE_TEST_SUITE_P(ModesAndSnr, QpskOnset,
                         testing::Values(QpskOnsetCase{"Qpsk31Minus8Db", 1, -8.0, 3.0},
                                         QpskOnsetCase{"Qpsk31Minus10Db", 1, -10.0, -3.0},
                                         QpskOnsetCase{"Qpsk31Minus12Db", 1, -12.0, 3.0},
                                         QpskOnsetCase{"Qpsk63Minus6Db", 9, -6.0, 3.0},
                                         QpskOnsetCase{"Qpsk63Minus8Db", 9, -8.0, -3.0}),
                         [](const testing::TestParamInfo<QpskOnsetCase> &i) {
                             return std::string(i.param.name);
                         });
