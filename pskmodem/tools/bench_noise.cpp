#include "bench_noise.h"

#include "bench_support.h"
#include "rx/receiver.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace pskmodem::bench {

namespace {
// Channels spread over the band, well apart.
constexpr int32_t kChannelHz[] = {700, 1100, 1500, 1900};
// A change of the channel's frequency this large within one piece of input is a jump (a
// capture, or the QPSK acquirer taking a line); the AFC moves it by less.
constexpr double kJumpHz = 1.0;
// The channel counts as moved while it is this far from where it was tuned.
constexpr double kAwayHz = 1.0;
} // namespace

void noise_run(const NoiseOptions &o) {
    const RxMode m = rx_mode(o.mode);
    std::printf("Noise alone: %d min, mode %d (%.2f baud%s), %zu channels, capture %d Hz, AFC %d Hz, "
                "squelch %d,%d\n",
                o.minutes, o.mode, m.baud(), m.qpsk ? ", QPSK" : "", std::size(kChannelHz), o.capture, o.afc,
                o.squelch, o.squelchSpeed);
    std::vector<Receiver> rx(std::size(kChannelHz));
    for (std::size_t c = 0; c < rx.size(); ++c) {
        ChannelSettings s = channel(o.mode, kChannelHz[c], o.capture, o.afc);
        s.squelchThreshold = o.squelch;
        s.squelchSpeed = o.squelchSpeed;
        rx[c].configure(s);
    }
    struct Count {
        std::size_t chars = 0, jumps = 0, awayPieces = 0;
        double farthest = 0.0, last = 0.0;
        std::string text;
    };
    std::vector<Count> count(rx.size());
    for (std::size_t c = 0; c < rx.size(); ++c)
        count[c].last = rx[c].frequency();
    std::mt19937_64 rng(o.seed);
    std::normal_distribution<double> g(0.0, 0.05);
    std::vector<float> piece(Receiver::kPiece);
    std::vector<RxEvent> ev(Receiver::kMaxEvents);
    const auto pieces = static_cast<std::size_t>(o.minutes) * 60 * 8000 / Receiver::kPiece;
    for (std::size_t p = 0; p < pieces; ++p) {
        for (float &x : piece)
            x = static_cast<float>(g(rng));
        for (std::size_t c = 0; c < rx.size(); ++c) {
            Count &k = count[c];
            const std::size_t n = rx[c].process(piece, ev);
            for (std::size_t i = 0; i < n; ++i) {
                if (ev[i].kind != RxEvent::Kind::Character)
                    continue;
                ++k.chars;
                if (k.text.size() < 60)
                    k.text += ev[i].value >= 32 && ev[i].value < 127 ? static_cast<char>(ev[i].value) : '.';
            }
            const double f = rx[c].frequency();
            if (std::fabs(f - k.last) >= kJumpHz)
                ++k.jumps;
            k.last = f;
            const double away = std::fabs(f - kChannelHz[c]);
            k.farthest = std::max(k.farthest, away);
            if (away >= kAwayHz)
                ++k.awayPieces;
        }
    }
    std::size_t chars = 0, jumps = 0;
    double away = 0.0;
    const double pieceSeconds = static_cast<double>(Receiver::kPiece) / 8000.0;
    for (std::size_t c = 0; c < rx.size(); ++c) {
        const Count &k = count[c];
        std::printf(
            "  %4d Hz: %5zu characters, %3zu jumps, farthest %5.2f Hz, %6.1f s moved, ends %+.2f Hz  %s\n",
            kChannelHz[c], k.chars, k.jumps, k.farthest, static_cast<double>(k.awayPieces) * pieceSeconds,
            k.last - kChannelHz[c], k.text.c_str());
        chars += k.chars;
        jumps += k.jumps;
        away += static_cast<double>(k.awayPieces) * pieceSeconds;
    }
    const double channelMinutes = static_cast<double>(o.minutes) * static_cast<double>(rx.size());
    std::printf("Noise alone: %zu characters (%.2f a channel-minute), %zu jumps, %.1f s moved, over %.0f "
                "channel-minutes\n",
                chars, static_cast<double>(chars) / channelMinutes, jumps, away, channelMinutes);
}

} // namespace pskmodem::bench
