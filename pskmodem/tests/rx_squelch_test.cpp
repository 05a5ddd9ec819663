// The squelch: noise stays silent, a signal opens it, and at the program's default
// settings a weak station of every mode gets through while noise alone prints next to
// nothing.
#include "rx/receiver.h"
#include "rx/squelch.h"
#include "rx/test_signal.h"
#include "rx_copy.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace pskmodem;
using namespace rxcopy;

namespace {

TEST(Squelch, NoiseStaysSilentAndASignalOpensIt) {
    std::vector<float> noise(8000 * 60, 0.0f);
    add_noise(noise, 0.1, 11);
    ChannelSettings s = tuned(0, 1000);
    s.squelchThreshold = 50;
    s.squelchSpeed = 200;
    Receiver rx;
    rx.configure(s);
    EXPECT_EQ(receive(rx, noise).text, "");
    EXPECT_LT(rx.level(), 50);

    const std::string text = "the squelch opens for me";
    TestSignalParams p;
    p.snrDb = 0.0;
    p.preamble = 1.5;
    Receiver open;
    open.configure(s);
    EXPECT_EQ(receive(open, make_test_signal(text, p).samples).text, text);

    // Threshold 0 lets everything through: noise prints.
    Receiver off;
    off.configure(tuned(0, 1000));
    EXPECT_FALSE(receive(off, noise).text.empty());
}

// At VARNEK's default settings (threshold 10, speed 1) noise alone prints at most a
// character a minute in every mode, and a station at -10 dB opens the squelch within a
// second of its start in every mode, tuned on it or 3 Hz off.
TEST(Squelch, ProgramDefaultsHoldNoiseAndOpenForAWeakStation) {
    ChannelSettings s = tuned(0, 1000, 10, 10);
    s.squelchThreshold = 10;
    s.squelchSpeed = 1;
    for (int32_t mode : {0, 1, 8}) {
        std::vector<float> noise(8000 * 300, 0.0f);
        add_noise(noise, 0.1, 21 + static_cast<uint64_t>(mode));
        s.mode = mode;
        Receiver rx;
        rx.configure(s);
        EXPECT_LE(receive(rx, noise).text.size(), 5u) << "mode " << mode << ", five minutes of noise";
    }
    for (int32_t mode : {0, 1, 8, 9}) {
        for (double offset : {0.0, 3.0, -3.0}) {
            for (uint64_t seed = 1; seed <= 4; ++seed) {
                s.mode = mode;
                TestSignalParams p;
                p.mode = mode;
                p.frequency = 1000.0 + offset;
                p.snrDb = -10.0;
                p.seed = seed;
                p.phase = static_cast<double>(seed);
                p.leadSilence = 0.5;
                const TestSignal sig = make_test_signal("opening", p);
                Receiver rx;
                rx.configure(s);
                std::vector<RxEvent> ev(Receiver::kMaxEvents);
                const std::size_t start = 4000;
                std::size_t openAt = sig.samples.size();
                for (std::size_t at = 0; at + 256 <= sig.samples.size() && openAt == sig.samples.size();
                     at += 256) {
                    rx.process(std::span<const float>(sig.samples.data() + at, 256), ev);
                    if (at + 256 > start && rx.squelch_open())
                        openAt = at + 256;
                }
                EXPECT_LE(static_cast<double>(openAt - start) / 8000.0, 1.0)
                    << "mode " << mode << ", " << offset << " Hz off, seed " << seed;
            }
        }
    }
}

// The same defaults let a QPSK31 station at -10 dB through whole: its phase changes alone
// read too low there, and the squelch used to shut it out for most of its text.
TEST(Squelch, ProgramDefaultsLetAWeakQpskStationThrough) {
    ChannelSettings s = tuned(1, 1000, 10, 10);
    s.squelchThreshold = 10;
    s.squelchSpeed = 1;
    const std::string text = "a weak QPSK station calling through the default squelch, pse k";
    for (uint64_t seed = 1; seed <= 4; ++seed) {
        TestSignalParams p;
        p.mode = 1;
        p.frequency = seed % 2 ? 1003.0 : 997.0;
        p.snrDb = -10.0;
        p.seed = seed;
        p.phase = static_cast<double>(seed);
        p.leadSilence = 0.5;
        EXPECT_LE(edit_distance(text, receive(make_test_signal(text, p).samples, s).text), 3u)
            << "seed " << seed;
    }
}

// A BPSK31 station near the decoder's limit copies as well through the default squelch
// as with none: its first characters, decoded before the squelch opens, wait for it, as
// does the text after a burst of errors that dipped the level and shut it for a moment.
TEST(Squelch, ProgramDefaultsCopyAStationNearTheLimitWhole) {
    const std::string text = "q1abc de q7xyz the band is noisy tonight but your signal is readable here, "
                             "name is Anna and the rig runs twenty watts into a dipole. pse k";
    for (uint64_t seed = 1; seed <= 4; ++seed) {
        TestSignalParams p;
        p.frequency = seed % 2 ? 1003.0 : 997.0;
        p.snrDb = -12.5;
        p.seed = seed;
        p.phase = static_cast<double>(seed);
        p.leadSilence = 0.5;
        const std::vector<float> x = make_test_signal(text, p).samples;
        ChannelSettings s = tuned(0, 1000, 10, 10);
        const std::size_t open = edit_distance(text, receive(x, s).text);
        s.squelchThreshold = 10;
        s.squelchSpeed = 1;
        const std::string got = receive(x, s).text;
        EXPECT_LE(edit_distance(text, got), open + 2) << "seed " << seed << ": " << got;
    }
}

// The level does not suffer from an offset the carrier loop has not taken out: a clean
// BPSK signal whose phase changes turn by 40 degrees a symbol reads like a tuned one, and
// random phase changes read 0.
TEST(Squelch, LevelIgnoresASteadyRotationAndNoiseReadsZero) {
    Squelch tunedSq, offsetSq, noiseSq;
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<float> anyPhase(-3.14159f, 3.14159f);
    for (int k = 0; k < 200; ++k) {
        const float change = (rng() & 1u) ? 0.0f : 3.14159265f; // a BPSK bit
        tunedSq.process(std::polar(1.0f, change), 1.0f);
        offsetSq.process(std::polar(1.0f, change + 0.7f), 0.2f);
        noiseSq.process(std::polar(1.0f, anyPhase(rng)), 0.0f);
    }
    EXPECT_GE(tunedSq.level(), 95);
    EXPECT_GE(offsetSq.level(), 95);
    EXPECT_LE(noiseSq.level(), 10);
}

} // namespace
