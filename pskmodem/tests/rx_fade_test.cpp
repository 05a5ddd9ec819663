// A station fading deep and coming back: the text it sends once it is back is copied at
// once. Its return out of the noise looks like a new station's first loud symbols, after
// which the noise the decoder held would be dropped; here that must not cost its text.
#include "rx/receiver.h"
#include "rx/test_signal.h"
#include "rx_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <complex>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

using namespace pskmodem;

namespace {

const std::string kText = "Rig is an old transceiver at twenty watts into a dipole. The weather is grey and "
                          "cold, the band is open to the south and signals come and go. ";

// What a channel tuned to 1000 Hz, capture and AFC on, prints of the recording.
std::string copy_of(const std::vector<float> &x, int32_t mode = 0) {
    std::string copy = rxcopy::receive(x, rxcopy::tuned(mode, 1000, 10, 10)).text;
    for (char &c : copy)
        if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) >= 127)
            c = '~';
    return copy;
}

std::size_t errors_through_fades(double fadeSeconds, std::string &copy) {
    TestSignalParams p;
    p.frequency = 1003.0;
    p.leadSilence = 0.5;
    const TestSignal clean = make_test_signal(kText, p);
    std::vector<float> x = clean.samples;
    // Every 6 s from 5 s on, while the text is sent, the station drops into the noise.
    const double end = static_cast<double>(clean.charEnds.back()) / 8000.0;
    for (double t0 = 5.0; t0 + fadeSeconds < end; t0 += 6.0)
        for (auto i = static_cast<std::size_t>(t0 * 8000.0);
             i < static_cast<std::size_t>((t0 + fadeSeconds) * 8000.0); ++i)
            x[i] *= 0.03f;
    add_noise(x, 0.1, 7);

    copy = copy_of(x);
    return edit_distance(kText, copy);
}

} // namespace

// What each fade covers is lost whatever the receiver does (a second of text at 0.7 s a
// fade, four fades); the limits leave room for that and a character or so more, not for
// the character after each return as well.
struct FadeCase {
    double seconds;
    std::size_t maxErrors;
};

void PrintTo(const FadeCase &c, std::ostream *os) {
    *os << c.seconds << " s fades";
}

class Fade : public testing::TestWithParam<FadeCase> {};

TEST_P(Fade, TextRunsOnAfterADeepFade) {
    std::string copy;
    const std::size_t e = errors_through_fades(GetParam().seconds, copy);
    EXPECT_LE(e, GetParam().maxErrors) << copy;
}

INSTANTIATE_TEST_SUITE_P(Lengths, Fade, testing::Values(FadeCase{0.7, 14}, FadeCase{1.0, 16}));

// A fade deep at the carrier but not half a baud beside it (two paths cancel at one
// frequency) leaves of a station's preamble only one of its idle tones, a steady line the
// capture takes for a carrier. The text, back at full strength, must put the channel on
// the station again within a few characters.
class SelectiveFade : public testing::TestWithParam<int> {}; // the tone kept: +1 upper, -1 lower

TEST_P(SelectiveFade, PreambleSeenOnOneToneStillCopies) {
    const int side = GetParam();
    const std::string text = "cq cq de q1abc q1abc pse k. " + kText;
    TestSignalParams p;
    p.frequency = 1000.0 - 3.0 * side; // the tone lies 12.6 Hz from the tuning
    p.leadSilence = 0.5;
    p.preamble = 1.5;
    TestEnvelope env = make_test_envelope(text, p);
    // Keep the one tone: turned by half a baud, averaged over two symbols (which nulls the
    // other tone, a baud away) and turned back.
    const double period = 256.0; // samples a symbol at 8000 Hz, 31.25 baud
    const std::size_t n = static_cast<std::size_t>(p.preamble * 8000.0), m = 256;
    const auto turn = [&](std::size_t i, double sign) {
        return std::polar(1.0, sign * side * std::numbers::pi * static_cast<double>(i) / period);
    };
    std::vector<std::complex<double>> down(n);
    for (std::size_t i = 0; i < n; ++i)
        down[i] = env.samples[env.keyedStart + i] * turn(i, -1.0);
    for (std::size_t i = 0; i < n; ++i) {
        std::complex<double> sum;
        for (std::size_t k = i >= m ? i - m : 0; k < std::min(n, i + m); ++k)
            sum += down[k];
        env.samples[env.keyedStart + i] = sum / (2.0 * period) * turn(i, 1.0);
    }
    std::vector<float> x(env.samples.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = static_cast<float>(
            0.5 * std::real(env.samples[i] * std::polar(1.0, 2.0 * std::numbers::pi * p.frequency *
                                                                 static_cast<double>(i) / 8000.0)));
    add_noise(x, 0.05, 3);

    const std::string copy = rxcopy::receive(x, tuned_channel(0, 1000, 10, 10)).text;
    EXPECT_LE(edit_distance(text, copy), 6u) << edit_distance(text, copy) << ": " << copy;
}

INSTANTIATE_TEST_SUITE_P(Tones, SelectiveFade, testing::Values(1, -1));

// A station whose preamble comes in through a fade, 20 dB down and barely above the noise,
// and whose level comes up as it starts its text (at once, or a few symbols in). Its
// loud first symbols look like a new station coming on, whose noise the decoder would
// drop: here that would take the first character's bits with it.
struct LiftCase {
    int32_t mode;
    double rise; // seconds into the text
};

void PrintTo(const LiftCase &c, std::ostream *os) {
    *os << "mode " << c.mode << ", level up " << c.rise << " s into the text";
}

class FadeLifting : public testing::TestWithParam<LiftCase> {};

TEST_P(FadeLifting, FirstCharacterCopied) {
    const std::string text = "The band is open to the south.";
    std::string copies;
    int lost = 0;
    for (uint64_t seed = 1; seed <= 6; ++seed) {
        TestSignalParams p;
        p.mode = GetParam().mode;
        p.frequency = 1003.0;
        p.leadSilence = 0.5;
        p.phase = 0.7 * static_cast<double>(seed);
        std::vector<float> x = make_test_signal(text, p).samples;
        const auto rise = static_cast<std::size_t>((p.leadSilence + p.preamble + GetParam().rise) * 8000.0);
        for (std::size_t i = 0; i < rise; ++i)
            x[i] *= 0.1f;
        add_noise(x, 0.1, seed);
        const std::string copy = copy_of(x, GetParam().mode);
        lost += copy.starts_with("The band") ? 0 : 1;
        copies += copy + "\n";
    }
    EXPECT_EQ(lost, 0) << copies;
}

INSTANTIATE_TEST_SUITE_P(ModesAndRise, FadeLifting,
                         testing::Values(LiftCase{0, 0.0}, LiftCase{0, 0.064}, LiftCase{0, 0.16},
                                         LiftCase{1, 0.0}, LiftCase{1, 0.064}, LiftCase{1, 0.16}),
                         [](const testing::TestParamInfo<LiftCase> &i) {
                             return std::string(i.param.mode == 0 ? "Bpsk31" : "Qpsk31") + "Up" +
                                    std::to_string(static_cast<int>(i.param.rise * 1000.0)) + "ms";
                         });
