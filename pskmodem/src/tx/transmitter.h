// The transmitter: turns the transmit queue and the start, stop and abort requests of
// ModemState into 8000 Hz audio, one chunk at a time, on the engine's thread.
//
// A transmission starts with a fade-in and about a second of idle reversals
// (preamble), sends each queued character as its Varicode followed by "00" (every
// code 0..255 is sent as it is, so backspace and carriage return go out as their own
// Varicode characters), sends idle reversals whenever the queue is empty, and ends with
// about a second of steady carrier (postamble) and a fade-out. Mode 3 is a steady tune
// carrier until stopped. Control items of the queue: "return to receive" ends the
// transmission once everything before it is sent (what follows it stays queued);
// "CW identification" fades the PSK signal out, keys the identification in Morse on
// the transmit frequency and, unless the transmission ends there, resumes with a new
// preamble.
//
// Status reports, in order: 1 when a transmission starts; 3 when a stop request finds
// items still queued (they are sent first); 0 when it has ended. After the last
// sample, 0 waits until the sink has played what it holds (at most two seconds), so
// that PTT is not released under the tail of the signal. An abort fades out within
// 5 ms and reports 0 at once.
#pragma once

#include "modem_state.h"
#include "morse_keyer.h"
#include "phase_shaper.h"
#include "symbol_mapper.h"
#include "upconverter.h"

#include <array>
#include <complex>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace pskmodem {

class Transmitter {
public:
    static constexpr std::size_t kAmbleSamples = 8192;     // preamble and postamble, 1.024 s
    static constexpr std::size_t kAbortFadeSamples = 40;   // 5 ms
    static constexpr std::size_t kMaxDrainSamples = 16000; // 2 s
    static constexpr int kCwLeadDots = 3;

    struct Report {
        static constexpr int kMax = 4;
        std::array<int32_t, kMax> statuses{};
        int count = 0;
        // The first `samples` samples of the chunk belong to a transmission and go to
        // the sink; the rest of the chunk is silence.
        std::size_t samples = 0;
        void add(int32_t status) {
            if (count < kMax)
                statuses[static_cast<std::size_t>(count++)] = status;
        }
    };

    Transmitter();

    // Back to receive at once, without a report.
    void reset();
    // Added to the transmit frequency (used to simulate a mistuned station).
    void set_frequency_offset(double hertz) { offset_ = hertz; }
    bool on_air() const { return phase_ != Phase::Receive; }

    // Produces out.size() samples. sinkBacklog: samples the sink holds but has not
    // played yet.
    Report process(ModemState &state, std::span<float> out, std::size_t sinkBacklog = 0);

private:
    enum class Phase { Receive, Preamble, Text, Postamble, Tune, Cw, Drain };

    void control(ModemState &state, Report &r, std::size_t chunk, std::size_t sinkBacklog);
    void begin(Report &r);
    void restart();
    void finish(ModemState &state, Report &r);
    void refill(ModemState &state);
    void refill_text(ModemState &state);
    void after_cw(ModemState &state);
    bool start_cw(const ModemState &state);
    void start_preamble();
    void start_postamble();
    void emit_bit(uint8_t bit);
    void emit_target(std::complex<float> target);
    std::size_t amble_symbols() const;

    Phase phase_ = Phase::Receive;
    TxControl ctl_;    // read at the start of the chunk
    int32_t mode_ = 0; // latched when the transmission starts
    uint32_t aborts_ = 0;
    bool stopSeen_ = false;
    bool forcedEnd_ = false; // a "return to receive" item was reached
    bool aborting_ = false;
    std::size_t fadeLeft_ = 0;
    std::size_t symbolsLeft_ = 0;
    std::size_t drained_ = 0;
    std::string_view bits_; // the character being sent, as '0'/'1'
    std::size_t bitPos_ = 0;
    int gapLeft_ = 0;               // zeros still owed after it
    std::optional<TxItem> pending_; // taken from the queue, not sent yet
    double offset_ = 0.0;

    SymbolMapper mapper_;
    PhaseShaper shaper_;
    Upconverter upconverter_;
    MorseKeyer keyer_;
    std::vector<std::complex<float>> baseband_;
    std::vector<float> envelope_;
    std::size_t bbLen_ = 0;
    std::size_t bbPos_ = 0;
};

} // namespace pskmodem
