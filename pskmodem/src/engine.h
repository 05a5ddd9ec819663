// The modem engine: owns the audio source and the one DSP thread, and keeps the
// snapshot that the fnGet... calls read. The DSP thread reads audio in chunks, computes
// a spectrum every kBlock samples, stores it under a short lock and notifies the
// program. The transmitter produces one chunk of output for every chunk of input, on the
// same thread; its audio goes to the sink, and PTT follows its start and end.
#pragma once

#include "audio/audio_sink.h"
#include "audio/audio_source.h"
#include "dsp/noise_floor.h"
#include "dsp/sample_history.h"
#include "dsp/spectrum.h"
#include "dsp/spectrum_averager.h"
#include "modem_state.h"
#include "rx/receiver_bank.h"
#include "pskmodem.h"
#include "ptt/ptt.h"
#include "tx/transmitter.h"

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace pskmodem {

class Engine {
public:
    static constexpr std::size_t kFftSize = 2048;
    static constexpr std::size_t kBlock = 1024; // new samples per spectrum (128 ms)
    static constexpr std::size_t kBins = 1024;  // bins handed out, 0..3996 Hz
    static constexpr std::size_t kChunk = 256;  // samples read at a time (32 ms)
    static constexpr int kBlocksPerLevel = 8;   // noise level about once per second
    // 32000 on the 16-bit scale.
    static constexpr float kOverloadLevel = 32000.0f / 32768.0f;

    Engine();
    ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // Stops a previous run, reads the configuration and opens its input; 0 when the
    // DSP thread runs. From inside a notification it refuses with 26: the thread
    // cannot restart itself.
    int start(const PskNotifyTarget *target, int card);
    // The same with a source made elsewhere; a file source is read at `speed` times
    // real time. Transmitted audio goes to `sink` (nowhere when null).
    int start(std::unique_ptr<AudioSource> source, const PskNotifyTarget *target, double speed = 1.0,
              std::unique_ptr<AudioSink> sink = nullptr);
    // Returns once the thread has ended; no notification comes after that. From inside
    // a notification it only asks the thread to end.
    void stop();

    ModemState &state() { return state_; }
    Ptt &ptt() { return ptt_; }
    // The receive channels' snapshot (fnGetSignalLevel and the like).
    const ReceiverBank &receivers() const { return receivers_; }

    void set_fft_mode(int32_t mode, int32_t scale);
    int32_t fft_data(int32_t *buffer, int32_t first, int32_t last);
    int32_t raw_data(int32_t *buffer, int32_t first, int32_t last) const;

private:
    using Clock = std::chrono::steady_clock;

    void stop_locked();
    void request_stop();
    bool on_dsp_thread() const;
    // Sleeps until t or a stop request; false when stopping.
    bool wait_until(Clock::time_point t);
    void run();
    void process(std::span<const float> samples);
    void transmit(std::size_t samples);
    void end_transmission();
    void analyse_block();
    void post(int32_t message, int32_t wParam, int32_t lParam);

    ModemState state_;
    Ptt ptt_;

    std::mutex lifecycle_; // serialises start and stop
    std::thread thread_;
    std::atomic<std::thread::id> dspThread_{};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopRequested_ = false; // under wakeMutex_
    std::atomic<bool> stopping_{false};

    // Set by start() before the thread exists, then read by the thread only.
    PskNotifyTarget target_{};
    std::unique_ptr<AudioSource> source_;
    std::unique_ptr<AudioSink> sink_;
    double wavSpeed_ = 1.0;

    // The DSP thread's own working state.
    Spectrum spectrum_;
    SpectrumAverager averager_;
    NoiseFloor noise_;
    SampleHistory history_;
    std::vector<float> chunk_;
    Transmitter transmitter_;
    std::vector<float> txChunk_;
    std::vector<float> window_;
    std::vector<float> power_;
    std::vector<float> db_;
    // The 25 receive channels and the settings they read once a chunk.
    ReceiverBank receivers_;
    ChannelSettings rxSettings_[kChannels];
    struct RxPost final : RxEvents {
        explicit RxPost(Engine &e) : engine(e) {}
        void post(int32_t message, int32_t wParam, int32_t lParam) override { engine.post(message, wParam, lParam); }
        Engine &engine;
    };
    std::size_t blockFill_ = 0;
    std::size_t blocksSinceStart_ = 0;
    std::array<float, kBlocksPerLevel> levels_{};
    int levelBlocks_ = 0;

    std::atomic<int32_t> fftMode_{1};
    std::atomic<int32_t> fftScale_{100};
    std::atomic<bool> overload_{false};

    // What the fnGet... calls see.
    mutable std::mutex snapshotMutex_;
    std::array<float, kBins> snapDb_{};
    std::array<float, kFftSize> snapRaw_{};
};

} // namespace pskmodem
