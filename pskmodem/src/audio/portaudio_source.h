// Audio from a sound card (PortAudio). The stream callback only copies the device's
// frames into a lock-free ring; mixing and rate conversion happen in read(), on the
// engine's thread.
#pragma once

#include "audio_source.h"
#include "frame_converter.h"
#include "spsc_ring.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

namespace pskmodem {

class PortAudioSource : public AudioSource {
public:
    // card: -1 the default input device, 0..2 the first, second, third device that
    // has input channels.
    explicit PortAudioSource(int card);
    ~PortAudioSource() override;

    // 0, or 25 PortAudio cannot start, 21 no such device, 17 no usable format,
    // 23 device busy, 10 out of memory, 11/13 the stream would not start.
    int open() override;
    // Status 12 once when input was lost to an overflow; 11 (stream stopped by itself)
    // or 13 (no audio for two seconds) end the source.
    SourceRead read(std::span<float> out) override;
    bool realtime() const override { return true; }
    void close() override;

    static constexpr std::chrono::seconds kSilenceTimeout{2};

private:
    friend struct PortAudioCallback;
    // The stream callback's part, on PortAudio's thread.
    void on_audio(const float *input, unsigned long frames, bool overflowed);

    int card_;
    bool initialised_ = false;
    void *stream_ = nullptr; // PaStream
    int channels_ = 0;
    std::unique_ptr<SpscRing<float>> ring_;
    std::unique_ptr<FrameConverter> converter_;
    std::vector<float> scratch_;
    std::atomic<bool> overflow_{false};
    bool overflowReported_ = false;
    std::chrono::steady_clock::time_point lastInput_;
};

} // namespace pskmodem
