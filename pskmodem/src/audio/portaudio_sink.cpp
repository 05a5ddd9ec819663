#include "portaudio_sink.h"

#include "audio_source.h"
#include "pskmodem.h"

#include <algorithm>
#include <cmath>
#include <portaudio.h>

#include "portaudio_devices.h"
#include "portaudio_init.h"

namespace pskmodem {

namespace {

constexpr std::size_t kBlock = 512; // 8000 Hz samples converted at a time

} // namespace

struct PortAudioSinkCallback {
    static int call(const void *, void *output, unsigned long frames, const PaStreamCallbackTimeInfo *time,
                    PaStreamCallbackFlags, void *user) {
        static_cast<PortAudioSink *>(user)->on_audio(static_cast<float *>(output), frames,
                                                     time ? time->outputBufferDacTime : 0.0);
        return paContinue;
    }
};

PortAudioSink::PortAudioSink(int card) : card_(card) {}

PortAudioSink::~PortAudioSink() {
    close();
}

void PortAudioSink::open() {
    close();
    reported_ = underflowReported_ = false;
    underflow_.reset();
    if (initialise_portaudio() != paNoError)
        return;
    initialised_ = true;
    const PaDeviceIndex device = find_portaudio_device(card_, false);
    const PaDeviceInfo *info = device == paNoDevice ? nullptr : Pa_GetDeviceInfo(device);
    if (!info || info->maxOutputChannels < 1) {
        close();
        return;
    }
    // 8000 Hz mono when the device takes it, else its own rate (and stereo if it must).
    PaStreamParameters params{};
    params.device = device;
    params.sampleFormat = paFloat32;
    params.suggestedLatency = info->defaultHighOutputLatency;
    double rate = 0.0;
    for (int ch = 1; ch <= std::min(2, info->maxOutputChannels) && rate == 0.0; ++ch) {
        for (double r : {kModemRate, info->defaultSampleRate}) {
            params.channelCount = ch;
            if (Pa_IsFormatSupported(nullptr, &params, r) == paFormatIsSupported) {
                rate = r;
                break;
            }
        }
    }
    if (rate <= 0.0) {
        close();
        return;
    }
    channels_ = params.channelCount;
    rate_ = rate;
    resampler_ = std::make_unique<Resampler>(kModemRate, rate);
    if (!resampler_->ok()) {
        close();
        return;
    }
    const auto ch = static_cast<std::size_t>(channels_);
    ring_ = std::make_unique<SpscRing<float>>(static_cast<std::size_t>(rate * kRingSeconds) * ch);
    // Room for one block converted up to the highest rate libsamplerate takes.
    resampled_.assign(static_cast<std::size_t>(std::ceil(kBlock * resampler_->ratio())) + 64, 0.0f);
    frames_.assign(resampled_.size() * ch, 0.0f);
    silence_.assign(static_cast<std::size_t>(kModemRate * kPrimeSeconds), 0.0f);
    lastSampleOut_ = 0.0;

    PaStream *stream = nullptr;
    if (Pa_OpenStream(&stream, nullptr, &params, rate, paFramesPerBufferUnspecified, paClipOff,
                      &PortAudioSinkCallback::call, this) != paNoError) {
        close();
        return;
    }
    stream_ = stream;
    if (const PaStreamInfo *si = Pa_GetStreamInfo(stream))
        latency_ = si->outputLatency;
    if (Pa_StartStream(stream) != paNoError)
        close();
}

void PortAudioSink::on_audio(float *output, unsigned long frames, double dacTime) {
    const std::span<float> out(output, frames * static_cast<unsigned long>(channels_));
    const std::size_t got = ring_->pop(out, static_cast<std::size_t>(channels_));
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(got), out.end(), 0.0f);
    if (got > 0)
        lastSampleOut_.store(dacTime + static_cast<double>(got / static_cast<std::size_t>(channels_)) / rate_,
                             std::memory_order_relaxed);
}

int PortAudioSink::write(std::span<const float> samples) {
    if (!stream_) {
        if (reported_ || samples.empty())
            return PSK_OK;
        reported_ = true;
        return PSK_ERR_WRITE_NOT_OPEN;
    }
    const bool dry = ring_->size() == 0;
    const double now =
        std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    const bool underflow = underflow_.underflowed(now, dry);
    if (dry)
        push_mono(silence_); // a new transmission (or a gap): some silence first
    push_mono(samples);
    if (underflow && !underflowReported_) {
        underflowReported_ = true;
        return PSK_ERR_OUTPUT_UNDERFLOW;
    }
    return PSK_OK;
}

void PortAudioSink::push_mono(std::span<const float> mono) {
    const auto ch = static_cast<std::size_t>(channels_);
    while (!mono.empty()) {
        const std::span<const float> block = mono.first(std::min(mono.size(), kBlock));
        const Resampler::Result r = resampler_->process(block, resampled_);
        mono = mono.subspan(r.used);
        for (std::size_t i = 0; i < r.generated; ++i)
            for (std::size_t c = 0; c < ch; ++c)
                frames_[i * ch + c] = resampled_[i];
        // A full ring means the device runs slower than the input; the excess is lost.
        ring_->push_all(std::span<const float>(frames_.data(), r.generated * ch));
        if (r.used == 0 && r.generated == 0)
            break;
    }
}

std::size_t PortAudioSink::backlog() const {
    if (!stream_)
        return 0;
    double seconds = 0.0;
    if (const std::size_t queued = ring_->size(); queued > 0) {
        seconds = static_cast<double>(queued / static_cast<std::size_t>(channels_)) / rate_ + latency_;
    } else {
        // The ring is empty, but the device may still be playing its last buffer.
        seconds = lastSampleOut_.load(std::memory_order_relaxed) - Pa_GetStreamTime(stream_);
        seconds = std::clamp(seconds, 0.0, latency_ + 0.5);
    }
    return static_cast<std::size_t>(seconds * kModemRate);
}

void PortAudioSink::close() {
    if (stream_) {
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
