// Settings the program gives the modem: per receive channel, for the transmitter and
// for PTT. They are kept across stops and starts. Guarded by one mutex because the
// program sets them while the engine's thread reads them.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
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
    uint32_t tuneSerial = 0; // counts fnSetRXFrequency calls: each retunes, even to the same frequency
};

struct TxItem {
    enum class Kind { Character, ReturnToReceive, CwId };
    Kind kind;
    uint8_t code; // the character, for Kind::Character
};

// What the transmitter reads at the start of every chunk it produces.
struct TxControl {
    bool requested = false; // a transmission is wanted (fnStartTX)
    bool stopping = false;  // end once the queue is sent (fnStopTX)
    int32_t mode = 0;
    uint32_t aborts = 0; // counts fnAbortTX calls, so that an abort is seen even when a
                         // start follows it before the transmitter looks
    int32_t frequency = 1000;
    float level = 0.5f; // peak amplitude of the transmitted signal, full scale 1
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
    // All channels at once, under one lock (the receivers read them once a chunk).
    void channels(ChannelSettings (&out)[kChannels]) const;

    void set_tx_frequency(int32_t hertz);
    int32_t tx_frequency() const;
    void start_tx(int32_t mode);
    void stop_tx();
    void abort_tx();
    void clear_tx();
    void send(int32_t code, int32_t control);
    int32_t tx_chars_remaining() const;

    // The transmitter's side (the engine's thread).
    TxControl tx_control() const;
    // Takes the next queued item; a character stops counting as remaining here.
    std::optional<TxItem> next_tx_item();
    bool tx_queue_empty() const;
    // The transmission has sent its postamble. True when it ends; false when a start
    // came after the stop and the transmission is to go on (never when `force`).
    bool finish_tx(bool force);
    // Drops a pending start or stop without touching the queue (engine start and stop).
    void cancel_tx();
    void set_tx_level(float peak);

    void set_cwid_text(const char *text);
    std::string cwid_text() const;
    void set_cwid_speed(int32_t n);
    int32_t cwid_speed() const;

    void set_clock_adjustment(int32_t ppm);
    int32_t clock_adjustment() const;
    void set_rewind(int32_t blocks);
    // The blocks asked for since the last call, then 0.
    int32_t take_rewind();

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
    uint32_t txAborts_ = 0;
    float txLevel_ = 0.5f;
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
