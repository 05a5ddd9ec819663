// The receive chain against the reference modulator: what each mode copies, how AFC and
// the neighbours behave, and what the readings mean.
#include "dsp/sample_guard.h"
#include "rx/bpsk_detector.h"
#include "rx/qpsk_viterbi.h"
#include "rx/receiver.h"
#include "rx/receiver_bank.h"
#include "rx/squelch.h"
#include "rx/test_signal.h"
#include "rx/varicode_decoder.h"
#include "rx_copy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

using namespace pskmodem;
using namespace rxcopy;

namespace {

std::string every_character() {
    std::string t;
    for (int c = 1; c < 256; ++c)
        t += static_cast<char>(c);
    return t;
}

const int32_t kModes[] = {0, 1, 2, 8, 9, 10};

} // namespace

// ---- Every mode copies every character the transmitter can send ----

class EveryMode : public testing::TestWithParam<int32_t> {};

TEST_P(EveryMode, CopiesEveryCharacterExactly) {
    const std::string text = every_character();
    TestSignalParams p;
    p.mode = GetParam();
    p.phase = 1.3;
    p.snrDb = 15.0;
    const TestSignal sig = make_test_signal(text, p);
    EXPECT_EQ(receive(sig.samples, tuned(p.mode, 1000)).text, text);
}

// A BPSK character is known within two symbol times of the end of its last symbol, and
// the one its coherent decisions wait for the next strobe.
TEST_P(EveryMode, ReportsBpskCharactersPromptly) {
    if (rx_mode(GetParam()).qpsk)
        GTEST_SKIP() << "QPSK waits for the Viterbi decoder's decision depth";
    const std::string text = "latency 0123";
    TestSignalParams p;
    p.mode = GetParam();
    const TestSignal sig = make_test_signal(text, p);
    Receiver rx;
    rx.configure(tuned(p.mode, 1000));
    const Copy c = receive(rx, sig.samples);
    ASSERT_EQ(c.text, text);
    const long symbol = rx_mode(p.mode).symbolSamples;
    for (std::size_t i = 0; i < text.size(); ++i)
        EXPECT_LT(c.at[i] - static_cast<long>(sig.charEnds[i]), (2 + BpskDetector::kDelay) * symbol)
            << "character " << i;
}

INSTANTIATE_TEST_SUITE_P(Modes, EveryMode, testing::ValuesIn(kModes));

// A signal that starts out of silence gives the timing loop a jolt; text with long runs
// of ones then gives it little to correct with. The strobe must not wander off.
TEST(Timing, HoldsThroughTextAfterSilence) {
    const std::string text =
        "Hello \"world\"\ttab CQ de TEST 73 <>& the quick brown fox jumps over the lazy dog 0123456789";
    TestSignalParams p;
    p.frequency = 1500.0;
    p.leadSilence = 0.5;
    const TestSignal sig = make_test_signal(text, p);
    const std::string got = receive(sig.samples, tuned(0, 1500)).text;
    // The onset may print a stray character or two before the text.
    ASSERT_GE(got.size(), text.size());
    EXPECT_EQ(got.substr(got.size() - text.size()), text);
}

// The sideband decides the direction of the quarter turns: QPSK sent on one and read
// on the other is garbage (until the receiver has seen enough text to swap them, longer
// than this), which catches swapped phase tables.
TEST(Sideband, QpskReadOnTheWrongSidebandFails) {
    const std::string text = "sideband check";
    TestSignalParams p;
    p.mode = 2;
    const TestSignal sig = make_test_signal(text, p);
    EXPECT_EQ(receive(sig.samples, tuned(2, 1000)).text, text);
    EXPECT_NE(receive(sig.samples, tuned(1, 1000)).text, text);
}

// ---- AFC ----

struct Offset {
    int32_t mode;
    double hz;
};

class Afc : public testing::TestWithParam<Offset> {};

TEST_P(Afc, PullsInAnOffsetSignal) {
    const std::string text = "the afc pulls this in";
    TestSignalParams p;
    p.mode = GetParam().mode;
    p.frequency = 1000.0 + GetParam().hz;
    p.preamble = 1.5;
    p.snrDb = 0.0;
    const TestSignal sig = make_test_signal(text, p);
    Receiver rx;
    rx.configure(tuned(p.mode, 1000, 10, 15));
    // The onset may print a stray character or two before the text.
    const std::string got = receive(rx, sig.samples).text;
    ASSERT_GE(got.size(), text.size());
    EXPECT_LE(got.size(), text.size() + 2);
    EXPECT_EQ(got.substr(got.size() - text.size()), text);
    EXPECT_NEAR(rx.frequency(), p.frequency, 0.5);

    // Without capture and AFC the channel stays where it was tuned.
    Receiver fixed;
    fixed.configure(tuned(p.mode, 1000));
    receive(fixed, sig.samples);
    EXPECT_EQ(fixed.frequency(), 1000.0);
}

INSTANTIATE_TEST_SUITE_P(Offsets, Afc,
                         testing::Values(Offset{0, 8.0}, Offset{0, -8.0}, Offset{1, 8.0}, Offset{1, -8.0}));

// With capture and AFC off a BPSK station a few hertz off stays off the channel's
// frequency, but the oscillator takes the offset over from the carrier loop: the symbol
// filter is made for a signal at 0 Hz.
class StaticOffset : public testing::TestWithParam<Offset> {};

TEST_P(StaticOffset, OscillatorFollowsTheLoop) {
    const std::string text = "the loop holds this station where it is";
    TestSignalParams p;
    p.mode = GetParam().mode;
    p.frequency = 1000.0 + GetParam().hz;
    p.snrDb = 10.0;
    const TestSignal sig = make_test_signal(text, p);
    Receiver rx;
    rx.configure(tuned(p.mode, 1000));
    const std::string got = receive(rx, sig.samples).text;
    ASSERT_GE(got.size(), text.size());
    EXPECT_EQ(got.substr(got.size() - text.size()), text);
    EXPECT_EQ(rx.frequency(), 1000.0);
    EXPECT_NEAR(rx.oscillator(), p.frequency, 0.3);
}

INSTANTIATE_TEST_SUITE_P(Offsets, StaticOffset,
                         testing::Values(Offset{0, 4.0}, Offset{0, -3.0}, Offset{8, 8.0}, Offset{8, -6.0}));

// ---- Neighbours ----

TEST(Neighbours, TwoSignals60HzApartDecodeIndependently) {
    const std::string a = "first station calling", b = "SECOND STATION ANSWERS 73";
    TestSignalParams pa, pb;
    pa.frequency = 1000.0;
    pb.frequency = 1060.0;
    pb.phase = 2.0;
    pb.preamble = 0.6;
    pa.postamble = pb.postamble = 10.0; // both on the air until the end
    TestSignal sa = make_test_signal(a, pa);
    const TestSignal sb = make_test_signal(b, pb);
    sa.samples.resize(std::min(sa.samples.size(), sb.samples.size()));
    for (std::size_t i = 0; i < sa.samples.size(); ++i)
        sa.samples[i] += sb.samples[i];
    add_noise(sa.samples, 0.02, 3);
    EXPECT_EQ(receive(sa.samples, tuned(0, 1000)).text, a);
    EXPECT_EQ(receive(sa.samples, tuned(0, 1060)).text, b);
}

// ---- Readings ----

TEST(Readings, SyncPeaksAtTheStrobeAndVectorsShowPhaseChanges) {
    TestSignalParams idle;
    idle.preamble = 3.0;
    idle.postamble = 0.0;
    Receiver r2;
    r2.configure(tuned(0, 1000));
    std::vector<RxEvent> ev(Receiver::kMaxEvents);
    const auto x = make_test_signal("", idle).samples;
    for (std::size_t at = 0; at + 256 <= x.size(); at += 256)
        r2.process(std::span<const float>(x.data() + at, 256), ev);
    const auto sync = r2.sync();
    EXPECT_GE(sync[8], 950);
    EXPECT_LT(sync[0], 300); // the reversal's zero crossing, half a symbol away
    const auto v = r2.vectors();
    for (int k = 0; k < 8; ++k) {
        EXPECT_LT(v[static_cast<std::size_t>(2 * k)], -800) << "reversals point left";
        EXPECT_LT(std::abs(v[static_cast<std::size_t>(2 * k + 1)]), 200);
    }
    EXPECT_GE(r2.level(), 60);

    // Steady carrier: no change, vectors point right.
    TestSignalParams carrier;
    carrier.preamble = 0.0;
    carrier.postamble = 3.0;
    const auto c = make_test_signal("", carrier).samples;
    for (std::size_t at = 0; at + 256 <= c.size(); at += 256)
        r2.process(std::span<const float>(c.data() + at, 256), ev);
    const auto w = r2.vectors();
    for (int k = 0; k < 8; ++k)
        EXPECT_GT(w[static_cast<std::size_t>(2 * k)], 800);
}

// IMD of an idle with third-order products added at a known level.
class Imd : public testing::TestWithParam<double> {};

TEST_P(Imd, MeasuresThirdOrderProductsOnIdle) {
    const double db = GetParam();
    const double a3 = std::pow(10.0, db / 20.0);
    std::vector<float> x(8000 * 4);
    for (std::size_t n = 0; n < x.size(); ++n) {
        const double t = static_cast<double>(n) / 8000.0;
        auto tone = [t](double f) { return std::cos(2.0 * std::numbers::pi * f * t); };
        x[n] = static_cast<float>(0.25 * (tone(1000 - 15.625) + tone(1000 + 15.625) +
                                          a3 * (tone(1000 - 46.875) + tone(1000 + 46.875))));
    }
    const Copy c = receive(x, tuned(0, 1000));
    ASSERT_FALSE(c.imd.empty());
    EXPECT_NEAR(c.imd.back(), db, 1.0);
}

INSTANTIATE_TEST_SUITE_P(Levels, Imd, testing::Values(-20.0, -30.0));

// ---- Clock ----

TEST(Clock, MeasuresTheSampleClockAndTheAdjustmentCorrectsIt) {
    std::string text;
    while (text.size() < 250)
        text += "clock measurement over a long over. ";
    TestSignalParams p;
    p.clockPpm = 300.0;
    p.snrDb = 10.0;
    const TestSignal sig = make_test_signal(text, p);

    struct Log final : RxEvents {
        std::vector<int32_t> ppm;
        std::string text;
        void post(int32_t m, int32_t w, int32_t) override {
            if (m == 1004)
                ppm.push_back(w);
            else if (m == 1001)
                text += static_cast<char>(w);
        }
    };
    ChannelSettings settings[kChannels];
    settings[0] = tuned(0, 1000);
    for (int32_t adjust : {0, 300}) {
        ReceiverBank bank;
        bank.reset();
        Log log;
        for (std::size_t at = 0; at < sig.samples.size(); at += 256)
            bank.process(std::span<const float>(sig.samples.data() + at,
                                                std::min<std::size_t>(256, sig.samples.size() - at)),
                         settings, adjust, 0, log);
        ASSERT_FALSE(log.ppm.empty()) << "adjust " << adjust;
        EXPECT_NEAR(log.ppm.back(), 300 - adjust, 40) << "adjust " << adjust;
        EXPECT_EQ(log.text, text);
    }
}

// ---- Rewind ----

TEST(Rewind, DecodesTheRecentInputAgain) {
    const std::string text = "say that again";
    TestSignalParams p;
    const TestSignal sig = make_test_signal(text, p);
    struct Log final : RxEvents {
        std::string text;
        void post(int32_t m, int32_t w, int32_t l) override {
            if (m == 1001 && l == 3)
                text += static_cast<char>(w);
        }
    };
    ChannelSettings settings[kChannels];
    settings[3] = tuned(0, 1000);
    ReceiverBank bank;
    bank.reset();
    Log log;
    const std::vector<float> quiet(256, 0.0f);
    for (std::size_t at = 0; at < sig.samples.size(); at += 256)
        bank.process(std::span<const float>(sig.samples.data() + at,
                                            std::min<std::size_t>(256, sig.samples.size() - at)),
                     settings, 0, 0, log);
    for (int i = 0; i < 40; ++i)
        bank.process(quiet, settings, 0, 0, log);
    ASSERT_EQ(log.text, text);
    // All of it lies within the last 40 blocks (10 s); ask for the most there is.
    bank.process(quiet, settings, 0, 99, log);
    EXPECT_EQ(log.text, text + text);
}

// Samples that are not numbers or absurdly large (a broken file) are taken as silence
// where they enter, not carried into the loops, and decoding goes on after them.
TEST(BadInput, NotANumberIsSilence) {
    const std::string text = "after the glitch";
    TestSignalParams p;
    TestSignal sig = make_test_signal(text, p);
    std::vector<float> x(4096, std::numeric_limits<float>::quiet_NaN());
    x[7] = std::numeric_limits<float>::infinity();
    x[8] = -std::numeric_limits<float>::infinity();
    x[9] = 1e20f;
    x[10] = -2e5f;
    x[11] = 0.5f;
    x.insert(x.end(), sig.samples.begin(), sig.samples.end());
    x[5000] = 1e20f; // in the signal's preamble
    EXPECT_EQ(clean_samples(x), 4096u);
    EXPECT_EQ(x[11], 0.5f);
    EXPECT_EQ(x[5000], 0.0f);
    struct Log final : RxEvents {
        std::string text;
        void post(int32_t m, int32_t w, int32_t) override {
            if (m == 1001)
                text += static_cast<char>(w);
        }
    };
    ChannelSettings settings[kChannels];
    settings[0] = tuned(0, 1000);
    ReceiverBank bank;
    bank.reset();
    Log log;
    for (std::size_t at = 0; at < x.size(); at += 256)
        bank.process(std::span<const float>(x.data() + at, std::min<std::size_t>(256, x.size() - at)),
                     settings, 0, 0, log);
    // As after any silence, the onset may print a stray character before the text.
    ASSERT_GE(log.text.size(), text.size());
    EXPECT_EQ(log.text.substr(log.text.size() - text.size()), text);
    EXPECT_GT(bank.level(0), 50);
}

// ---- Pieces ----

// The phase change of each code pair, from the mode's table.
TEST(QpskCode, PhaseChangesFollowTheTable) {
    struct Case {
        unsigned reg;
        int usb, lsb; // quarter turns, counter-clockwise
    };
    // reg 0: a=0 b=0 -> 180; reg 31: a=0 b=1 -> 0; reg 1: a=1 b=1 -> +90;
    // reg 2: a=1 b=0 -> -90.
    const Case cases[] = {{0, 2, 2}, {31, 0, 0}, {1, 1, 3}, {2, 3, 1}};
    for (const Case &c : cases) {
        EXPECT_EQ(QpskViterbi::phase_change(c.reg, false), c.usb) << c.reg;
        EXPECT_EQ(QpskViterbi::phase_change(c.reg, true), c.lsb) << c.reg;
    }
}

// A gap lost to noise merges two characters; the decoder splits them where the least
// reliable bits were, and drops what cannot be split. A merged run may also be the code
// of a character that text hardly holds (a control code, or a rare printable one such as
// '~', or a capital letter in the middle of a word): split it too if it was doubtful. One
// wrong symbol turns two neighbouring bits, which may hit a gap on its edge.
TEST(VaricodeRepair, SplitsAMergedPairAtItsWeakestBits) {
    struct Case {
        const char *name;
        std::string bits;
        int weak;         // index of the bit with low reliability, or -1
        std::string want; // characters out
        int weak2 = -1;   // a second one (a doubtful symbol weakens the two bits it ends)
    };
    // 'a' = 1011, 'b' = 1011111; 'e' = 11, 'h' = 101011, and 1110101011 is Ctrl-O.
    const Case cases[] = {
        {"clean",
         "1011"
         "00"
         "1011111"
         "00",
         -1, "ab"},
        {"gap hit",
         "1011"
         "10"
         "1011111"
         "00",
         4, "ab"},
        {"gap hit late",
         "1011111"
         "01"
         "1011"
         "00",
         8, "ba"},
        {"only sure bits to flip",
         "1011"
         "10"
         "1011111"
         "00",
         -1, ""},
        {"no split",
         "1111111111111111"
         "00",
         3, ""},
        {"gap hit into a control code",
         "11"
         "10"
         "101011"
         "00",
         2, "eh"},
        {"control code from sure bits",
         "11"
         "10"
         "101011"
         "00",
         -1, "\x0f"},
        {"gap hit on its edge",
         "1010"
         "10"
         "1011111"
         "00",
         3, "ab", 4},
        {"gap hit on its edge, sure bits",
         "1010"
         "10"
         "1011111"
         "00",
         -1, ""},
        // 'a' 'n' = 1011 00 1111 read as 1011010111, '~'.
        {"rare character from a doubtful symbol",
         "1011010111"
         "00",
         5, "an", 6},
        {"rare character from sure bits",
         "1011010111"
         "00",
         -1, "~"},
        // 'h' then 'a' 'e' = 1011 00 11 read as 10110101, 'D'.
        {"capital in a word from a doubtful symbol",
         "101011"
         "00"
         "10110101"
         "00",
         13, "hae", 14},
        {"capital in a word from sure bits",
         "101011"
         "00"
         "10110101"
         "00",
         -1, "hD"},
        {"capital after a space",
         "1"
         "00"
         "10110101"
         "00",
         8, " D", 9},
    };
    for (const Case &c : cases) {
        VaricodeDecoder d;
        std::string out;
        std::array<int, 2> chars{};
        for (std::size_t i = 0; i < c.bits.size(); ++i) {
            const bool weak = static_cast<int>(i) == c.weak || static_cast<int>(i) == c.weak2;
            const SoftBit b{static_cast<uint8_t>(c.bits[i] == '1'), weak ? 0.05f : 1.0f};
            const int n = d.push(b, chars);
            for (int k = 0; k < n; ++k)
                out += static_cast<char>(chars[static_cast<std::size_t>(k)]);
        }
        EXPECT_EQ(out, c.want) << c.name;
    }
}

// A QPSK channel with capture and AFC on waits where it was tuned through minutes of
// noise: the carrier loop's drift handling (a frequency assist, a wider third-order
// loop, a rate the AFC takes over) must not be set off by noise.
TEST(QpskAfc, ChannelStaysPutOnFiveMinutesOfNoise) {
    for (int32_t mode : {1, 9}) {
        for (uint64_t seed : {1u, 2u, 3u}) {
            std::vector<float> noise(8000 * 300, 0.0f);
            add_noise(noise, 0.1, 100 + seed);
            Receiver rx;
            rx.configure(tuned(mode, 1000, 10, 10));
            std::vector<RxEvent> ev(Receiver::kMaxEvents);
            double furthest = 0.0;
            for (std::size_t at = 0; at < noise.size(); at += 800) {
                rx.process(std::span<const float>(noise.data() + at, 800), ev);
                furthest = std::max(furthest, std::fabs(rx.frequency() - 1000.0));
            }
            EXPECT_LT(furthest, 0.2) << "mode " << mode << ", seed " << seed;
        }
    }
}

// A waiting BPSK channel that a short burst pulled off its tuning (noise alone does so
// now and then, once in hours) goes back to where it was tuned once nothing is held
// there, and takes the station that then starts a few hertz from it.
TEST(BpskCapture, ChannelPulledOffByABurstGoesBack) {
    const std::string text = "cq cq de q1abc q1abc pse k";
    for (int32_t mode : {0, 8}) {
        const double scale = mode == 8 ? 2.0 : 1.0;
        TestSignalParams b;
        b.mode = mode;
        b.frequency = 1000.0 + 8.0 * scale;
        b.preamble = 0.5 / scale; // 16 symbols of idle: too short to be held
        b.postamble = 0.0;
        std::vector<float> x(8000 * 2, 0.0f);
        const std::vector<float> burst = make_test_signal("", b).samples;
        x.insert(x.end(), burst.begin(), burst.end());
        x.resize(x.size() + 8000 * 15, 0.0f);
        const std::size_t stationAt = x.size();
        TestSignalParams s = b;
        s.frequency = 1000.0 - 3.0 * scale;
        s.preamble = 1.0;
        s.postamble = 1.0;
        const std::vector<float> station = make_test_signal(text, s).samples;
        x.insert(x.end(), station.begin(), station.end());
        add_noise(x, 0.1, 5);

        Receiver rx;
        rx.configure(tuned(mode, 1000, 10, 10));
        std::vector<RxEvent> ev(Receiver::kMaxEvents);
        double furthest = 0.0, before = 0.0;
        std::string copy;
        for (std::size_t at = 0; at < x.size(); at += Receiver::kPiece) {
            const std::size_t len = std::min(Receiver::kPiece, x.size() - at);
            const std::size_t n = rx.process(std::span<const float>(x.data() + at, len), ev);
            for (std::size_t i = 0; i < n; ++i)
                if (ev[i].kind == RxEvent::Kind::Character)
                    copy += static_cast<char>(ev[i].value);
            furthest = std::max(furthest, std::fabs(rx.frequency() - 1000.0));
            if (at + len <= stationAt)
                before = rx.frequency();
        }
        EXPECT_GT(furthest, 4.0 * scale) << "mode " << mode << ": the burst did not move the channel";
        EXPECT_LT(std::fabs(before - 1000.0), 0.5) << "mode " << mode << ": waiting at " << before;
        EXPECT_NE(copy.find(text), std::string::npos) << "mode " << mode << ": " << copy;
    }
}
