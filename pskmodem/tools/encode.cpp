// pskmodem-encode: text to a PSK31 WAV file (8000 Hz mono), through the library's own
// transmitter: preamble, the text in Varicode, postamble.
//
//   pskmodem-encode OUT.wav [--text TEXT | --file PATH] [options]     (else stdin)
//     --mode M      0 BPSK31 (default), 1 QPSK31 USB, 2 QPSK31 LSB, 8, 9, 10 the same at
//                   62.5 baud; or bpsk31, qpsk31, qpsk31l, bpsk63, qpsk63, qpsk63l
//     --freq HZ     carrier frequency, 1..3999 (default 1000)
//     --offset HZ   added to the carrier frequency, may be fractional (default 0)
//     --level DB    peak level relative to full scale (default -6)
//     --snr DB      add white Gaussian noise: mean power of the keyed signal over the
//                   noise power in 2500 Hz (the noise is white across 0..4000 Hz)
//     --seed N      noise seed (default 1)
//     --pad S       seconds of silence (or noise) before and after (default 0.5)
//     --crlf        send each line feed as carriage return + line feed
//     --float       write 32-bit float samples instead of 16-bit PCM
// Every byte of the text is sent as its Varicode character (0..255).
#include "tx/render.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <sndfile.h>
#include <string>
#include <vector>

namespace {

int usage(const char *argv0) {
    std::fprintf(stderr,
                 "usage: %s OUT.wav [--text TEXT | --file PATH] [--mode M] [--freq HZ] [--offset HZ]\n"
                 "       [--level DB] [--snr DB] [--seed N] [--pad SECONDS] [--crlf] [--float]\n"
                 "Reads the text from standard input without --text or --file.\n",
                 argv0);
    return 2;
}

std::optional<double> number(const char *s) {
    char *end = nullptr;
    const double v = std::strtod(s, &end);
    if (end == s || *end != '\0' || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> mode_of(const std::string &s) {
    static const std::map<std::string, int> names = {{"bpsk31", 0},  {"qpsk31", 1},  {"qpsk31u", 1},
                                                     {"qpsk31l", 2}, {"bpsk63", 8},  {"qpsk63", 9},
                                                     {"qpsk63u", 9}, {"qpsk63l", 10}};
    if (const auto it = names.find(s); it != names.end())
        return it->second;
    const auto v = number(s.c_str());
    if (!v)
        return std::nullopt;
    const int m = static_cast<int>(*v);
    if (m != *v || !((m >= 0 && m <= 2) || (m >= 8 && m <= 10)))
        return std::nullopt;
    return m;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 2 || argv[1][0] == '-')
        return usage(argv[0]);
    const std::string outPath = argv[1];
    pskmodem::RenderOptions opt;
    opt.level = static_cast<float>(std::pow(10.0, -6.0 / 20.0));
    std::optional<std::string> text;
    std::optional<std::string> file;
    std::optional<double> snr;
    double pad = 0.5;
    uint32_t seed = 1;
    bool crlf = false;
    bool asFloat = false;

    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        const auto value = [&]() -> std::optional<double> {
            return hasValue ? number(argv[++i]) : std::nullopt;
        };
        if (a == "--text" && hasValue) {
            text = argv[++i];
        } else if (a == "--file" && hasValue) {
            file = argv[++i];
        } else if (a == "--mode" && hasValue) {
            const auto m = mode_of(argv[++i]);
            if (!m)
                return usage(argv[0]);
            opt.mode = *m;
        } else if (a == "--freq") {
            const auto v = value();
            if (!v || *v < 1.0 || *v > 3999.0)
                return usage(argv[0]);
            opt.frequency = static_cast<int32_t>(std::lround(*v));
            opt.offset += *v - static_cast<double>(opt.frequency);
        } else if (a == "--offset") {
            const auto v = value();
            if (!v || std::fabs(*v) > 500.0)
                return usage(argv[0]);
            opt.offset += *v;
        } else if (a == "--level") {
            const auto v = value();
            if (!v || *v > 0.0 || *v < -100.0)
                return usage(argv[0]);
            opt.level = static_cast<float>(std::pow(10.0, *v / 20.0));
        } else if (a == "--snr") {
            snr = value();
            if (!snr)
                return usage(argv[0]);
        } else if (a == "--seed") {
            const auto v = value();
            if (!v || *v < 0.0 || *v > 4294967295.0)
                return usage(argv[0]);
            seed = static_cast<uint32_t>(*v);
        } else if (a == "--pad") {
            const auto v = value();
            if (!v || *v < 0.0 || *v > 60.0)
                return usage(argv[0]);
            pad = *v;
        } else if (a == "--crlf") {
            crlf = true;
        } else if (a == "--float") {
            asFloat = true;
        } else {
            return usage(argv[0]);
        }
    }

    std::string message;
    if (text) {
        message = *text;
    } else if (file) {
        std::ifstream in(*file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "cannot read %s\n", file->c_str());
            return 1;
        }
        message.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } else {
        message.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    }
    if (crlf) {
        std::string converted;
        for (const char c : message) {
            if (c == '\n' && (converted.empty() || converted.back() != '\r'))
                converted += '\r';
            converted += c;
        }
        message = std::move(converted);
    }

    const std::vector<float> signal = pskmodem::render_transmission(message, opt);
    const auto padSamples = static_cast<std::size_t>(pad * 8000.0);
    std::vector<float> samples(padSamples, 0.0f);
    samples.insert(samples.end(), signal.begin(), signal.end());
    samples.resize(samples.size() + padSamples, 0.0f);
    if (snr)
        pskmodem::add_noise(samples, pskmodem::mean_power(signal), *snr, seed);

    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | (asFloat ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_16);
    SNDFILE *out = sf_open(outPath.c_str(), SFM_WRITE, &info);
    if (!out) {
        std::fprintf(stderr, "cannot write %s: %s\n", outPath.c_str(), sf_strerror(nullptr));
        return 1;
    }
    sf_command(out, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    const auto n = static_cast<sf_count_t>(samples.size());
    const bool ok = sf_write_float(out, samples.data(), n) == n;
    sf_close(out);
    if (!ok) {
        std::fprintf(stderr, "error writing %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}
