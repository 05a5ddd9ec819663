// Transmitted audio to a sound card (PortAudio). The engine's thread converts the
// 8000 Hz mono audio to the device's rate and channels and puts it in a lock-free ring;
// the stream callback only copies from the ring (silence when it is empty) and never
// allocates or locks. Before the first audio of a transmission a short stretch of
// silence is queued, so the callback does not run dry while the engine's thread waits
// for its next input chunk.
#pragma once

#include "audio_sink.h"
#include "dsp/resampler.h"
#include "spsc_ring.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <vector>

namespace pskmodem {

// Tells an output underflow from the start of a transmission. While a transmission is on air
// the engine writes every few tens of milliseconds, always ahead of the device; finding
// nothing left to play when such a write comes means the device ran dry in the middle of it
// and the listener heard a gap. After a pause longer than kPauseSeconds the empty queue is
// just the start of the next transmission.
class UnderflowWatch {
public:
    static constexpr double kPauseSeconds = 0.2;

    // now: seconds on a monotonic clock; dry: nothing was queued when this write came.
    bool underflowed(double now, bool dry) {
        const bool underflow = dry && wrote_ && now - lastWrite_ < kPauseSeconds;
        wrote_ = true;
        lastWrite_ = now;
        return underflow;
    }
    void reset() { wrote_ = false; }

private:
    bool wrote_ = false;
    double lastWrite_ = 0.0;
};

class PortAudioSink : public AudioSink {
public:
    static constexpr double kPrimeSeconds = 0.15;
    static constexpr double kRingSeconds = 2.0;

    // card: -1 the default output device, 0..2 the first, second, third device that
    // has output channels.
    explicit PortAudioSink(int card);
    ~PortAudioSink() override;

    void open() override;
    // 14 once when the device could not be opened; 15 once when the device ran out of
    // audio in the middle of a transmission.
    int write(std::span<const float> samples) override;
    std::size_t backlog() const override;
    void close() override;

private:
    friend struct PortAudioSinkCallback;
    // The stream callback's part, on PortAudio's thread.
    void on_audio(float *output, unsigned long frames, double dacTime);
    void push_mono(std::span<const float> mono);

    int card_;
    bool initialised_ = false;
    void *stream_ = nullptr; // PaStream
    int channels_ = 1;
    double rate_ = 8000.0;
    double latency_ = 0.0; // the device's own output latency, seconds
    std::unique_ptr<Resampler> resampler_;
    std::unique_ptr<SpscRing<float>> ring_;
    std::vector<float> resampled_;
    std::vector<float> frames_;
    std::vector<float> silence_;
    // Stream time at which the last queued sample leaves the device (callback thread).
    std::atomic<double> lastSampleOut_{0.0};
    bool reported_ = false;
    UnderflowWatch underflow_;
    bool underflowReported_ = false;
};

} // namespace pskmodem
