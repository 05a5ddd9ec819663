// pskmodem-decode: decodes a WAV file on one or more frequencies.
//
//   pskmodem-decode [--mode M] [--afc HZ] [--capture HZ] [--squelch T[,S]] [--text]
//                   FILE.wav FREQ [FREQ ...]
//
// Prints one JSON object a line per frequency: {"freq": F, "text": "..."}; with --text,
// only the raw text decoded on the first frequency. The file may have any rate and
// channel count. Exit status: 0, 2 for bad arguments, or the library's WAV status code
// (34..39) when the file cannot be used.
#include "audio/wav_source.h"
#include "dsp/sample_guard.h"
#include "pskmodem.h"
#include "rx/receiver.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace pskmodem;

namespace {

void usage() {
    std::fprintf(stderr, "usage: pskmodem-decode [--mode 0|1|2|8|9|10] [--afc HZ] [--capture HZ] "
                         "[--squelch THRESHOLD[,SPEED]] [--text] FILE.wav FREQ [FREQ ...]\n");
}

bool parse_int(const char *s, long lo, long hi, int32_t &out) {
    char *end = nullptr;
    const long v = std::strtol(s, &end, 10);
    if (!s[0] || *end || v < lo || v > hi)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

std::string json_escape(const std::string &s) {
    std::string o;
    for (unsigned char c : s) {
        switch (c) {
        case '"': o += "\\\""; break;
        case '\\': o += "\\\\"; break;
        case '\n': o += "\\n"; break;
        case '\r': o += "\\r"; break;
        case '\t': o += "\\t"; break;
        case '\b': o += "\\b"; break;
        case '\f': o += "\\f"; break;
        default:
            if (c < 0x20 || c >= 0x7f) {
                // Codes 128..255 are characters of the code page, written as the code
                // points of the same number so the output stays valid UTF-8.
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                o += buf;
            } else {
                o += static_cast<char>(c);
            }
        }
    }
    return o;
}

constexpr int32_t kDefaultSquelch = 10;
constexpr int32_t kDefaultSquelchSpeed = 1;

} // namespace

int main(int argc, char **argv) {
    ChannelSettings base;
    base.enabled = true;
    base.captureRange = 10;
    base.afcLimit = 0;
    base.tuneSerial = 1;
    // VARNEK's own squelch settings, so the tool prints what the program would.
    base.squelchThreshold = kDefaultSquelch;
    base.squelchSpeed = kDefaultSquelchSpeed;
    bool rawText = false;
    std::string path;
    std::vector<int32_t> freqs;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--mode" && hasValue) {
            if (!parse_int(argv[++i], 0, 10, base.mode) || !ModemState::valid_mode(base.mode))
                return usage(), 2;
        } else if (a == "--afc" && hasValue) {
            if (!parse_int(argv[++i], 0, 4000, base.afcLimit))
                return usage(), 2;
        } else if (a == "--capture" && hasValue) {
            if (!parse_int(argv[++i], 0, 4000, base.captureRange))
                return usage(), 2;
        } else if (a == "--squelch" && hasValue) {
            std::string v = argv[++i];
            const auto comma = v.find(',');
            base.squelchSpeed = kDefaultSquelchSpeed;
            if (comma != std::string::npos) {
                if (!parse_int(v.substr(comma + 1).c_str(), 0, 200, base.squelchSpeed))
                    return usage(), 2;
                v.resize(comma);
            }
            if (!parse_int(v.c_str(), 0, 100, base.squelchThreshold))
                return usage(), 2;
        } else if (a == "--text") {
            rawText = true;
        } else if (a == "-h" || a == "--help") {
            usage();
            return 0;
        } else if (path.empty()) {
            path = a;
        } else {
            int32_t f = 0;
            if (!parse_int(a.c_str(), 1, 3999, f))
                return usage(), 2;
            freqs.push_back(f);
        }
    }
    if (path.empty() || freqs.empty())
        return usage(), 2;

    WavSource wav(path, false);
    if (const int rc = wav.open(); rc != PSK_OK) {
        std::fprintf(stderr, "pskmodem-decode: cannot use %s (status %d)\n", path.c_str(), rc);
        return rc;
    }
    std::vector<std::unique_ptr<Receiver>> rx;
    std::vector<std::string> text(freqs.size());
    for (int32_t f : freqs) {
        ChannelSettings s = base;
        s.frequency = f;
        rx.push_back(std::make_unique<Receiver>());
        rx.back()->configure(s);
    }
    std::vector<float> chunk(Receiver::kPiece);
    std::vector<RxEvent> events(Receiver::kMaxEvents);
    auto run = [&](std::span<const float> in) {
        for (std::size_t c = 0; c < rx.size(); ++c) {
            const std::size_t n = rx[c]->process(in, events);
            for (std::size_t i = 0; i < n; ++i)
                if (events[i].kind == RxEvent::Kind::Character)
                    text[c] += static_cast<char>(events[i].value);
        }
    };
    int status = PSK_OK;
    for (;;) {
        const SourceRead r = wav.read(chunk);
        if (r.status != PSK_OK && r.status != PSK_STATUS_INPUT_FILE_END)
            status = r.status;
        clean_samples(std::span<float>(chunk.data(), r.count));
        run(std::span<const float>(chunk.data(), r.count));
        if (r.status != PSK_OK || r.ended)
            break;
    }
    wav.close();
    // A second of silence lets the last characters out of the decoders.
    std::fill(chunk.begin(), chunk.end(), 0.0f);
    for (int i = 0; i < 32; ++i)
        run(chunk);

    if (rawText) {
        std::fwrite(text[0].data(), 1, text[0].size(), stdout);
    } else {
        for (std::size_t c = 0; c < rx.size(); ++c)
            std::printf("{\"freq\": %d, \"text\": \"%s\"}\n", freqs[c], json_escape(text[c]).c_str());
    }
    if (status != PSK_OK) {
        std::fprintf(stderr, "pskmodem-decode: read error in %s (status %d)\n", path.c_str(), status);
        return status;
    }
    return 0;
}
