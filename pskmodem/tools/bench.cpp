// pskmodem-bench: how well and how fast the receivers copy.
//
//   pskmodem-bench [cer|cost|latency|all] [--quick]
//
// cer:     character error rate against SNR (mean keyed power over noise in 2500 Hz) for
//          BPSK31, QPSK31 and BPSK63, each point over at least 2,000 characters of English
//          text in several seeds, tuned 5 Hz off (alternately above and below) with
//          capture and AFC on.
// cost:    25 channels and the spectrum FFT on one core, as times real time.
// latency: from the end of a character's last symbol to its report, in symbol times.
#include "dsp/spectrum.h"
#include "dsp/spectrum_averager.h"
#include "rx/receiver.h"
#include "rx/test_signal.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace pskmodem;

namespace {

const char *const kSentences[] = {
    "The band was quiet this morning, so I called CQ a few times before anyone answered.",
    "My antenna is a simple dipole strung between two trees about ten metres above the garden.",
    "Thanks for the report; your signal is clean and easy to copy here with no drift at all.",
    "The weather has been cold and wet for a week, but the radio keeps me busy indoors.",
    "I am running about twenty watts into the old transceiver that my father bought in 1985.",
    "Name here is Anna and the location is a small town near the coast, about forty kilometres north of the city.",
    "We lost the signal for a minute when the fading came through, then it returned strongly.",
    "Please send your QSL card by mail if you can; I still collect the paper ones from every country.",
    "The computer decodes several stations at once, and I watch the waterfall for new traces.",
    "Conditions should improve this evening when the higher bands open towards the west.",
    "I will be away next weekend, but you may find me on the same frequency on Tuesday night.",
    "Good luck with the new amplifier, and remember to keep the audio level low to avoid splatter.",
    "It is 14:32 UTC now, the temperature is 7 degrees, and the sky is grey with light rain.",
    "Best regards to you and your family; I hope to meet you again on the air soon. 73!",
};

std::string english_text(std::size_t minChars, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kSentences) - 1);
    std::string t;
    while (t.size() < minChars) {
        t += kSentences[pick(rng)];
        t += ' ';
    }
    return t;
}

std::size_t edit_distance(const std::string &a, const std::string &b) {
    std::vector<std::size_t> prev(b.size() + 1), cur(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        prev[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        cur[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j)
            cur[j] = std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        std::swap(prev, cur);
    }
    return prev[b.size()];
}

ChannelSettings channel(int32_t mode, int32_t hz, int32_t capture, int32_t afc) {
    ChannelSettings s;
    s.enabled = true;
    s.mode = mode;
    s.frequency = hz;
    s.captureRange = capture;
    s.afcLimit = afc;
    s.tuneSerial = 1;
    return s;
}

struct Decoded {
    std::string text;
    std::vector<long> at; // input sample of each character's report
};

Decoded decode(const std::vector<float> &x, const ChannelSettings &s, std::size_t piece = 256) {
    Receiver rx;
    rx.configure(s);
    Decoded d;
    std::vector<RxEvent> ev(Receiver::kMaxEvents * ((piece + 255) / 256));
    auto feed = [&](std::span<const float> in, long base) {
        for (std::size_t at = 0; at < in.size(); at += piece) {
            const auto part = in.subspan(at, std::min(piece, in.size() - at));
            const std::size_t n = rx.process(part, ev);
            for (std::size_t i = 0; i < n; ++i)
                if (ev[i].kind == RxEvent::Kind::Character) {
                    d.text += static_cast<char>(ev[i].value);
                    d.at.push_back(base + static_cast<long>(at) + ev[i].inputIndex);
                }
        }
    };
    feed(x, 0);
    const std::vector<float> tail(8000, 0.0f);
    feed(tail, static_cast<long>(x.size()));
    return d;
}

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
            std::printf("  %6.1f dB: %5.2f%%", snr, 100.0 * static_cast<double>(errors) / static_cast<double>(total));
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
        const TestSignal s = make_test_signal(english_text(static_cast<std::size_t>(seconds * 3.5), 40 + static_cast<uint64_t>(k)), p);
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
    std::printf("Cost: 25 channels + spectrum over %.0f s of audio in %.3f s on one core: %.0fx real time "
                "(%zu events)\n",
                seconds, took, seconds / took, chars);
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

} // namespace

int main(int argc, char **argv) {
    std::string what = "all";
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else
            what = argv[i];
    }
    if (what != "all" && what != "cer" && what != "cost" && what != "latency") {
        std::fprintf(stderr, "usage: pskmodem-bench [cer|cost|latency|all] [--quick]\n");
        return 2;
    }
    if (what == "all" || what == "cer")
        cer_table(quick);
    if (what == "all" || what == "cost")
        cost();
    if (what == "all" || what == "latency")
        latency();
    return 0;
}
