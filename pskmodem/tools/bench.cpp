// pskmodem-bench: how well and how fast the receivers copy.
//
//   pskmodem-bench [cer|cost|latency|channel|all] [--quick]
//
// cer:     character error rate against SNR (mean keyed power over noise in 2500 Hz) for
//          BPSK31, QPSK31 and BPSK63, each point over at least 2,000 characters of English
//          text in several seeds, tuned 5 Hz off (alternately above and below) with
//          capture and AFC on.
// cost:    25 channels and the spectrum FFT on one core, as times real time.
// channel: the receiver on a model of a real band (drift, neighbours, carriers, clock
//          error, fading, QPSK acquisition, the overs of a contact), one row a condition;
//          see bench_channel.cpp and --row to run some of them.
// latency: from the end of a character's last symbol to its report, in symbol times.
// noise:   channels on noise alone at the program's default squelch (not part of all):
//          characters printed and how far the channels wander; --minutes, --mode, --seed.
#include "bench_acquire.h"
#include "bench_channel.h"
#include "bench_noise.h"
#include "bench_support.h"
#include "dsp/spectrum.h"
#include "dsp/spectrum_averager.h"
#include "rx/receiver.h"
#include "rx/test_signal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <vector>

using namespace pskmodem;
using namespace pskmodem::bench;

namespace {

struct ModeRow {
    const char *name;
    int32_t mode;
    std::vector<double> snrs;
};

void cer_table(bool quick) {
    const std::vector<ModeRow> rows = {
        {"BPSK31", 0, {-9, -10, -11, -11.5, -12, -12.5, -13}},
        {"QPSK31", 1, {-9, -10, -11, -12, -12.5, -13, -14}},
        {"BPSK63", 8, {-6, -7, -8, -8.5, -9, -9.5, -10}},
    };
    const int seeds = quick ? 1 : 3;
    const std::size_t chars = quick ? 700 : 700;
    std::printf("Character error rate, %d seeds x >= %zu characters a point, offset +-5 Hz, capture 10 Hz, "
                "AFC 10 Hz\n",
                seeds, chars);
    for (const ModeRow &row : rows) {
        std::printf("%-7s", row.name);
        for (double snr : row.snrs) {
            std::size_t errors = 0, total = 0;
            for (int s = 0; s < seeds; ++s) {
                const auto seed = static_cast<uint64_t>(1000 * row.mode + 17 * s + 1);
                const std::string text = english_text(chars, seed);
                TestSignalParams p;
                p.mode = row.mode;
                const double offset = s % 2 == 0 ? 5.0 : -5.0;
                p.frequency = 1000.0 + offset;
                p.phase = 0.3 + s;
                p.snrDb = snr;
                p.seed = seed * 7919 + static_cast<uint64_t>(std::lround(snr * 10.0 + 500.0));
                const TestSignal sig = make_test_signal(text, p);
                const Decoded d = decode(sig.samples, channel(row.mode, 1000, 10, 10));
                errors += edit_distance(text, d.text);
                total += text.size();
            }
            std::printf("  %6.1f dB: %5.2f%%", snr,
                        100.0 * static_cast<double>(errors) / static_cast<double>(total));
            std::fflush(stdout);
        }
        std::printf("\n");
    }
}

void cost() {
    // Eight stations across the band in noise; 25 channels spread over it.
    const double seconds = 60.0;
    std::vector<float> mix;
    for (int k = 0; k < 8; ++k) {
        TestSignalParams p;
        p.mode = k % 3 == 0 ? 1 : 0;
        p.frequency = 600.0 + 300.0 * k;
        p.amplitude = 0.05;
        p.preamble = 0.5;
        const TestSignal s = make_test_signal(
            english_text(static_cast<std::size_t>(seconds * 3.5), 40 + static_cast<uint64_t>(k)), p);
        if (mix.size() < s.samples.size())
            mix.resize(s.samples.size(), 0.0f);
        for (std::size_t i = 0; i < s.samples.size(); ++i)
            mix[i] += s.samples[i];
    }
    mix.resize(static_cast<std::size_t>(seconds * 8000.0), 0.0f);
    add_noise(mix, 0.02, 5);

    std::vector<Receiver> rx(25);
    for (int c = 0; c < 25; ++c)
        rx[static_cast<std::size_t>(c)].configure(channel(c % 5 == 1 ? 1 : 0, 500 + 100 * c, 10, 10));
    Spectrum spectrum(2048);
    SpectrumAverager averager(spectrum.bins());
    std::vector<float> window(2048), power(spectrum.bins()), db(spectrum.bins());
    std::vector<RxEvent> ev(Receiver::kMaxEvents);
    std::size_t chars = 0;
    const auto t0 = std::chrono::steady_clock::now();
    const std::clock_t c0 = std::clock();
    for (std::size_t at = 0; at + 256 <= mix.size(); at += 256) {
        const std::span<const float> chunk(mix.data() + at, 256);
        for (auto &r : rx)
            chars += r.process(chunk, ev);
        if ((at + 256) % 1024 == 0 && at + 256 >= 2048) {
            std::copy_n(mix.data() + at + 256 - 2048, 2048, window.begin());
            spectrum.process(window, power);
            averager.process(power, db);
        }
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    // The processor time as well: on a busy machine the wall clock counts other work too.
    const double cpu = static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
    std::printf("Cost: 25 channels + spectrum over %.0f s of audio in %.3f s on one core: %.0fx real time "
                "(%.0fx by processor time; %zu events)\n",
                seconds, took, seconds / took, seconds / cpu, chars);
}

void latency() {
    std::printf("Latency from the end of a character's last symbol to its report (symbol times):\n");
    const struct {
        const char *name;
        int32_t mode;
    } modes[] = {{"BPSK31", 0}, {"QPSK31", 1}, {"BPSK63", 8}, {"QPSK63", 9}};
    for (const auto &m : modes) {
        const std::string text = english_text(300, 99);
        TestSignalParams p;
        p.mode = m.mode;
        p.snrDb = 10.0;
        const TestSignal sig = make_test_signal(text, p);
        // Fine pieces, so the chunking does not add to what is measured.
        const Decoded d = decode(sig.samples, channel(m.mode, 1000, 0, 0), 16);
        const double T = m.mode >= 8 ? 128.0 : 256.0;
        if (d.text != text) {
            std::printf("  %s: decoded text differs; no figure\n", m.name);
            continue;
        }
        double sum = 0.0, worst = 0.0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const double l = (static_cast<double>(d.at[i]) - static_cast<double>(sig.charEnds[i])) / T;
            sum += l;
            worst = std::max(worst, l);
        }
        std::printf("  %s: mean %.2f, worst %.2f\n", m.name, sum / static_cast<double>(text.size()), worst);
    }
}

bool parse_int(const char *s, int lo, int hi, int &out) {
    char *end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!s[0] || *end || v < lo || v > hi)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parse_db(const char *s, double &out) {
    char *end = nullptr;
    const double v = std::strtod(s, &end);
    if (!s[0] || *end || !(v >= -40.0 && v <= 40.0))
        return false;
    out = v;
    return true;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: pskmodem-bench [cer|cost|latency|channel|all] [--quick]\n"
        "       pskmodem-bench channel [--row NAME[,NAME...]] [--quick] [--seeds N] [--jobs N]\n"
        "                              [--capture HZ] [--afc HZ] [--squelch T[,S]] [--verbose]\n"
        "       pskmodem-bench noise [--minutes N] [--mode M] [--seed N] [--capture HZ] [--afc HZ]\n"
        "                            [--squelch T[,S]]\n"
        "       pskmodem-bench acquire [--snr DB] [--seeds N] [--capture HZ] [--afc HZ] [--squelch T[,S]]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    std::string what = "all";
    bool quick = false;
    ChannelOptions ch;
    NoiseOptions noise;
    bool squelchGiven = false, captureGiven = false;
    double snr = -8.0; // acquire
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (a == "--quick") {
            quick = ch.quick = true;
        } else if (a == "--verbose") {
            ch.verbose = true;
        } else if (a == "--row" && value) {
            std::string list = argv[++i];
            for (std::size_t at = 0; at <= list.size();) {
                const std::size_t comma = std::min(list.find(',', at), list.size());
                if (comma > at)
                    ch.rows.push_back(list.substr(at, comma - at));
                at = comma + 1;
            }
        } else if (a == "--seeds" && value) {
            if (!parse_int(argv[++i], 1, 100, ch.seeds))
                return usage();
        } else if (a == "--jobs" && value) {
            if (!parse_int(argv[++i], 1, 64, ch.jobs))
                return usage();
        } else if (a == "--capture" && value) {
            if (!parse_int(argv[++i], 0, 200, ch.capture))
                return usage();
            captureGiven = true;
        } else if (a == "--snr" && value) {
            if (!parse_db(argv[++i], snr))
                return usage();
        } else if (a == "--afc" && value) {
            if (!parse_int(argv[++i], 0, 200, ch.afc))
                return usage();
        } else if (a == "--squelch" && value) {
            std::string v = argv[++i];
            const std::size_t comma = v.find(',');
            if (comma != std::string::npos) {
                if (!parse_int(v.substr(comma + 1).c_str(), 0, 200, ch.squelchSpeed))
                    return usage();
                v.resize(comma);
            }
            if (!parse_int(v.c_str(), 0, 100, ch.squelch))
                return usage();
            squelchGiven = true;
        } else if (a == "--minutes" && value) {
            if (!parse_int(argv[++i], 1, 24 * 60, noise.minutes))
                return usage();
        } else if (a == "--mode" && value) {
            int mode = 0;
            if (!parse_int(argv[++i], 0, 10, mode) || (mode > 2 && mode < 8))
                return usage();
            noise.mode = mode;
        } else if (a == "--seed" && value) {
            int seed = 0;
            if (!parse_int(argv[++i], 0, 1000000, seed))
                return usage();
            noise.seed = static_cast<uint64_t>(seed);
        } else if (a == "cer" || a == "cost" || a == "latency" || a == "channel" || a == "noise" ||
                   a == "acquire" || a == "all") {
            what = a;
        } else {
            return usage();
        }
    }
    if (what == "acquire") {
        AcquireOptions acq;
        if (ch.seeds > 0)
            acq.trials = ch.seeds;
        if (captureGiven)
            acq.capture = ch.capture;
        acq.afc = ch.afc;
        acq.squelch = ch.squelch;
        acq.squelchSpeed = ch.squelchSpeed;
        acq.snrDb = snr;
        acq.verbose = ch.verbose;
        acquire_table(acq);
        return 0;
    }
    if (what == "noise") {
        noise.capture = ch.capture;
        noise.afc = ch.afc;
        if (squelchGiven) {
            noise.squelch = ch.squelch;
            noise.squelchSpeed = ch.squelchSpeed;
        }
        noise_run(noise);
        return 0;
    }
    if (what == "all" || what == "cer")
        cer_table(quick);
    if (what == "all" || what == "channel")
        if (!channel_table(ch))
            return 2;
    if (what == "all" || what == "cost")
        cost();
    if (what == "all" || what == "latency")
        latency();
    return 0;
}
