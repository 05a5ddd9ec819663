#include "engine.h"

#include "audio/audio_io.h"
#include "config.h"
#include "dsp/sample_guard.h"

#include <algorithm>
#include <cmath>
#include <system_error>

namespace pskmodem {

namespace {
// The noise floor is measured where a receiver's passband is, away from the edges.
constexpr std::size_t kNoiseFirstBin = 26; // ~100 Hz
constexpr std::size_t kNoiseLastBin = 998; // ~3900 Hz
constexpr float kSilentDb = -200.0f;
constexpr int32_t kMaxScale = 1 << 20;
} // namespace

Engine::Engine()
    : spectrum_(kFftSize), averager_(spectrum_.bins()), noise_(kFftSize, kNoiseFirstBin, kNoiseLastBin),
      history_(kFftSize), chunk_(kChunk), txChunk_(kChunk), window_(kFftSize), power_(spectrum_.bins()),
      db_(spectrum_.bins()) {
    snapDb_.fill(kSilentDb);
}

Engine::~Engine() {
    stop();
}

bool Engine::on_dsp_thread() const {
    return dspThread_.load() == std::this_thread::get_id();
}

int Engine::start(const PskNotifyTarget *target, int card) {
    if (on_dsp_thread())
        return PSK_ERR_NOT_SUPPORTED;
    const Config cfg = load_config();
    if (cfg.input == InputKind::SoundCard && (card < -1 || card > 2)) {
        stop(); // a start always ends the previous run, even one that fails
        return PSK_ERR_BAD_DEVICE;
    }
    state_.set_tx_level(tx_amplitude(cfg));
    AudioIo io = make_audio_io(cfg, card);
    return start(std::move(io.source), target, io.speed, std::move(io.sink));
}

int Engine::start(std::unique_ptr<AudioSource> source, const PskNotifyTarget *target, double speed,
                  std::unique_ptr<AudioSink> sink) {
    if (on_dsp_thread())
        return PSK_ERR_NOT_SUPPORTED;
    std::lock_guard life(lifecycle_);
    // The previous run lets go of its device before the new one opens it.
    stop_locked();
    if (!source)
        return PSK_ERR_UNKNOWN;
    if (const int rc = source->open(); rc != PSK_OK)
        return rc;

    source_ = std::move(source);
    sink_ = sink ? std::move(sink) : std::make_unique<NullSink>();
    sink_->open();
    // A transmission asked for while stopped is not started by surprise now.
    state_.cancel_tx();
    transmitter_.reset();
    wavSpeed_ = speed > 0.0 ? std::clamp(speed, Config::kMinWavSpeed, Config::kMaxWavSpeed) : 1.0;
    target_ = target ? *target : PskNotifyTarget{};

    history_.clear();
    averager_.reset();
    receivers_.reset();
    blockFill_ = 0;
    blocksSinceStart_ = 0;
    levelBlocks_ = 0;
    overload_ = false;
    {
        std::lock_guard lock(snapshotMutex_);
        snapDb_.fill(kSilentDb);
        snapRaw_.fill(0.0f);
    }
    {
        std::lock_guard lock(wakeMutex_);
        stopRequested_ = false;
    }
    stopping_ = false;
    try {
        thread_ = std::thread([this] { run(); });
    } catch (const std::system_error &) {
        source_->close();
        source_.reset();
        sink_->close();
        sink_.reset();
        return PSK_ERR_MEMORY;
    }
    return PSK_OK;
}

void Engine::stop() {
    if (on_dsp_thread()) {
        request_stop();
        return;
    }
    std::lock_guard life(lifecycle_);
    stop_locked();
}

void Engine::stop_locked() {
    request_stop();
    if (thread_.joinable())
        thread_.join();
    receivers_.reset(); // the fnGet... calls read zeros once stopped
    if (source_) {
        source_->close();
        source_.reset();
    }
    // No status 0 after a stop: the program knows it stopped us.
    transmitter_.reset();
    state_.cancel_tx();
    ptt_.key(false);
    if (sink_) {
        sink_->close();
        sink_.reset();
    }
}

void Engine::request_stop() {
    stopping_ = true;
    {
        std::lock_guard lock(wakeMutex_);
        stopRequested_ = true;
    }
    wake_.notify_all();
}

bool Engine::wait_until(Clock::time_point t) {
    std::unique_lock lock(wakeMutex_);
    return !wake_.wait_until(lock, t, [this] { return stopRequested_; });
}

void Engine::run() {
    dspThread_ = std::this_thread::get_id();
    const bool realtime = source_->realtime();
    // A file is read at the rate it would arrive from a sound card, times wav_speed.
    const auto period = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(kChunk) / kModemRate / wavSpeed_));
    auto next = Clock::now();
    bool live = true;

    while (!stopping_) {
        if (!live) {
            // The input has gone; stay quiet until the program stops us.
            end_transmission();
            std::unique_lock lock(wakeMutex_);
            wake_.wait(lock, [this] { return stopRequested_; });
            break;
        }
        SourceRead r;
        if (realtime) {
            r = source_->read(chunk_);
            if (r.count == 0 && r.status == 0 && !r.ended) {
                wait_until(Clock::now() + std::chrono::milliseconds(10));
                continue;
            }
        } else {
            if (!wait_until(next))
                break;
            next += period;
            // After a stall, carry on from now instead of rushing to catch up.
            if (const auto now = Clock::now(); now - next > std::chrono::seconds(1))
                next = now;
            r = source_->read(chunk_);
        }
        if (r.status != PSK_OK)
            post(PSK_MSG_STATUS, r.status, 0);
        clean_samples(std::span<float>(chunk_.data(), std::min(r.count, chunk_.size())));
        transmit(std::min(r.count, chunk_.size()));
        process(std::span<const float>(chunk_.data(), std::min(r.count, chunk_.size())));
        if (r.ended) {
            source_->close();
            live = false;
        }
    }
    dspThread_ = std::thread::id();
}

void Engine::process(std::span<const float> samples) {
    if (std::any_of(samples.begin(), samples.end(), [](float s) { return std::fabs(s) >= kOverloadLevel; }))
        overload_ = true;
    state_.channels(rxSettings_);
    RxPost rxPost(*this);
    receivers_.process(samples, rxSettings_, state_.clock_adjustment(), state_.take_rewind(), rxPost);
    while (!samples.empty()) {
        const std::size_t n = std::min(samples.size(), kBlock - blockFill_);
        history_.push(samples.first(n));
        samples = samples.subspan(n);
        blockFill_ += n;
        if (blockFill_ == kBlock) {
            blockFill_ = 0;
            analyse_block();
        }
    }
}

void Engine::analyse_block() {
    history_.latest(window_);
    spectrum_.process(window_, power_);
    averager_.set_weight(fft_mode(fftMode_.load()).weight);
    averager_.process(power_, db_);
    // Until the window holds only input, the step from the initial silence splatters
    // across the band; such spectra say nothing about the noise.
    if (++blocksSinceStart_ >= kFftSize / kBlock)
        levels_[static_cast<std::size_t>(levelBlocks_++)] = noise_.process(power_);
    {
        std::lock_guard lock(snapshotMutex_);
        std::copy_n(db_.begin(), kBins, snapDb_.begin());
        std::copy_n(window_.begin(), kFftSize, snapRaw_.begin());
    }
    post(PSK_MSG_DATA_READY, 0, 0);
    if (levelBlocks_ == kBlocksPerLevel) {
        // The median, so that a click or a burst in one block does not move it.
        const auto mid = levels_.begin() + kBlocksPerLevel / 2;
        std::nth_element(levels_.begin(), mid, levels_.end());
        levelBlocks_ = 0;
        post(PSK_MSG_LEVEL, static_cast<int32_t>(std::lround(NoiseFloor::to_db(*mid))), -1);
    }
}

void Engine::transmit(std::size_t samples) {
    const std::span<float> out(txChunk_.data(), std::min(samples, txChunk_.size()));
    const Transmitter::Report r = transmitter_.process(state_, out, sink_->backlog());
    for (int i = 0; i < r.count; ++i) {
        const int32_t status = r.statuses[static_cast<std::size_t>(i)];
        // Keyed before the program hears of the start, released before it hears of the end.
        if (status == PSK_STATUS_TX)
            ptt_.key(true);
        else if (status == PSK_STATUS_RX)
            ptt_.key(false);
        post(PSK_MSG_STATUS, status, 0);
    }
    if (r.samples > 0)
        if (const int status = sink_->write(out.first(r.samples)); status != PSK_OK)
            post(PSK_MSG_STATUS, status, 0);
}

// Without input there is no clock to transmit by: a transmission ends here.
void Engine::end_transmission() {
    const bool onAir = transmitter_.on_air();
    transmitter_.reset();
    state_.cancel_tx();
    ptt_.key(false);
    if (onAir)
        post(PSK_MSG_STATUS, PSK_STATUS_RX, 0);
}

void Engine::post(int32_t message, int32_t wParam, int32_t lParam) {
    if (stopping_ || !target_.callback)
        return;
    target_.callback(target_.context, message, wParam, lParam);
}

void Engine::set_fft_mode(int32_t mode, int32_t scale) {
    fftMode_ = std::clamp(mode, int32_t{1}, int32_t{10});
    if (scale >= 1)
        fftScale_ = std::min(scale, kMaxScale);
}

int32_t Engine::fft_data(int32_t *buffer, int32_t first, int32_t last) {
    const int32_t overload = overload_.exchange(false) ? 1 : 0;
    if (!buffer)
        return overload;
    first = std::max(first, int32_t{0});
    last = std::min(last, static_cast<int32_t>(kBins) - 1);
    const FftMode mode = fft_mode(fftMode_.load());
    const int32_t scale = fftScale_.load();
    std::lock_guard lock(snapshotMutex_);
    for (int32_t i = first; i <= last; ++i)
        buffer[i] = to_display(snapDb_[static_cast<std::size_t>(i)], mode, scale);
    return overload;
}

int32_t Engine::raw_data(int32_t *buffer, int32_t first, int32_t last) const {
    if (!buffer)
        return 0;
    first = std::max(first, int32_t{0});
    last = std::min(last, static_cast<int32_t>(kFftSize) - 1);
    std::lock_guard lock(snapshotMutex_);
    for (int32_t i = first; i <= last; ++i) {
        const float s = std::round(snapRaw_[static_cast<std::size_t>(i)] * 32768.0f);
        buffer[i] = static_cast<int32_t>(std::clamp(s, -32767.0f, 32767.0f));
    }
    return last >= first ? last - first + 1 : 0;
}

} // namespace pskmodem
