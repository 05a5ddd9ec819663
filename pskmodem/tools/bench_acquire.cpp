#include "bench_acquire.h"

#include "bench_support.h"
#include "rx/channel_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace pskmodem::bench {

namespace {

constexpr int32_t kTune = 1000;
constexpr double kRate = 8000.0;
// The text counts as right once this many characters in a row come out as sent.
constexpr std::size_t kRun = 8;
// What an operator waits at most for a clicked station.
constexpr double kLimit = 2.0;

struct Timing {
    std::optional<double> rightFrom; // seconds of signal from the reference until the text is right
    std::optional<double> shownAt;   // seconds from the reference until that text is on the screen
};

// The first kRun characters decoded in a row as sent, at or after the reference.
Timing measure(const Transmission &tx, const ChannelSignal::Sent &sent, const Decoded &d, std::size_t k0,
               std::size_t ref) {
    Timing t;
    std::size_t firstRef = 0;
    while (firstRef < sent.charStarts.size() && sent.charStarts[firstRef] < ref)
        ++firstRef;
    for (std::size_t i = 0; i + kRun <= d.text.size(); ++i) {
        if (static_cast<std::size_t>(d.at[i]) + k0 < ref)
            continue;
        const std::string run = d.text.substr(i, kRun);
        // Where the run was sent; a character decoded from just before the reference
        // (the re-decoding of a running station) still counts from the reference.
        const std::size_t from = firstRef > 0 ? firstRef - 1 : 0;
        const std::size_t j = tx.text.find(run, from);
        if (j == std::string::npos)
            continue;
        const double sentAt = static_cast<double>(sent.charStarts[j]) - static_cast<double>(ref);
        t.rightFrom = std::max(0.0, sentAt / kRate);
        t.shownAt = (static_cast<double>(d.at[i] + static_cast<long>(k0)) - static_cast<double>(ref)) / kRate;
        return t;
    }
    return t;
}

const char *mode_name(int32_t mode) {
    switch (mode) {
    case 0:
        return "BPSK31";
    case 1:
        return "QPSK31";
    case 8:
        return "BPSK63";
    case 9:
        return "QPSK63";
    default:
        return "?";
    }
}

void print_row(const char *mode, const char *which, std::vector<Timing> ts) {
    std::vector<double> right, shown;
    std::size_t never = 0;
    for (const Timing &t : ts) {
        if (!t.rightFrom) {
            ++never;
            continue;
        }
        right.push_back(*t.rightFrom);
        shown.push_back(*t.shownAt);
    }
    std::sort(right.begin(), right.end());
    std::sort(shown.begin(), shown.end());
    const auto over = static_cast<std::size_t>(
        std::count_if(right.begin(), right.end(), [](double s) { return s > kLimit; }));
    auto median = [](const std::vector<double> &v) { return v.empty() ? NAN : v[v.size() / 2]; };
    auto most = [](const std::vector<double> &v) { return v.empty() ? NAN : v.back(); };
    std::printf("%-7s %-16s right from: median %5.2f s, worst %5.2f s; shown: median %5.2f s, worst %5.2f s;"
                " %zu of %zu over %.0f s, %zu never\n",
                mode, which, median(right), most(right), median(shown), most(shown), over + never, ts.size(),
                kLimit, never);
}

} // namespace

void acquire_table(const AcquireOptions &o) {
    std::printf(
        "Acquisition at %.1f dB, stations spread over +-%d Hz of the channel (capture %d Hz, AFC %d Hz, "
        "squelch %d,%d), %d trials a line.\n"
        "\"right from\": seconds of signal from the station's start (or the tuning) until %zu "
        "characters in a row come as sent; \"shown\": until those are on the screen.\n",
        o.snrDb, o.capture, o.capture, o.afc, o.squelch, o.squelchSpeed, o.trials, kRun);
    for (const int32_t mode : {0, 1, 8, 9}) {
        for (const bool running : {false, true}) {
            std::vector<Timing> ts;
            for (int k = 0; k < o.trials; ++k) {
                const double off = o.trials > 1 ? -o.capture + 2.0 * o.capture * k / (o.trials - 1) : 0.0;
                Transmission tx;
                tx.mode = mode;
                tx.frequency = kTune + off;
                tx.phase = 0.9 * k + 0.2;
                tx.text = english_text(running ? 140 : 60, 700 + static_cast<uint64_t>(k));
                tx.start = running ? 0.0 : 1.0;
                ChannelParams p;
                p.wanted = {tx};
                p.snrDb = o.snrDb;
                p.seed = 5000u + static_cast<uint64_t>(k) * 31u + static_cast<uint64_t>(mode) * 7u +
                         (running ? 1u : 0u);
                const ChannelSignal sig = make_channel_signal(p);
                // A running station: tuned onto once it has sent for a while.
                const double tuneAt = running ? 5.0 + 0.37 * k : 0.0;
                const auto k0 =
                    std::min(static_cast<std::size_t>(std::lround(tuneAt * kRate)), sig.samples.size());
                ChannelSettings s = channel(mode, kTune, o.capture, o.afc);
                s.squelchThreshold = o.squelch;
                s.squelchSpeed = o.squelchSpeed;
                const Decoded d = decode(std::span<const float>(sig.samples).subspan(k0), s);
                const std::size_t ref = running ? k0 : sig.wanted[0].start;
                ts.push_back(measure(tx, sig.wanted[0], d, k0, ref));
                if (o.verbose)
                    std::printf("  %+6.2f Hz: right from %s s, shown %s s\n", off,
                                ts.back().rightFrom ? std::to_string(*ts.back().rightFrom).c_str() : "never",
                                ts.back().shownAt ? std::to_string(*ts.back().shownAt).c_str() : "-");
            }
            print_row(mode_name(mode), running ? "tuned onto it" : "tuned before it", ts);
        }
    }
}

} // namespace pskmodem::bench
