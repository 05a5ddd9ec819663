#include "portaudio_source.h"

#include "pskmodem.h"

#include <algorithm>
#include <portaudio.h>

#include "portaudio_devices.h"
#include "portaudio_init.h"

namespace pskmodem {

namespace {

// Two seconds of the device's audio: the engine's thread can be held up by a slow
// notify callback without losing input.
constexpr double kRingSeconds = 2.0;

int map_open_error(PaError e, int fallback) {
    switch (e) {
    case paDeviceUnavailable:
        return PSK_ERR_ALLOCATED;
    case paInvalidDevice:
        return PSK_ERR_BAD_DEVICE;
    case paInvalidSampleRate:
    case paSampleFormatNotSupported:
    case paInvalidChannelCount:
        return PSK_ERR_FORMAT;
    case paInsufficientMemory:
        return PSK_ERR_MEMORY;
    case paTimedOut:
        return PSK_ERR_INPUT_TIMEOUT;
    default:
        return fallback;
    }
}

} // namespace

// Bridges PortAudio's C callback to the source object.
struct PortAudioCallback {
    static int call(const void *input, void *, unsigned long frames, const PaStreamCallbackTimeInfo *,
                    PaStreamCallbackFlags flags, void *user) {
        static_cast<PortAudioSource *>(user)->on_audio(static_cast<const float *>(input), frames,
                                                       (flags & paInputOverflow) != 0);
        return paContinue;
    }
};

PortAudioSource::PortAudioSource(int card) : card_(card) {}

PortAudioSource::~PortAudioSource() {
    close();
}

int PortAudioSource::open() {
    close();
    if (initialise_portaudio() != paNoError)
        return PSK_ERR_NO_DRIVER;
    initialised_ = true;

    const PaDeviceIndex device = find_portaudio_device(card_, true);
    const PaDeviceInfo *info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (!info || info->maxInputChannels < 1) {
        close();
        return PSK_ERR_BAD_DEVICE;
    }

    // 8000 Hz mono is what we want; otherwise the device's own rate (converted here)
    // and, for devices that only record in stereo, two channels mixed down.
    PaStreamParameters params{};
    params.device = device;
    params.sampleFormat = paFloat32;
    params.suggestedLatency = info->defaultHighInputLatency;
    double rate = 0.0;
    int rc = PSK_ERR_FORMAT;
    for (int ch = 1; ch <= std::min(2, info->maxInputChannels) && rate == 0.0; ++ch) {
        for (double r : {kModemRate, info->defaultSampleRate}) {
            params.channelCount = ch;
            const PaError e = Pa_IsFormatSupported(&params, nullptr, r);
            if (e == paFormatIsSupported) {
                rate = r;
                break;
            }
            if (e == paDeviceUnavailable)
                rc = PSK_ERR_ALLOCATED;
        }
    }
    if (rate <= 0.0) {
        close();
        return rc;
    }
    channels_ = params.channelCount;

    converter_ = std::make_unique<FrameConverter>(channels_, rate);
    if (!converter_->ok()) {
        close();
        return PSK_ERR_FORMAT;
    }
    ring_ = std::make_unique<SpscRing<float>>(static_cast<std::size_t>(rate * kRingSeconds) *
                                              static_cast<std::size_t>(channels_));
    scratch_.assign(4096 * static_cast<std::size_t>(channels_), 0.0f);
    overflow_ = false;
    overflowReported_ = false;

    PaStream *stream = nullptr;
    PaError e = Pa_OpenStream(&stream, &params, nullptr, rate, paFramesPerBufferUnspecified, paClipOff,
                              &PortAudioCallback::call, this);
    if (e != paNoError) {
        close();
        return map_open_error(e, PSK_ERR_UNKNOWN);
    }
    stream_ = stream;
    lastInput_ = std::chrono::steady_clock::now();
    e = Pa_StartStream(stream);
    if (e != paNoError) {
        close();
        return map_open_error(e, PSK_ERR_READ_NOT_OPEN);
    }
    return PSK_OK;
}

void PortAudioSource::on_audio(const float *input, unsigned long frames, bool overflowed) {
    if (input) {
        const std::span<const float> in(input, frames * static_cast<unsigned long>(channels_));
        if (!ring_->push_all(in))
            overflowed = true;
    }
    if (overflowed)
        overflow_.store(true, std::memory_order_relaxed);
}

SourceRead PortAudioSource::read(std::span<float> out) {
    SourceRead r;
    if (!stream_) {
        r.ended = true;
        return r;
    }
    if (overflow_.exchange(false, std::memory_order_relaxed) && !overflowReported_) {
        // Once per run: the operator needs to know, not to dismiss a box every second.
        overflowReported_ = true;
        r.status = PSK_ERR_INPUT_OVERFLOW;
    }

    // Only take as much input as converts into `out`, so nothing piles up here.
    const auto ch = static_cast<std::size_t>(channels_);
    std::size_t done = 0;
    const auto now = std::chrono::steady_clock::now();
    while (done < out.size()) {
        done += converter_->pull(out.subspan(done));
        if (done == out.size())
            break;
        const std::size_t got = ring_->pop(scratch_, ch);
        if (got == 0)
            break;
        lastInput_ = now;
        converter_->push(std::span<const float>(scratch_.data(), got));
    }
    r.count = done;

    if (done == 0 && r.status == 0) {
        if (Pa_IsStreamActive(stream_) != 1) {
            r.status = PSK_ERR_READ_NOT_OPEN;
            r.ended = true;
        } else if (now - lastInput_ > kSilenceTimeout) {
            r.status = PSK_ERR_INPUT_TIMEOUT;
            r.ended = true;
        }
    }
    return r;
}

void PortAudioSource::close() {
    if (stream_) {
        // Abort rather than stop: a device that has gone away may never drain.
        Pa_AbortStream(stream_);
        Pa_CloseStream(stream_);
        stream_ = nullptr;
    }
    if (initialised_) {
        Pa_Terminate();
        initialised_ = false;
    }
}

} // namespace pskmodem
