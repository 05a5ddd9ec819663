// Settings the program gives the modem: per receive channel, for the transmitter and
// for PTT. They are kept across stops and starts. Guarded by one mutex because the
// program sets them while the engine's thread reads them.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <string>

namespace pskmodem {

inline constexpr int kChannels = 25;
inline constexpr int32_t kMaxAudioHz = 4000;

struct ChannelSettings {
    bool enabled = false;
    int32_t frequency = 1000;
    int32_t captureRange = 10;
    int32_t mode = 0;
    int32_t afcLimit = 0;
    int32_t squelchThreshold = 0;
    int32_t squelchSpeed = 0;
};

struct TxItem {
    enum class Kind { Character, ReturnToReceive, CwId };
    Kind kind;
    uint8_t code; // the character, for Kind::Character
};

class ModemState {
public:
    static bool valid_channel(int32_t channel) { return channel >= 0 && channel < kChannels; }
    static bool valid_mode(int32_t mode);

    void enable_channel(int32_t channel, bool enable);
    void set_rx_frequency(int32_t channel, int32_t hertz, int32_t captureRange);
    int32_t rx_frequency(int32_t channel) const;
    void set_rx_mode(int32_t channel, int32_t mode);
    void set_afc_limit(int32_t channel, int32_t hertz);
    void set_squelch(int32_t channel, int32_t threshold, int32_t speed);
    ChannelSettings channel(int32_t channel) const;

    void set_tx_frequency(int32_t hertz);
    int32_t tx_frequency() const;
    void start_tx(int32_t mode);
    void stop_tx();
    void abort_tx();
    void clear_tx();
    void send(int32_t code, int32_t control);
    int32_t tx_chars_remaining() const;

    void set_cwid_text(const char *text);
    std::string cwid_text() const;
    void set_cwid_speed(int32_t n);
    int32_t cwid_speed() const;

    void set_clock_adjustment(int32_t ppm);
    int32_t clock_adjustment() const;
    void set_rewind(int32_t blocks);

    void set_ptt(int32_t port, int32_t ptt);
    int32_t ptt_port() const;
    int32_t ptt_lines() const;

private:
    mutable std::mutex mutex_;
    ChannelSettings channels_[kChannels];
    int32_t txFrequency_ = 1000;
    int32_t txMode_ = 0;
    bool txRequested_ = false;
    bool txStopping_ = false;
    std::deque<TxItem> txQueue_;
    int32_t txChars_ = 0;
    std::string cwid_;
    int32_t cwidSpeed_ = 1;
    int32_t clockPpm_ = 0;
    int32_t rewindBlocks_ = 0;
    int32_t pttPort_ = 1;
    int32_t pttLines_ = 0;
};

} // namespace pskmodem
