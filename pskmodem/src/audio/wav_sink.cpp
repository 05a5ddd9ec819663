#include "wav_sink.h"

#include "audio_source.h"
#include "pskmodem.h"

#include <sndfile.h>

namespace pskmodem {

namespace {
constexpr int kWavNotOpen = 43;    // "Tried to write and file is not open"
constexpr int kWavWriteError = 42; // "Error writing to wave file"
} // namespace

WavSink::WavSink(std::string path) : path_(std::move(path)) {}

WavSink::~WavSink() {
    close();
}

void WavSink::open() {
    close();
    failed_ = reported_ = false;
    if (path_.empty())
        return;
    SF_INFO info{};
    info.samplerate = static_cast<int>(kModemRate);
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(path_.c_str(), SFM_WRITE, &info);
    if (file_) {
        sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_TRUE);
        // The header's lengths follow every write, so a recording cut short by a crash or a
        // power cut still opens with everything written before it.
        sf_command(file_, SFC_SET_UPDATE_HEADER_AUTO, nullptr, SF_TRUE);
    }
}

int WavSink::write(std::span<const float> samples) {
    if (samples.empty())
        return PSK_OK;
    if (!file_) {
        if (reported_)
            return PSK_OK;
        reported_ = true;
        return kWavNotOpen;
    }
    if (failed_)
        return PSK_OK;
    const auto n = static_cast<sf_count_t>(samples.size());
    if (sf_write_float(file_, samples.data(), n) != n) {
        failed_ = true;
        return kWavWriteError;
    }
    return PSK_OK;
}

void WavSink::close() {
    if (file_) {
        sf_close(file_);
        file_ = nullptr;
    }
}

} // namespace pskmodem
