// One receive channel: audio at 8000 Hz in, characters out.
//
//   mixer -> decimator (to 16 samples a symbol) -> symbol filter (QPSK: matched filter
//         and equaliser) -> symbol timing -> carrier loop -> bits (BPSK: coherent
//         decisions compared symbol to symbol; QPSK: Viterbi) -> Varicode -> squelch gate
//
// A frequency discriminator on the decimator's output finds the signal after a
// retune (within the capture range) and steers the AFC until the carrier loop locks;
// from then on the loop's frequency steers it. Without lock, bits come from comparing
// neighbouring symbols, which survives fast phase changes. Idle stretches feed the IMD
// meter; the timing loop's drift measures the sample clock.
#pragma once

#include "bpsk_detector.h"
#include "carrier_loop.h"
#include "decimator.h"
#include "equalizer.h"
#include "frequency_tracker.h"
#include "imd_meter.h"
#include "matched_filter.h"
#include "mixer.h"
#include "modem_state.h"
#include "phase_smoother.h"
#include "qpsk_acquirer.h"
#include "qpsk_viterbi.h"
#include "rx_types.h"
#include "squelch.h"
#include "symbol_filter.h"
#include "symbol_timing.h"
#include "text_decoder.h"
#include "varicode_decoder.h"

#include <array>
#include <span>

namespace pskmodem {

struct RxEvent {
    enum class Kind { Character, Imd };
    Kind kind;
    int value;      // the character, or the IMD in dB
    int inputIndex; // sample of the process() input at which it was known
};

class Receiver {
public:
    static constexpr std::size_t kPiece = 256;    // input handled at a time
    static constexpr std::size_t kMaxEvents = 12; // per kPiece of input, at most
    static constexpr int kClockSymbols = 600;     // clock readings span ~19 s at 31.25 baud
    static constexpr int kClockSettle = 250;      // locked symbols before measuring

    Receiver();
    // Applies the program's settings: a change of mode, a new tuning or switching on
    // start the channel afresh; AFC and squelch settings take effect at once.
    void configure(const ChannelSettings &s);
    // Starts decoding afresh where it is tuned now (used by rewind).
    void restart();
    bool enabled() const { return enabled_; }
    // Returns the number of events written; out needs kMaxEvents per kPiece of input.
    std::size_t process(std::span<const float> in, std::span<RxEvent> out);

    int level() const { return squelch_.level(); }
    bool squelch_open() const { return squelch_.open(); }
    double frequency() const { return hz_ + offset_; }
    // Where the oscillator sits: the frequency plus, with capture and AFC off, the offset
    // of a BPSK station that the carrier loop holds.
    double oscillator() const { return hz_ + offset_ + trim_; }
    // 16 values 0..1000: the sync profile (see pskmodem.h).
    std::array<int32_t, 16> sync() const;
    // 8 (x, y) pairs -1000..1000, oldest first: the latest symbols' phase changes.
    std::array<int32_t, 16> vectors() const;
    // A clock error reading once kClockSymbols locked symbols have been measured.
    bool take_clock_ppm(double &ppm);

private:
    static constexpr int kAcquireSymbols = 40;
    // Symbols without a look at reversals after which the next is another preamble.
    static constexpr int kReversalGap = 16;
    // Coherence of the phase changes above which a BPSK loop steers the AFC without lock.
    static constexpr float kSteerCoherence = 0.45f;
    static constexpr double kNoFrequency = 1e9;
    // Symbols this much above the running mean amplitude in a row are a signal's onset.
    static constexpr int kOnsetSymbols = 2;
    // Ones in a row that no text has: an unmodulated carrier, the end of an over. The
    // channel then waits again for a preamble before reporting characters at once.
    static constexpr int kCarrierBits = 16;
    // Ones after which the BPSK text decoder lets out what it holds back (before the
    // channel takes the carrier for the over's end).
    static constexpr int kFlushBits = kCarrierBits - 4;
    // After a symbol far below the mean amplitude (the noise after a station), the bits of
    // this many symbols are no preamble.
    static constexpr int kFaintGuard = 3;

    void start_fresh();
    std::size_t piece(std::span<const float> in, std::span<RxEvent> out);
    std::size_t on_symbol(cf y, int inputIndex, std::span<RxEvent> out);
    std::size_t on_bit(SoftBit b, int inputIndex, std::span<RxEvent> out);
    // The characters held back that may come out now, in order.
    std::size_t release_waiting(int inputIndex, std::span<RxEvent> out);
    void steer(double symbolSeconds);
    void trim(double symbolSeconds);
    // A QPSK channel moved by noise goes back to where it was tuned.
    void return_home();
    void acquire_qpsk(cf u, double symbolSeconds);
    void use_sideband(bool lsb);
    void decode_again(double hz, double rate);
    void drop_waiting();
    // The text decoders start afresh: what they hold back is dropped.
    void reset_text() {
        varicode_.reset();
        text_.reset();
    }
    // QPSK: the loop's symbol v (unit amplitude) and the bit the decoder decided now
    // (-1: none yet) in, the decided symbol to the squelch.
    void gate_on_decided(cf v, int bit);
    // ... and the stretch a found station's kept symbols were decoded again into.
    void gate_on_decoded_again(double hz, double rate, std::span<const uint8_t> bits);
    static cf decided_back(cf symbol, int quarters);
    void search_from_here();
    bool capture(std::span<const cf> base);
    double search_half_width() const;
    double follow_limit() const;
    void jump(double delta);
    void take_capture();
    void put_loop_on(double hz, double symbolSeconds);
    void move_to(double hz, bool fixed, double symbolSeconds);
    bool false_lock(double delta) const;
    float track_lock() const;
    bool steady_turn() const;
    float coherent_lock() const;
    bool settled() const;

    bool enabled_ = false;
    int32_t mode_ = -1;
    uint32_t tuneSerial_ = 0;
    RxMode rxMode_;
    double hz_ = 1000.0;
    double offset_ = 0.0; // AFC, Hz
    // With capture and AFC off, what the oscillator follows of a locked BPSK loop, Hz;
    // the channel's frequency stays where it was tuned.
    double trim_ = 0.0;
    int captureRange_ = 0;
    int afcLimit_ = 0;
    bool searching_ = false;
    double movedHz_ = 0.0; // AFC movement since the capture's block started
    bool placed_ = false;  // a station has been found since the channel was tuned
    bool fresh_ = false;   // ... nor since, and the channel looks for it
    double anchor_ = 0.0;  // the offset the capture's range was set from
    double anchorPhase_ = 0.0;
    double captured_ = 0.0; // where the capture found a station, from the oscillator

    Mixer mixer_;
    Decimator decimator_;
    // BPSK: the selective filter. QPSK keeps the matched filter and equaliser: its
    // acquisition, judged on their output, found stations 0.3-1 dB later behind the
    // selective filter.
    SymbolFilter filter_;
    MatchedFilter matchedFilter_;
    Equalizer equalizer_;
    FrequencyTracker fll_;
    SymbolTiming timing_;
    CarrierLoop carrier_;
    QpskAcquirer acquirer_;
    // The oscillator's offset for the latest pieces, newest first: what comes out of the
    // filters now was mixed a couple of symbols ago.
    std::array<double, 4> mixedOffset_{};
    double frameOffset_ = 0.0;
    int wideSkip_ = 0;
    double acquiredHz_ = 0.0;    // the acquirer's last finding, to be confirmed
    bool acquiredOther_ = false; // ... on the other sideband
    double acquiredRate_ = 0.0;  // ... drifting at this rate, Hz a second
    int acquiredAt_ = 0;         // ... at this symbol
    double slipHz_ = 0.0;        // a line a slipping loop was found beside, to be confirmed
    int lastReversal_ = 0;       // symbol of the latest look that found reversals
    double bestReversal_ = 0.0;  // the clearest of them in this preamble
    BpskDetector detector_;
    QpskViterbi viterbiCoherent_{true};
    QpskViterbi viterbiDifferential_{false};
    // BPSK: decisions through a fade, from the symbols on both sides.
    PhaseSmoother smoother_;
    VaricodeDecoder varicode_; // QPSK
    TextDecoder text_;         // BPSK
    float quadrature_ = 0.0f;
    int deepRun_ = 0;
    Squelch squelch_;
    ImdMeter imd_;

    int symbols_ = 0;
    float amplitude_ = 0.0f;
    float recentLevel_ = 0.0f, quietLevel_ = 0.0f;
    bool risen_ = false;
    cf uPrev_{};
    // QPSK: the loop's latest symbols, back to the one the Viterbi decoder decides now,
    // and the transmitter's phase (quarter turns) and newest bits as decided: the
    // squelch measures each symbol turned back by its decision.
    std::array<cf, QpskViterbi::kDepth - 1> loopRing_{};
    int loopNext_ = 0;
    unsigned decidedBits_ = 0;
    int gateHoldoff_ = 0; // symbols until the live decisions line up again
    int decidedPhase_ = 0;
    std::array<cf, 8> vectorRing_{};
    int vectorNext_ = 0;
    int lockedRun_ = 0;
    int idleRun_ = 0;       // QPSK: symbols without holding a station while moved off the tuning
    bool heldAway_ = false; // ... and a station has been held there
    int heldRun_ = 0;
    int acquireLeft_ = 0;
    int muteLeft_ = 0; // symbols before characters are reported again
    int lostRun_ = 0;
    int onsetRun_ = 0;
    std::array<int, 64> held_{};   // characters held back at a possible onset
    std::array<int, 64> heldAt_{}; // ... and the symbol each was held at
    int heldCount_ = 0;
    int gateRun_ = 0;           // symbols the squelch has been open for
    int printedAt_ = 0;         // the symbol at which the latest character printed was decoded
    int droppedAt_ = 0;         // ... and up to which the waiting ones were dropped as noise
    int differentialLeft_ = 0;  // QPSK symbols before coherent decisions are taken again
    bool foundInData_ = false;  // QPSK: the station was found in its data (and decoded again)
    bool byPreamble_ = false;   // ... or by a clear preamble
    int erasedLeft_ = 0;        // QPSK symbols the decoders are given nothing for (see decode_again)
    int sinceFaint_ = 0;        // symbols since one fell far below the mean amplitude
    int zeroRun_ = 0;           // zeros in a row among the latest bits
    int oneRun_ = 0;            // ... and ones
    int sinceIdle_ = 1 << 16;   // bits since a preamble's idle (BPSK), up to 1 << 16
    bool awaiting_ = false;     // an over has ended; the next one's preamble is awaited
    bool preambleSeen_ = false; // ... and has been seen
    int awaitRun_ = 0;          // locked symbols since, outside a carrier
    int awaitingAt_ = 0;        // the symbol the over ended at

    std::array<cf, kPiece> mixed_{};
    std::array<cf, kPiece / 8 + 2> base_{};
    std::array<cf, kPiece / 8 + 2> anchored_{};
    std::array<cf, kPiece / 8 + 2> matched_{};
    std::array<cf, kPiece / 8 + 2> filtered_{};
    std::array<SymbolSample, kPiece / 8 + 2> symbolsOut_{};
};

} // namespace pskmodem
