#include "wav_source.h"

#include "pskmodem.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sndfile.h>

namespace pskmodem {

namespace {

constexpr sf_count_t kReadFrames = 1024;
// libsamplerate converts ratios up to 256, so 32 Hz .. 2.048 MHz reach 8000 Hz.
constexpr int kMinRate = 32;
constexpr int kMaxRate = 2048000;
// More channels than any real recording has; the frame buffer stays bounded.
constexpr int kMaxChannels = 64;

uint32_t get_u32(const unsigned char *p, bool bigEndian) {
    return bigEndian ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                     : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
}

uint16_t get_u16(const unsigned char *p, bool bigEndian) {
    return static_cast<uint16_t>(bigEndian ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]));
}

// Whether libsndfile decodes this WAVE format tag (and sample size).
bool decodable(uint16_t tag, uint16_t bits) {
    switch (tag) {
    case 0x0001: // PCM
    case 0x0002: // MS ADPCM
    case 0x0006: // A-law
    case 0x0007: // mu-law
    case 0x0011: // IMA ADPCM
    case 0x0031: // GSM 6.10
        return true;
    case 0x0003: // IEEE float
        return bits == 32 || bits == 64;
    default:
        return false;
    }
}

// libsndfile reads many formats and calls every WAVE it cannot decode "malformed".
// This input takes RIFF WAVE files (and their RIFX and RF64 variants) only, so it
// looks at the header itself to tell a foreign file, a broken WAVE and a WAVE of an
// unsupported sample type apart.
int check_header(const std::string &path) {
    // Only regular files: opening a FIFO would wait for a writer, a directory has no data.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return PSK_ERR_WAV_OPEN;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return PSK_ERR_WAV_OPEN;
    unsigned char head[12] = {};
    in.read(reinterpret_cast<char *>(head), sizeof head);
    if (in.gcount() != static_cast<std::streamsize>(sizeof head))
        return PSK_ERR_WAV_NOT_RIFF;
    const bool riff = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RIFX", 4) == 0 ||
                      std::memcmp(head, "RF64", 4) == 0;
    if (!riff || std::memcmp(head + 8, "WAVE", 4) != 0)
        return PSK_ERR_WAV_NOT_RIFF;
    const bool bigEndian = head[3] == 'X';

    // Walk the chunks to the format chunk; a missing one is left to libsndfile.
    std::streamoff pos = 12;
    for (int i = 0; i < 1000; ++i) {
        unsigned char chunk[8];
        in.seekg(pos);
        if (!in.read(reinterpret_cast<char *>(chunk), sizeof chunk))
            return PSK_OK;
        const uint32_t size = get_u32(chunk + 4, bigEndian);
        if (std::memcmp(chunk, "fmt ", 4) == 0) {
            unsigned char fmt[26] = {};
            in.read(reinterpret_cast<char *>(fmt), std::min<std::streamsize>(size, sizeof fmt));
            if (size < 16 || in.gcount() < 16)
                return PSK_ERR_WAV_INVALID;
            uint16_t tag = get_u16(fmt, bigEndian);
            const uint16_t bits = get_u16(fmt + 14, bigEndian);
            // WAVE_FORMAT_EXTENSIBLE: the real tag leads the sub-format GUID.
            if (tag == 0xFFFE) {
                if (in.gcount() < 26)
                    return PSK_ERR_WAV_INVALID;
                tag = get_u16(fmt + 24, bigEndian);
            }
            return decodable(tag, bits) ? PSK_OK : PSK_ERR_WAV_DATA_TYPE;
        }
        pos += 8 + static_cast<std::streamoff>(size) + (size & 1);
    }
    return PSK_OK;
}

} // namespace

WavSource::WavSource(std::string path, bool loop) : path_(std::move(path)), loop_(loop) {}

WavSource::~WavSource() {
    close();
}

int WavSource::open() {
    close();
    if (path_.empty())
        return PSK_ERR_WAV_OPEN;
    if (const int rc = check_header(path_); rc != PSK_OK)
        return rc;

    SF_INFO info{};
    SNDFILE *file = sf_open(path_.c_str(), SFM_READ, &info);
    if (!file) {
        switch (sf_error(nullptr)) {
        case SF_ERR_SYSTEM:
            return PSK_ERR_WAV_OPEN;
        case SF_ERR_UNSUPPORTED_ENCODING:
            return PSK_ERR_WAV_DATA_TYPE;
        default:
            return PSK_ERR_WAV_INVALID;
        }
    }
    file_ = file;

    int rc = PSK_OK;
    const int major = info.format & SF_FORMAT_TYPEMASK;
    if (major != SF_FORMAT_WAV && major != SF_FORMAT_WAVEX && major != SF_FORMAT_RF64)
        rc = PSK_ERR_WAV_NOT_RIFF;
    else if (info.channels < 1 || info.samplerate <= 0)
        rc = PSK_ERR_WAV_INVALID;
    else if (info.channels > kMaxChannels)
        rc = PSK_ERR_WAV_DATA_TYPE;
    else if (info.frames <= 0)
        rc = PSK_ERR_WAV_NO_DATA;
    else if (info.samplerate < kMinRate || info.samplerate > kMaxRate)
        rc = PSK_ERR_WAV_DATA_TYPE;
    if (rc != PSK_OK) {
        close();
        return rc;
    }

    rate_ = info.samplerate;
    channels_ = info.channels;
    converter_ = std::make_unique<FrameConverter>(channels_, static_cast<double>(rate_));
    if (!converter_->ok()) {
        close();
        return PSK_ERR_MEMORY;
    }
    frames_.assign(static_cast<std::size_t>(kReadFrames) * static_cast<std::size_t>(channels_), 0.0f);
    draining_ = finished_ = readSinceRewind_ = false;
    // Read the first frames now, so that a file whose data cannot be read fails the
    // start instead of failing later.
    int status = PSK_OK;
    refill(status);
    if (status != PSK_OK) {
        close();
        return status;
    }
    return PSK_OK;
}

// Reads the next frames into the converter. False when nothing more will come.
bool WavSource::refill(int &status) {
    const sf_count_t got = sf_readf_float(file_, frames_.data(), kReadFrames);
    if (got < 0 || sf_error(file_) != SF_ERR_NO_ERROR) {
        status = PSK_ERR_WAV_READ;
        finished_ = true;
        return false;
    }
    if (got > 0) {
        readSinceRewind_ = true;
        converter_->push(std::span<const float>(frames_.data(), static_cast<std::size_t>(got * channels_)));
        return true;
    }
    // End of file. Loop back unless the file turned out empty (it may have been
    // truncated while we were reading it), which would spin here forever.
    if (loop_ && readSinceRewind_) {
        readSinceRewind_ = false;
        if (sf_seek(file_, 0, SEEK_SET) < 0) {
            status = PSK_ERR_WAV_READ;
            finished_ = true;
            return false;
        }
        return true;
    }
    draining_ = true;
    return true;
}

SourceRead WavSource::read(std::span<float> out) {
    SourceRead r;
    std::size_t done = 0;
    while (done < out.size() && file_ && !finished_) {
        const std::size_t got = converter_->pull(out.subspan(done), draining_);
        done += got;
        if (done == out.size())
            break;
        if (draining_) {
            if (got == 0) {
                finished_ = true;
                r.status = PSK_STATUS_INPUT_FILE_END;
            }
            continue;
        }
        if (!refill(r.status))
            break;
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(done), out.end(), 0.0f);
    r.count = out.size();
    return r;
}

void WavSource::close() {
    if (file_) {
        sf_close(file_);
        file_ = nullptr;
    }
}

} // namespace pskmodem
