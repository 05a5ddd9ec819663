// A QPSK channel tuned before its station starts waits on noise alone. Noise now and
// then looks enough like a station for the channel to be moved (the acquirer takes a
// line in the data, or the AFC follows a short false lock); it must come back to where
// the operator tuned it, or it waits hertz away, beyond the carrier loop's pull-in.
#include "rx/receiver.h"
#include "rx/test_signal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <random>
#include <vector>

using namespace pskmodem;

namespace {

struct Waiting {
    const char *name;
    int32_t mode;
    int32_t hz;
    uint64_t seed; // noise that moved the channel once in the first `seconds`
    int seconds;
};

void PrintTo(const Waiting &w, std::ostream *os) {
    *os << w.name;
}

class WaitingOnNoise : public testing::TestWithParam<Waiting> {};

TEST_P(WaitingOnNoise, ComesBackToItsTuning) {
    const Waiting &w = GetParam();
    ChannelSettings s = tuned_channel(w.mode, w.hz, 10, 10); // the program's defaults
    s.squelchThreshold = 10;
    s.squelchSpeed = 1;
    Receiver rx;
    rx.configure(s);
    std::mt19937_64 rng(w.seed);
    std::normal_distribution<double> noise(0.0, 0.05);
    std::vector<float> piece(Receiver::kPiece);
    std::vector<RxEvent> ev(Receiver::kMaxEvents);
    const double pieceSeconds = static_cast<double>(Receiver::kPiece) / 8000.0;
    double away = 0.0, longest = 0.0, farthest = 0.0;
    const auto pieces = static_cast<std::size_t>(w.seconds * 8000) / Receiver::kPiece;
    for (std::size_t p = 0; p < pieces; ++p) {
        for (float &x : piece)
            x = static_cast<float>(noise(rng));
        rx.process(piece, ev);
        const double off = std::fabs(rx.frequency() - w.hz);
        farthest = std::max(farthest, off);
        away = off >= 1.0 ? away + pieceSeconds : 0.0;
        longest = std::max(longest, away);
    }
    EXPECT_LT(longest, 12.0) << "stayed away from its tuning (farthest " << farthest << " Hz)";
    EXPECT_NEAR(rx.frequency(), w.hz, 0.05);
}

INSTANTIATE_TEST_SUITE_P(Modes, WaitingOnNoise,
                         testing::Values(Waiting{"Qpsk31", 1, 1100, 1, 70},
                                         Waiting{"Qpsk63", 9, 1900, 3, 170}),
                         [](const testing::TestParamInfo<Waiting> &i) { return std::string(i.param.name); });

} // namespace
