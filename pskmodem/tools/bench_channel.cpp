#include "bench_channel.h"

#include "bench_support.h"
#include "rx/channel_model.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <thread>

namespace pskmodem::bench {

namespace {

constexpr double kTune = 1000.0; // where every channel is tuned
constexpr double kOff = 3.0;     // how far off the station is, alternately above and below
constexpr double kSettle = 0.9;  // seconds after a message's last character still counted

struct Trial {
    ChannelParams channel;
    ChannelSettings settings;
    double tuneAt = 0.0; // seconds: the decoder starts here (a running station)
    double grace = 0.0;  // characters starting within this after tuneAt are not counted
};

struct Score {
    std::size_t errors = 0, chars = 0;
    std::vector<std::size_t> lostAtStart; // per transmission: errors among its first characters
};

constexpr std::size_t kStartChars = 30; // "the start" of a message: call signs and a few words

struct Alignment {
    std::size_t errors = 0;
    std::size_t atStart = 0; // of them, at or before the kStartChars-th character of ref
};

// Edit distance with its alignment; with freePrefix, characters decoded before the
// reference starts cost nothing (a station tuned onto while it was sending).
Alignment align(const std::string &ref, const std::string &got, bool freePrefix) {
    const std::size_t n = ref.size(), m = got.size();
    std::vector<uint32_t> d((n + 1) * (m + 1));
    auto at = [&](std::size_t i, std::size_t j) -> uint32_t & { return d[i * (m + 1) + j]; };
    for (std::size_t j = 0; j <= m; ++j)
        at(0, j) = freePrefix ? 0 : static_cast<uint32_t>(j);
    for (std::size_t i = 1; i <= n; ++i) {
        at(i, 0) = static_cast<uint32_t>(i);
        for (std::size_t j = 1; j <= m; ++j)
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1,
                                 at(i - 1, j - 1) + (ref[i - 1] == got[j - 1] ? 0u : 1u)});
    }
    Alignment a;
    a.errors = at(n, m);
    // Walk the alignment back to the start, counting the edits among the first characters.
    std::size_t i = n, j = m;
    while (i > 0 || j > 0) {
        const uint32_t here = at(i, j);
        if (i > 0 && j > 0 && here == at(i - 1, j - 1) + (ref[i - 1] == got[j - 1] ? 0u : 1u)) {
            if (ref[i - 1] != got[j - 1] && i <= kStartChars)
                ++a.atStart;
            --i;
            --j;
        } else if (i > 0 && here == at(i - 1, j) + 1) {
            if (i <= kStartChars)
                ++a.atStart;
            --i;
        } else {
            if (i <= kStartChars && here > 0 && (i > 0 || !freePrefix))
                ++a.atStart;
            --j;
        }
    }
    return a;
}

Score run(const Trial &t) {
    const ChannelSignal sig = make_channel_signal(t.channel);
    const double rate = 8000.0 * (1.0 + t.channel.clockPpm * 1e-6);
    const auto k0 = std::min(static_cast<std::size_t>(std::lround(t.tuneAt * rate)), sig.samples.size());
    const Decoded d = decode(std::span<const float>(sig.samples).subspan(k0), t.settings, 256, false);
    Score s;
    for (std::size_t w = 0; w < sig.wanted.size(); ++w) {
        const auto &sent = sig.wanted[w];
        const std::string &text = t.channel.wanted[w].text;
        const auto from = static_cast<std::size_t>(std::lround((t.tuneAt + t.grace) * rate));
        std::size_t first = 0;
        while (first < text.size() && sent.charStarts[first] < from)
            ++first;
        if (first == text.size())
            continue;
        // What was decoded while the station was on the air, from the tuning on.
        const std::size_t lo = std::max(sent.start, k0);
        const std::size_t hi = sent.charEnds.back() + static_cast<std::size_t>(kSettle * rate);
        std::string got;
        for (std::size_t i = 0; i < d.text.size(); ++i) {
            const auto sample = static_cast<std::size_t>(d.at[i]) + k0;
            if (sample >= lo && sample < hi)
                got += d.text[i];
        }
        const std::string ref = text.substr(first);
        const Alignment a = align(ref, got, first > 0);
        if (std::getenv("BENCH_DUMP") && a.errors > 0) {
            std::string g;
            for (char ch : got)
                g += (static_cast<unsigned char>(ch) < 32 || static_cast<unsigned char>(ch) > 126) ? '~' : ch;
            std::fprintf(stderr, "--- %zu errors\nREF: %s\nGOT: %s\n", a.errors, ref.c_str(), g.c_str());
        }
        s.errors += a.errors;
        s.chars += ref.size();
        s.lostAtStart.push_back(a.atStart);
    }
    return s;
}

uint64_t row_seed(const std::string &row, int seed, double snr) {
    uint64_t h = 1469598103934665603ull;
    for (char c : row)
        h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    return h ^ (static_cast<uint64_t>(seed) * 7919u) ^
           (static_cast<uint64_t>(std::lround(snr * 10.0 + 1000.0)) << 20);
}

// One station, kOff above or below the channel, starting half a second in.
Trial single(const ChannelOptions &o, const std::string &row, int32_t mode, double snr, int seed,
             std::size_t chars) {
    Trial t;
    Transmission tx;
    tx.text = english_text(chars, 100 + static_cast<uint64_t>(seed));
    tx.mode = mode;
    tx.frequency = kTune + (seed % 2 == 0 ? kOff : -kOff);
    tx.start = 0.5;
    tx.phase = 0.3 + seed;
    t.channel.wanted = {tx};
    t.channel.snrDb = snr;
    t.channel.seed = row_seed(row, seed, snr);
    t.settings = channel(mode, static_cast<int32_t>(kTune), o.capture, o.afc);
    t.settings.squelchThreshold = o.squelch;
    t.settings.squelchSpeed = o.squelchSpeed;
    return t;
}

// A contact of seven overs between two stations kOff apart, the first kOff from the
// channel; each over starts with the call signs, 1.5 s after the previous one ends.
Trial qso(const ChannelOptions &o, const std::string &row, int32_t mode, double snr, int seed,
          std::size_t chars) {
    Trial t = single(o, row, mode, snr, seed, 1);
    const double side = seed % 2 == 0 ? 1.0 : -1.0;
    const std::string calls[2] = {seed % 2 == 0 ? "Q1ABC" : "Q5KLM", seed % 2 == 0 ? "Q2XYZ" : "Q7RT"};
    const double baud = mode >= 8 ? 62.5 : 31.25;
    t.channel.wanted.clear();
    double start = 0.5;
    for (int k = 0; k < 7; ++k) {
        Transmission tx;
        const std::string &me = calls[k % 2], &you = calls[(k + 1) % 2];
        tx.text = you + " de " + me + " " +
                  english_text(chars / 7, 300 + static_cast<uint64_t>(7 * seed + k)) + you + " de " + me +
                  " k ";
        tx.mode = mode;
        tx.frequency = kTune + side * kOff * (k % 2 == 0 ? 1.0 : 2.0);
        tx.start = start;
        tx.phase = 0.7 * k + seed;
        start += tx.preamble + tx.postamble + static_cast<double>(varicode_bits(tx.text).size()) / baud + 1.5;
        t.channel.wanted.push_back(tx);
    }
    return t;
}

struct Row {
    const char *name;
    const char *condition;
    const char *target;
    std::vector<double> snrs; // more than one: the 1 % point is found between them
    int seeds;
    std::size_t chars; // per seed
    std::function<Trial(const ChannelOptions &, const std::string &, double, int, std::size_t)> make;
    bool sweep = true; // several SNRs are points of one curve, not conditions of their own
};

std::vector<Row> rows() {
    using O = const ChannelOptions &;
    using S = const std::string &;
    auto triangle = [](double rate, int32_t mode = 0) {
        return [rate, mode](O o, S r, double snr, int seed, std::size_t c) {
            Trial t = single(o, r, mode, snr, seed, c);
            t.channel.drift = {Drift::Shape::Triangle, seed % 2 == 0 ? rate : -rate, 20.0};
            return t;
        };
    };
    auto neighbour = [](double away, double level, double ppm, int32_t mode = 0) {
        return [=](O o, S r, double snr, int seed, std::size_t c) {
            Trial t = single(o, r, mode, snr, seed, c);
            ExtraStation st;
            st.text = english_text(c + 200, 900 + static_cast<uint64_t>(seed));
            st.frequency = t.channel.wanted[0].frequency + (seed % 4 < 2 ? away : -away);
            st.levelDb = level;
            st.mode = mode;
            st.start = -3.0;
            t.channel.stations = {st};
            t.channel.clockPpm = seed % 2 == 0 ? ppm : -ppm;
            return t;
        };
    };
    auto carrier = [](double away, int32_t mode = 0) {
        return [=](O o, S r, double snr, int seed, std::size_t c) {
            Trial t = single(o, r, mode, snr, seed, c);
            t.channel.carriers = {{t.channel.wanted[0].frequency + (seed % 4 < 2 ? away : -away), 10.0}};
            return t;
        };
    };
    auto plain = [](int32_t mode) {
        return
            [=](O o, S r, double snr, int seed, std::size_t c) { return single(o, r, mode, snr, seed, c); };
    };
    auto fading = [](Watterson w, int32_t mode = 0) {
        return [w, mode](O o, S r, double snr, int seed, std::size_t c) {
            Trial t = single(o, r, mode, snr, seed, c);
            t.channel.fading = w;
            return t;
        };
    };
    auto qpskEarly = [](int32_t mode) {
        return [mode](O o, S r, double snr, int seed, std::size_t c) {
            Trial t = single(o, r, mode, snr, seed, c);
            t.channel.wanted[0].start = 1.0;
            return t;
        };
    };
    // A station clicked a little off, anywhere within the capture: off by less than the
    // capture moves for, it is left to the carrier loop, which must still take it out.
    auto qpskOffsets = [](int32_t mode) {
        return [mode](O o, S r, double snr, int seed, std::size_t c) {
            constexpr double offsets[] = {0.4, 0.8, 1.2, 1.6, 2.4, 4.5, 7.0};
            Trial t = single(o, r, mode, snr, seed, c);
            const double off = offsets[static_cast<std::size_t>(seed / 2) % std::size(offsets)];
            t.channel.wanted[0].frequency = kTune + (seed % 2 == 0 ? off : -off);
            t.channel.wanted[0].start = 1.5;
            // The customary 32 symbols of reversals: half a second at 62.5 baud.
            t.channel.wanted[0].preamble = 32.0 / (mode >= 8 ? 62.5 : 31.25);
            return t;
        };
    };
    auto qpskRunning = [](O o, S r, double snr, int seed, std::size_t c) {
        Trial t = single(o, r, 1, snr, seed, c + 60);
        t.tuneAt = 8.0 + 0.37 * seed;
        t.grace = 1.0;
        return t;
    };
    auto qpskNoCapture = [](double off) {
        return [off](O o, S r, double snr, int seed, std::size_t c) {
            Trial t = single(o, r, 1, snr, seed, c);
            t.channel.wanted[0].frequency = kTune + (seed % 2 == 0 ? off : -off);
            t.settings.captureRange = 0;
            t.settings.afcLimit = 0;
            return t;
        };
    };
    auto noCapture = [](double off) {
        return [off](O o, S r, double snr, int seed, std::size_t c) {
            Trial t = single(o, r, 0, snr, seed, c);
            t.channel.wanted[0].frequency = kTune + (seed % 2 == 0 ? off : -off);
            t.settings.captureRange = 0;
            t.settings.afcLimit = 0;
            return t;
        };
    };
    auto otherLanguages = [](O o, S r, double snr, int seed, std::size_t c) {
        Trial t = single(o, r, 0, snr, seed, c);
        t.channel.wanted[0].text = other_text(c, 100 + static_cast<uint64_t>(seed));
        return t;
    };
    auto contact = [](int32_t mode) {
        return
            [mode](O o, S r, double snr, int seed, std::size_t c) { return qso(o, r, mode, snr, seed, c); };
    };
    return {
        {"awgn",
         "BPSK31, white noise",
         "1 % at <= -12.0 dB",
         {-9, -10, -11, -11.5, -12, -12.5, -13, -13.5, -14},
         4,
         300,
         plain(0)},
        {"awgn-other",
         "BPSK31, white noise, text in other languages",
         "(reference)",
         {-11, -12, -12.5, -13},
         4,
         300,
         otherLanguages},
        {"drift01", "BPSK31, drift: triangle +-20 Hz at 0.1 Hz/s", "<= 2 %", {-11.5}, 2, 800, triangle(0.1)},
        {"drift1", "BPSK31, drift: triangle +-20 Hz at 1 Hz/s", "<= 3 %", {-11.5}, 4, 300, triangle(1.0)},
        {"nb60",
         "BPSK31, BPSK31 neighbour +20 dB 60 Hz away",
         "<= awgn + 0.5 %",
         {-11.5},
         4,
         300,
         neighbour(60, 20, 0)},
        {"car40", "BPSK31, carrier +10 dB 40 Hz away", "<= awgn + 0.5 %", {-11.5}, 4, 300, carrier(40)},
        // The same for QPSK31, and for the 62.5-baud modes at twice the spacing.
        {"qpsk-plain", "QPSK31, white noise", "(reference)", {-11.5}, 4, 300, plain(1)},
        {"qpsk-nb60",
         "QPSK31, QPSK31 neighbour +20 dB 60 Hz away",
         "<= qpsk-plain + 0.5 %",
         {-11.5},
         4,
         300,
         neighbour(60, 20, 0, 1)},
        {"qpsk-car40",
         "QPSK31, carrier +10 dB 40 Hz away",
         "<= qpsk-plain + 0.5 %",
         {-11.5},
         4,
         300,
         carrier(40, 1)},
        {"bpsk63", "BPSK63, white noise", "(reference)", {-8.5}, 4, 300, plain(8)},
        {"nb120-63",
         "BPSK63, BPSK63 neighbour +20 dB 120 Hz away",
         "<= bpsk63 + 0.5 %",
         {-8.5},
         4,
         300,
         neighbour(120, 20, 0, 8)},
        {"car80-63",
         "BPSK63, carrier +10 dB 80 Hz away",
         "<= bpsk63 + 0.5 %",
         {-8.5},
         4,
         300,
         carrier(80, 8)},
        {"nb100clk",
         "BPSK31, neighbour +20 dB at 100 Hz, clock +-200 ppm",
         "keep (0.6-1.3 %)",
         {-11.5},
         4,
         300,
         neighbour(100, 20, 200)},
        {"wmod",
         "BPSK31, Watterson moderate (1 ms, 0.5 Hz)",
         "<= 1 %",
         {10},
         4,
         300,
         fading(kWattersonModerate)},
        {"wgood", "BPSK31, Watterson good (0.5 ms, 0.1 Hz)", "<= 1.5 %", {0}, 4, 300, fading(kWattersonGood)},
        {"qpsk-wmod",
         "QPSK31, Watterson moderate (1 ms, 0.5 Hz)",
         "(reference: wmod)",
         {10},
         4,
         300,
         fading(kWattersonModerate, 1)},
        {"qpsk-early",
         "QPSK31, channel tuned 1 s before the station",
         "1 % at <= -12.5 dB",
         {-8, -10, -12, -12.5, -13},
         8,
         150,
         qpskEarly(1)},
        {"qpsk63-early",
         "QPSK63, channel tuned 1 s before the station",
         "(reference)",
         {-6, -8, -9, -10},
         8,
         150,
         qpskEarly(9)},
        {"qpsk-running",
         "QPSK31, tuned onto a running station (1 s grace)",
         "1 % at <= -12.5 dB",
         {-11.5, -12, -12.5, -13},
         4,
         300,
         qpskRunning},
        {"qpsk-offsets",
         "QPSK31 0.4-7 Hz off, tuned 1.5 s before the station",
         "as qpsk-early at -10 dB",
         {-10},
         14,
         150,
         qpskOffsets(1)},
        {"qpsk63-offsets",
         "QPSK63 0.4-7 Hz off, tuned 1.5 s before the station",
         "as qpsk63-early",
         {-7, -9},
         14,
         150,
         qpskOffsets(9)},
        {"qpsk-drift01",
         "QPSK31, drift: triangle +-20 Hz at 0.1 Hz/s",
         "<= 2 %",
         {-10},
         2,
         800,
         triangle(0.1, 1)},
        {"qpsk-drift1",
         "QPSK31, drift: triangle +-20 Hz at 1 Hz/s",
         "<= 3 %",
         {-10},
         4,
         300,
         triangle(1.0, 1)},
        {"qpsk63-drift01",
         "QPSK63, drift: triangle +-20 Hz at 0.1 Hz/s",
         "(reference)",
         {-7},
         2,
         800,
         triangle(0.1, 9)},
        {"qpsk63-drift1",
         "QPSK63, drift: triangle +-20 Hz at 1 Hz/s",
         "(reference)",
         {-7},
         4,
         300,
         triangle(1.0, 9)},
        {"qpsk-onfreq",
         "QPSK31 on frequency, capture and AFC off",
         "keep (1 % at -13.1 dB)",
         {-12.5, -13, -13.5, -14},
         4,
         300,
         qpskNoCapture(0.0)},
        {"qpsk-static3",
         "QPSK31 3 Hz off, capture and AFC off",
         "as qpsk-onfreq",
         {-12.5, -13, -13.5},
         4,
         300,
         qpskNoCapture(kOff)},
        {"qso",
         "BPSK31 contact, 7 overs, stations 3 Hz apart",
         "+10: 0 lost; -10: <= 1 an over",
         {10, -10},
         2,
         1050,
         contact(0),
         false},
        {"qso-qpsk", "QPSK31 contact, 7 overs, stations 3 Hz apart", "<= 0.3 %", {10}, 2, 1050, contact(1)},
        {"qso-qpsk63", "QPSK63 contact, 7 overs, stations 3 Hz apart", "<= 0.3 %", {10}, 2, 1050, contact(9)},
        {"static3",
         "BPSK31 3 Hz off, capture and AFC off",
         "within 0.2 dB of static0",
         {-12},
         4,
         300,
         noCapture(kOff)},
        {"static0", "BPSK31 on frequency, capture and AFC off", "(reference)", {-12}, 4, 300, noCapture(0.0)},
    };
}

// Runs the trials on `jobs` threads; the results do not depend on how many.
std::vector<Score> run_all(const std::vector<Trial> &trials, int jobs) {
    std::vector<Score> scores(trials.size());
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i; (i = next++) < trials.size();)
            scores[i] = run(trials[i]);
    };
    std::vector<std::thread> pool;
    for (int j = 1; j < jobs; ++j)
        pool.emplace_back(worker);
    worker();
    for (auto &th : pool)
        th.join();
    return scores;
}

} // namespace

bool channel_table(const ChannelOptions &o) {
    const std::vector<Row> all = rows();
    for (const std::string &want : o.rows) {
        if (std::none_of(all.begin(), all.end(), [&](const Row &r) { return want == r.name; })) {
            std::fprintf(stderr, "unknown row '%s'; rows:", want.c_str());
            for (const Row &r : all)
                std::fprintf(stderr, " %s", r.name);
            std::fprintf(stderr, "\n");
            return false;
        }
    }
    std::printf("Channel table: tuned %.0f Hz, stations %.0f Hz off, capture %d Hz, AFC %d Hz, squelch %d; "
                "message starts counted\n",
                kTune, kOff, o.capture, o.afc, o.squelch);
    std::printf("%-14s %-52s %8s %8s %12s  %-8s %-28s %6s\n", "row", "condition", "SNR", "CER",
                "errors/chars", "start", "target", "time");
    const auto t0 = std::chrono::steady_clock::now();
    for (const Row &row : all) {
        if (!o.rows.empty() && std::find(o.rows.begin(), o.rows.end(), row.name) == o.rows.end())
            continue;
        const int seeds = o.seeds > 0 ? o.seeds : o.quick ? std::min(row.seeds, 2) : row.seeds;
        const std::size_t chars = o.quick ? row.chars / 2 : row.chars;
        std::vector<std::pair<double, double>> curve; // SNR, CER
        for (double snr : row.snrs) {
            const auto r0 = std::chrono::steady_clock::now();
            std::vector<Trial> trials;
            for (int s = 0; s < seeds; ++s)
                trials.push_back(row.make(o, row.name, snr, s, chars));
            const std::vector<Score> scores = run_all(trials, o.jobs);
            std::size_t errors = 0, total = 0, worst = 0;
            for (const Score &sc : scores) {
                errors += sc.errors;
                total += sc.chars;
                for (std::size_t l : sc.lostAtStart)
                    worst = std::max(worst, l);
            }
            const double cer = total ? 100.0 * static_cast<double>(errors) / static_cast<double>(total) : 0.0;
            curve.emplace_back(snr, cer);
            std::string lost, perSeed;
            for (const Score &sc : scores) {
                for (std::size_t l : sc.lostAtStart)
                    lost += std::to_string(l) + " ";
                perSeed += std::to_string(sc.errors) + " ";
            }
            const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - r0).count();
            char counts[32];
            std::snprintf(counts, sizeof counts, "%zu/%zu", errors, total);
            char worstText[16];
            std::snprintf(worstText, sizeof worstText, "%zu", worst);
            std::printf("%-14s %-52s %5.1f dB %6.2f %% %12s  %-8s %-28s %5.1fs\n", row.name, row.condition,
                        snr, cer, counts, worstText, row.target, took);
            if (o.verbose) {
                std::printf("%-14s   errors in the first %zu characters of each message: %s\n", "",
                            kStartChars, lost.c_str());
                std::printf("%-14s   errors per seed: %s\n", "", perSeed.c_str());
            }
            std::fflush(stdout);
        }
        if (curve.size() > 1 && row.sweep) {
            // Where the CER first rises above 1 % (log CER linear in SNR between the
            // points around it).
            char below[48];
            std::snprintf(below, sizeof below, "below %.1f dB", curve.back().first);
            std::string where = below;
            for (std::size_t i = 0; i < curve.size(); ++i) {
                if (curve[i].second <= 1.0)
                    continue;
                char b[48];
                if (i == 0) {
                    std::snprintf(b, sizeof b, "above %.1f dB", curve[0].first);
                } else {
                    const auto [s1, c1] = curve[i - 1];
                    const auto [s2, c2] = curve[i];
                    const double l1 = std::log10(std::max(c1, 0.01)), l2 = std::log10(c2);
                    std::snprintf(b, sizeof b, "%.1f dB", s1 + (s2 - s1) * (0.0 - l1) / (l2 - l1));
                }
                where = b;
                break;
            }
            std::printf("%-14s %-52s 1 %% CER at %s\n", row.name, row.condition, where.c_str());
        }
    }
    std::printf("Channel table took %.1f s\n",
                std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    return true;
}

} // namespace pskmodem::bench
