#include "receiver_bank.h"

#include "pskmodem.h"

#include <algorithm>
#include <cmath>

namespace pskmodem {

namespace {
constexpr std::size_t kMaxChunk = 4096; // input handled at a time after correction
} // namespace

ReceiverBank::ReceiverBank()
    : receivers_(kChannels), history_(kHistory), replay_(kHistory), corrected_(kMaxChunk + 64) {}

void ReceiverBank::reset() {
    for (auto &r : receivers_)
        r.configure(ChannelSettings{});
    history_.clear();
    held_ = 0;
    if (resampler_)
        resampler_->reset();
    sinceClock_ = clockSum_ = 0.0;
    clockCount_ = 0;
    std::lock_guard lock(snapshotMutex_);
    snapshot_.fill(Snapshot{});
}

void ReceiverBank::set_clock(int32_t ppm) {
    if (ppm == clockPpm_)
        return;
    clockPpm_ = ppm;
    // A card that runs fast by ppm delivers 8000 * (1 + ppm/1e6) samples a second.
    if (ppm == 0)
        resampler_.reset();
    else
        resampler_ = std::make_unique<Resampler>(8000.0 * (1.0 + ppm * 1e-6), 8000.0);
}

void ReceiverBank::process(std::span<const float> in, const ChannelSettings (&settings)[kChannels], int32_t clockPpm,
                           int32_t rewindBlocks, RxEvents &events) {
    for (int c = 0; c < kChannels; ++c)
        receivers_[static_cast<std::size_t>(c)].configure(settings[c]);
    set_clock(clockPpm);

    if (rewindBlocks > 0 && held_ > 0) {
        const std::size_t n = std::min(held_, static_cast<std::size_t>(rewindBlocks) * kRewindBlock);
        const std::span<float> past(replay_.data(), n);
        history_.latest(past);
        for (auto &r : receivers_)
            if (r.enabled())
                r.restart();
        for (std::size_t at = 0; at < n; at += Receiver::kPiece)
            decode(past.subspan(at, std::min(Receiver::kPiece, n - at)), events);
    }

    while (!in.empty()) {
        std::span<const float> part = in.first(std::min(in.size(), kMaxChunk));
        in = in.subspan(part.size());
        if (resampler_ && resampler_->ok()) {
            const Resampler::Result res = resampler_->process(part, corrected_);
            part = std::span<const float>(corrected_.data(), res.generated);
        }
        history_.push(part);
        held_ = std::min(held_ + part.size(), kHistory);
        for (std::size_t at = 0; at < part.size(); at += Receiver::kPiece)
            decode(part.subspan(at, std::min(Receiver::kPiece, part.size() - at)), events);
    }
    publish();
}

void ReceiverBank::decode(std::span<const float> in, RxEvents &events) {
    for (int c = 0; c < kChannels; ++c) {
        Receiver &r = receivers_[static_cast<std::size_t>(c)];
        if (!r.enabled())
            continue;
        const std::size_t n = r.process(in, events_);
        for (std::size_t i = 0; i < n; ++i) {
            const RxEvent &e = events_[i];
            if (e.kind == RxEvent::Kind::Character)
                events.post(PSK_MSG_CHARACTER, e.value, c);
            else
                events.post(PSK_MSG_LEVEL, e.value, c);
        }
        double ppm = 0.0;
        if (r.take_clock_ppm(ppm)) {
            clockSum_ += ppm;
            ++clockCount_;
        }
    }
    sinceClock_ += static_cast<double>(in.size()) / 8000.0;
    if (clockCount_ > 0 && sinceClock_ >= kClockInterval) {
        events.post(PSK_MSG_CLOCK_ERROR, static_cast<int32_t>(std::lround(clockSum_ / clockCount_)), 0);
        clockSum_ = 0.0;
        clockCount_ = 0;
        sinceClock_ = 0.0;
    }
}

void ReceiverBank::publish() {
    for (int c = 0; c < kChannels; ++c) {
        const Receiver &r = receivers_[static_cast<std::size_t>(c)];
        Snapshot &s = staging_[static_cast<std::size_t>(c)];
        s.running = r.enabled();
        if (!s.running) {
            s = Snapshot{};
            continue;
        }
        s.level = r.level();
        s.frequency = static_cast<int32_t>(std::lround(r.frequency()));
        s.sync = r.sync();
        s.vectors = r.vectors();
    }
    std::lock_guard lock(snapshotMutex_);
    snapshot_ = staging_;
}

int32_t ReceiverBank::level(int32_t channel) const {
    if (!ModemState::valid_channel(channel))
        return 0;
    std::lock_guard lock(snapshotMutex_);
    return snapshot_[static_cast<std::size_t>(channel)].level;
}

void ReceiverBank::sync(int32_t channel, int32_t *buffer16) const {
    if (!buffer16)
        return;
    std::array<int32_t, 16> v{};
    if (ModemState::valid_channel(channel)) {
        std::lock_guard lock(snapshotMutex_);
        v = snapshot_[static_cast<std::size_t>(channel)].sync;
    }
    std::copy(v.begin(), v.end(), buffer16);
}

void ReceiverBank::vectors(int32_t channel, int32_t *buffer16) const {
    if (!buffer16)
        return;
    std::array<int32_t, 16> v{};
    if (ModemState::valid_channel(channel)) {
        std::lock_guard lock(snapshotMutex_);
        v = snapshot_[static_cast<std::size_t>(channel)].vectors;
    }
    std::copy(v.begin(), v.end(), buffer16);
}

bool ReceiverBank::frequency(int32_t channel, int32_t &hz) const {
    if (!ModemState::valid_channel(channel))
        return false;
    std::lock_guard lock(snapshotMutex_);
    const Snapshot &s = snapshot_[static_cast<std::size_t>(channel)];
    if (!s.running)
        return false;
    hz = s.frequency;
    return true;
}

} // namespace pskmodem
