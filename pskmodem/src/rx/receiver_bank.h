// The 25 receive channels, fed one chunk at a time on the engine's thread.
//
// The bank also corrects the sample clock (a resampler set by the program's ppm
// adjustment), keeps the last ~32 s of corrected input for rewinding, gathers the
// channels' clock readings into one message now and then, and keeps the snapshot the
// fnGet... calls read under a short lock.
#pragma once

#include "dsp/resampler.h"
#include "dsp/sample_history.h"
#include "modem_state.h"
#include "receiver.h"

#include <array>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace pskmodem {

// Where the bank's notifications go (the engine's post()).
class RxEvents {
public:
    virtual void post(int32_t message, int32_t wParam, int32_t lParam) = 0;

protected:
    ~RxEvents() = default;
};

class ReceiverBank {
public:
    static constexpr std::size_t kHistory = std::size_t{1} << 18; // 32.8 s
    static constexpr std::size_t kRewindBlock = 2048;            // 0.256 s
    static constexpr double kClockInterval = 10.0;               // seconds between readings, at least

    ReceiverBank();
    // Before a run: every channel off, history and snapshot cleared.
    void reset();
    // One chunk of input (any length). Settings are applied first, then a rewind of
    // `rewindBlocks` (0: none) replays the history, then the chunk is decoded.
    void process(std::span<const float> in, const ChannelSettings (&settings)[kChannels], int32_t clockPpm,
                 int32_t rewindBlocks, RxEvents &events);

    // The snapshot; channels outside 0..24 read as zero. The frequency is the present
    // one after AFC; false when the channel is not running.
    int32_t level(int32_t channel) const;
    void sync(int32_t channel, int32_t *buffer16) const;
    void vectors(int32_t channel, int32_t *buffer16) const;
    bool frequency(int32_t channel, int32_t &hz) const;

private:
    void decode(std::span<const float> in, RxEvents &events);
    void set_clock(int32_t ppm);
    void publish();

    std::vector<Receiver> receivers_;
    SampleHistory history_;
    std::size_t held_ = 0; // samples of real input in the history
    std::vector<float> replay_;
    std::unique_ptr<Resampler> resampler_;
    int32_t clockPpm_ = 0;
    std::vector<float> corrected_;
    std::array<RxEvent, Receiver::kMaxEvents * 2> events_{};
    double sinceClock_ = 0.0;
    double clockSum_ = 0.0;
    int clockCount_ = 0;

    struct Snapshot {
        bool running = false;
        int32_t level = 0;
        int32_t frequency = 0;
        std::array<int32_t, 16> sync{};
        std::array<int32_t, 16> vectors{};
    };
    mutable std::mutex snapshotMutex_;
    std::array<Snapshot, kChannels> snapshot_{};
    std::array<Snapshot, kChannels> staging_{};
};

} // namespace pskmodem
