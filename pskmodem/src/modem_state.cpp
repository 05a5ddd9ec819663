#include "modem_state.h"

#include <algorithm>
#include <cstring>

namespace pskmodem {

namespace {
// Bounds that keep a runaway caller from growing memory without end.
constexpr std::size_t kMaxQueue = 1 << 16;
constexpr std::size_t kMaxCwid = 256;
constexpr int32_t kMaxPpm = 10000;
constexpr int32_t kMaxRewindBlocks = 1000;

int32_t clamp_hz(int32_t hz) {
    return std::clamp(hz, int32_t{0}, kMaxAudioHz);
}
} // namespace

bool ModemState::valid_mode(int32_t mode) {
    return (mode >= 0 && mode <= 2) || (mode >= 8 && mode <= 10);
}

void ModemState::enable_channel(int32_t channel, bool enable) {
    if (!valid_channel(channel))
        return;
    std::lock_guard lock(mutex_);
    channels_[channel].enabled = enable;
}

void ModemState::set_rx_frequency(int32_t channel, int32_t hertz, int32_t captureRange) {
    if (!valid_channel(channel))
        return;
    std::lock_guard lock(mutex_);
    channels_[channel].frequency = clamp_hz(hertz);
    channels_[channel].captureRange = std::clamp(captureRange, int32_t{0}, kMaxAudioHz);
    ++channels_[channel].tuneSerial;
}

int32_t ModemState::rx_frequency(int32_t channel) const {
    if (!valid_channel(channel))
        return 0;
    std::lock_guard lock(mutex_);
    return channels_[channel].frequency;
}

void ModemState::set_rx_mode(int32_t channel, int32_t mode) {
    if (!valid_channel(channel) || !valid_mode(mode))
        return;
    std::lock_guard lock(mutex_);
    channels_[channel].mode = mode;
}

void ModemState::set_afc_limit(int32_t channel, int32_t hertz) {
    if (!valid_channel(channel))
        return;
    std::lock_guard lock(mutex_);
    channels_[channel].afcLimit = clamp_hz(hertz);
}

void ModemState::set_squelch(int32_t channel, int32_t threshold, int32_t speed) {
    if (!valid_channel(channel))
        return;
    std::lock_guard lock(mutex_);
    channels_[channel].squelchThreshold = std::clamp(threshold, int32_t{0}, int32_t{100});
    channels_[channel].squelchSpeed = std::clamp(speed, int32_t{0}, int32_t{200});
}

ChannelSettings ModemState::channel(int32_t channel) const {
    if (!valid_channel(channel))
        return {};
    std::lock_guard lock(mutex_);
    return channels_[channel];
}

void ModemState::channels(ChannelSettings (&out)[kChannels]) const {
    std::lock_guard lock(mutex_);
    std::copy(std::begin(channels_), std::end(channels_), std::begin(out));
}

void ModemState::set_tx_frequency(int32_t hertz) {
    std::lock_guard lock(mutex_);
    txFrequency_ = clamp_hz(hertz);
}

int32_t ModemState::tx_frequency() const {
    std::lock_guard lock(mutex_);
    return txFrequency_;
}

void ModemState::start_tx(int32_t mode) {
    // 3 is the tune carrier.
    if (!valid_mode(mode) && mode != 3)
        return;
    std::lock_guard lock(mutex_);
    txMode_ = mode;
    txRequested_ = true;
    txStopping_ = false;
}

void ModemState::stop_tx() {
    std::lock_guard lock(mutex_);
    txStopping_ = txRequested_;
}

void ModemState::abort_tx() {
    std::lock_guard lock(mutex_);
    txRequested_ = txStopping_ = false;
    ++txAborts_;
    txQueue_.clear();
    txChars_ = 0;
}

void ModemState::clear_tx() {
    std::lock_guard lock(mutex_);
    txQueue_.clear();
    txChars_ = 0;
}

void ModemState::send(int32_t code, int32_t control) {
    TxItem item{TxItem::Kind::Character, 0};
    if (control == 0 && code >= 0 && code <= 255)
        item.code = static_cast<uint8_t>(code);
    else if (control == 1 && code == 1)
        item.kind = TxItem::Kind::ReturnToReceive;
    else if (control == 1 && code == 2)
        item.kind = TxItem::Kind::CwId;
    else
        return;
    std::lock_guard lock(mutex_);
    if (txQueue_.size() >= kMaxQueue)
        return;
    txQueue_.push_back(item);
    if (item.kind == TxItem::Kind::Character)
        ++txChars_;
}

int32_t ModemState::tx_chars_remaining() const {
    std::lock_guard lock(mutex_);
    return txChars_;
}

TxControl ModemState::tx_control() const {
    std::lock_guard lock(mutex_);
    return TxControl{txRequested_, txStopping_, txMode_, txAborts_, txFrequency_, txLevel_};
}

std::optional<TxItem> ModemState::next_tx_item() {
    std::lock_guard lock(mutex_);
    if (txQueue_.empty())
        return std::nullopt;
    const TxItem item = txQueue_.front();
    txQueue_.pop_front();
    if (item.kind == TxItem::Kind::Character && txChars_ > 0)
        --txChars_;
    return item;
}

bool ModemState::tx_queue_empty() const {
    std::lock_guard lock(mutex_);
    return txQueue_.empty();
}

bool ModemState::finish_tx(bool force) {
    std::lock_guard lock(mutex_);
    if (!force && txRequested_ && !txStopping_)
        return false;
    txRequested_ = txStopping_ = false;
    return true;
}

void ModemState::cancel_tx() {
    std::lock_guard lock(mutex_);
    txRequested_ = txStopping_ = false;
}

void ModemState::set_tx_level(float peak) {
    std::lock_guard lock(mutex_);
    txLevel_ = std::clamp(peak, 0.0f, 1.0f);
}

void ModemState::set_cwid_text(const char *text) {
    std::string s;
    if (text)
        s.assign(text, strnlen(text, kMaxCwid));
    std::lock_guard lock(mutex_);
    cwid_ = std::move(s);
}

std::string ModemState::cwid_text() const {
    std::lock_guard lock(mutex_);
    return cwid_;
}

void ModemState::set_cwid_speed(int32_t n) {
    std::lock_guard lock(mutex_);
    cwidSpeed_ = std::clamp(n, int32_t{1}, int32_t{4});
}

int32_t ModemState::cwid_speed() const {
    std::lock_guard lock(mutex_);
    return cwidSpeed_;
}

void ModemState::set_clock_adjustment(int32_t ppm) {
    std::lock_guard lock(mutex_);
    clockPpm_ = std::clamp(ppm, -kMaxPpm, kMaxPpm);
}

int32_t ModemState::clock_adjustment() const {
    std::lock_guard lock(mutex_);
    return clockPpm_;
}

void ModemState::set_rewind(int32_t blocks) {
    std::lock_guard lock(mutex_);
    rewindBlocks_ = std::clamp(blocks, int32_t{0}, kMaxRewindBlocks);
}

int32_t ModemState::take_rewind() {
    std::lock_guard lock(mutex_);
    const int32_t blocks = rewindBlocks_;
    rewindBlocks_ = 0;
    return blocks;
}

void ModemState::set_ptt(int32_t port, int32_t ptt) {
    std::lock_guard lock(mutex_);
    pttPort_ = port;
    pttLines_ = ptt;
}

int32_t ModemState::ptt_port() const {
    std::lock_guard lock(mutex_);
    return pttPort_;
}

int32_t ModemState::ptt_lines() const {
    std::lock_guard lock(mutex_);
    return pttLines_;
}

} // namespace pskmodem
