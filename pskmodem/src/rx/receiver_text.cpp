// What a channel prints: the characters it holds back (at a possible onset, before its
// station settles, while the squelch is shut) and lets out or drops, the end of an over
// and the next one's preamble, and the QPSK squelch's gate on the decided symbols.
#include "receiver.h"

#include <algorithm>
#include <limits>

namespace pskmodem {

namespace {
// Symbols a character ended at a possible onset is held back for (the preamble's first
// symbols fade in, so the loud run may start a symbol late).
constexpr int kHoldSymbols = 4;
// QPSK decides each bit the trellis's depth late, so a station's first symbols flush the
// noise it held as characters well before its preamble can be told: while no station is
// held, characters wait this long, and a preamble found meanwhile drops them.
constexpr int kHoldSymbolsQpsk = 40;
// ... and in the first seconds after a tune, until the channel has found its station: a
// station found in the data it sends has its text since the tune decoded again (the
// acquirer keeps QpskAcquirer::kHistory symbols), so its characters wait as long as that
// can reach back.
constexpr int kHoldSymbolsSearching = QpskAcquirer::kHistory - QpskViterbi::kDepth - 16;
// A weak station opens the squelch a second or two after its first characters, and near
// the decoder's limit a burst of errors shuts it for as long again: the characters decoded
// while it is shut wait this long for it to open, and are dropped if it does not...
constexpr int kGateWait = 130;
constexpr int kGateWaitBpsk = 72;
// ... and come out once it has stayed open this long (for BPSK, or the signal shows a
// station): noise opens it for a moment now and then, which must not let out what it held.
constexpr int kGateSteadyQpsk = 8;
constexpr int kGateSteady = 32;
// Events of a piece kept free when waiting characters come out: a symbol's own (two
// characters and an IMD reading).
constexpr std::size_t kRoom = 3;
// BPSK: until the signal's quality shows a station (kSettledQuality), characters wait
// kWaitSymbols, and kIdleBits zeros in a row drop them: the idle of a preamble follows
// the noise and the first symbols' errors, while text goes on with the next character.
constexpr int kSettledQuality = 25;
constexpr int kWaitSymbols = 32;
constexpr int kIdleBits = 10;
// A run of idle this long is a preamble's, whatever the noise: at random it comes once in a
// million bits.
constexpr int kPreambleIdle = 20;
// A loop this firmly locked holds a clean station whatever the quality's slow mean says.
constexpr float kCleanLock = 0.8f;
} // namespace

std::size_t Receiver::release_waiting(int inputIndex, std::span<RxEvent> out) {
    std::size_t n = 0;
    if (rxMode_.qpsk) {
        // Each character waits its own time, in order.
        int k = 0;
        const bool locked = carrier_.slow_lock() >= track_lock();
        // A station found in its data since the tune is as good as held until its loop
        // locks: its text, decoded again, need not wait for a preamble to drop it.
        foundInData_ = foundInData_ && !locked;
        byPreamble_ = byPreamble_ && !locked;
        // After a clear preamble (noise makes none) the station is held once the loop locks
        // on it, not once its slow mean has built up a second or two later. Not before: a
        // loop still chasing a drifting station decodes garbage, which the station, found
        // again in its data, replaces while it waits.
        const bool held = locked || foundInData_ || (byPreamble_ && carrier_.lock() >= track_lock());
        fresh_ = fresh_ && searching_ && !placed_ && symbols_ < QpskAcquirer::kHistory;
        const int hold = fresh_ ? kHoldSymbolsSearching : kHoldSymbolsQpsk;
        // As many as the events of this piece leave room for (keeping some for the
        // symbol's own): the rest come out with the next symbols, not lost.
        while (k < heldCount_ && n + kRoom < out.size()) {
            const int waited = symbols_ - heldAt_[static_cast<std::size_t>(k)];
            // After an over's closing carrier the noise until the next preamble (or the
            // station found in its data) waits for it, and is dropped there.
            const bool afterOver =
                awaiting_ && !preambleSeen_ && heldAt_[static_cast<std::size_t>(k)] >= awaitingAt_;
            if ((!held && waited < hold) || afterOver)
                break;
            if (!squelch_.open() || gateRun_ < kGateSteadyQpsk) {
                if (waited < kGateWait)
                    break;
                ++k; // the squelch stayed shut on it
                continue;
            }
            out[n++] = RxEvent{RxEvent::Kind::Character, held_[static_cast<std::size_t>(k)], inputIndex};
            printedAt_ = heldAt_[static_cast<std::size_t>(k)];
            ++k;
        }
        std::copy(held_.begin() + k, held_.begin() + heldCount_, held_.begin());
        std::copy(heldAt_.begin() + k, heldAt_.begin() + heldCount_, heldAt_.begin());
        heldCount_ -= k;
    } else if (heldCount_ > 0) {
        // It was not an onset: what was held back comes out now (unless the squelch has
        // closed on it meanwhile), in order, each after its own wait.
        // After an over, the noise until the next one's preamble waits for it (as long as
        // the queue holds): let out now, it would land in front of the next over's text.
        const int wait = settled()                     ? kHoldSymbols
                         : awaiting_ && !preambleSeen_ ? std::numeric_limits<int>::max()
                                                       : kWaitSymbols;
        int k = 0;
        // Not while a loud symbol may be a station's first: it may drop them yet.
        // What does not fit in this piece's events waits for the next symbol (room is
        // left for the IMD reading and the characters this symbol ends).
        while (k < heldCount_ && onsetRun_ == 0 && symbols_ - heldAt_[static_cast<std::size_t>(k)] >= wait) {
            // A weak station's first characters come before its squelch opens: they wait
            // for it as QPSK's do.
            const bool open = squelch_.open() && (gateRun_ >= kGateSteady || settled());
            if (!open && symbols_ - heldAt_[static_cast<std::size_t>(k)] < kGateWaitBpsk)
                break;
            if (open && muteLeft_ == 0) {
                if (n + 3 > out.size())
                    break;
                out[n++] = RxEvent{RxEvent::Kind::Character, held_[static_cast<std::size_t>(k)], inputIndex};
            }
            ++k;
        }
        std::copy(held_.begin() + k, held_.begin() + heldCount_, held_.begin());
        std::copy(heldAt_.begin() + k, heldAt_.begin() + heldCount_, heldAt_.begin());
        heldCount_ -= k;
    }
    return n;
}

std::size_t Receiver::on_bit(SoftBit b, int inputIndex, std::span<RxEvent> out) {
    std::array<int, TextDecoder::kMaxOut + TextDecoder::kPending> chars{};
    int k = 0;
    if (rxMode_.qpsk) {
        k = varicode_.push(b, std::span<int, 2>(chars.data(), 2));
    } else {
        k = text_.push(b, std::span<int, TextDecoder::kMaxOut>(chars.data(), TextDecoder::kMaxOut));
        // An over's closing carrier: what the decoder still holds back ends the over.
        if (b.bit == 1 && oneRun_ + 1 == kFlushBits)
            k += text_.flush(std::span<int>(chars).subspan(static_cast<std::size_t>(k)));
    }
    std::size_t n = 0;
    // Zeros count towards a preamble only while something is heard: the noise after a
    // strong station's last symbol, far below it, decodes as idle too.
    zeroRun_ = b.bit == 0 && sinceFaint_ >= kFaintGuard ? zeroRun_ + 1 : 0;
    oneRun_ = b.bit == 1 ? oneRun_ + 1 : 0;
    sinceIdle_ = zeroRun_ >= kPreambleIdle ? 0 : std::min(sinceIdle_ + 1, 1 << 16);
    // (Only after a station: before one is held, a preamble far off frequency reads so.)
    if (oneRun_ == kCarrierBits && settled()) {
        awaiting_ = true;
        awaitingAt_ = symbols_;
        preambleSeen_ = false;
    }
    // A run of idle on a channel that holds no station yet is a preamble: what was
    // decoded just before it is noise, or the first symbols' errors.
    // (So is what the text decoder still holds back.)
    if (!rxMode_.qpsk && zeroRun_ == kIdleBits && !settled()) {
        heldCount_ = 0;
        preambleSeen_ = true;
        text_.reset();
        k = 0;
    }
    if (muteLeft_ > 0)
        return 0;
    // A BPSK station's first loud symbols end the noise run the decoder holds as a
    // character, a symbol before the onset is sure: hold such a character back until it is.
    // (Later characters queue behind them, to keep the order.) Every character waits while
    // the squelch is shut (see kGateWait), and a QPSK channel's while it holds no station
    // (see kHoldSymbolsQpsk).
    // (So do characters that this piece's events have no room for: the text decoder can let
    // out several at once, an over's closing carrier all it holds.)
    if (heldCount_ > 0 || static_cast<std::size_t>(k) > out.size() ||
        (!rxMode_.qpsk && onsetRun_ > 0 && onsetRun_ < kOnsetSymbols && carrier_.lock() < track_lock()) ||
        (!rxMode_.qpsk && !settled()) || !squelch_.open() ||
        (rxMode_.qpsk && (carrier_.slow_lock() < track_lock() || awaiting_))) {
        for (int i = 0; i < k; ++i) {
            // A full queue lets its oldest character go rather than lose one.
            if (heldCount_ == static_cast<int>(held_.size())) {
                if (n < out.size() && squelch_.open())
                    out[n++] = RxEvent{RxEvent::Kind::Character, held_[0], inputIndex};
                printedAt_ = heldAt_[0];
                std::copy(held_.begin() + 1, held_.end(), held_.begin());
                std::copy(heldAt_.begin() + 1, heldAt_.end(), heldAt_.begin());
                --heldCount_;
            }
            // A BPSK character's last bits came in BpskDetector::kDelay symbols ago at
            // least (the text decoder may have held it longer): its wait runs from then.
            heldAt_[static_cast<std::size_t>(heldCount_)] =
                rxMode_.qpsk ? symbols_ : symbols_ - BpskDetector::kDelay;
            held_[static_cast<std::size_t>(heldCount_++)] = chars[static_cast<std::size_t>(i)];
        }
        return n;
    }
    for (int i = 0; i < k && n < out.size(); ++i)
        out[n++] = RxEvent{RxEvent::Kind::Character, chars[static_cast<std::size_t>(i)], inputIndex};
    if (k > 0)
        printedAt_ = symbols_;
    return n;
}

void Receiver::gate_on_decided(cf v, int bit) {
    // The symbol whose bit the decoder decides now came kDepth - 1 symbols before this one.
    const cf decidedSymbol = loopRing_[static_cast<std::size_t>(loopNext_)];
    loopRing_[static_cast<std::size_t>(loopNext_)] = v;
    loopNext_ = (loopNext_ + 1) % static_cast<int>(loopRing_.size());
    if (bit < 0)
        return;
    decidedBits_ = ((decidedBits_ << 1) | static_cast<unsigned>(bit)) & 31u;
    // After a stretch decoded again the decoders start afresh: their first decisions
    // and the symbols kept from before do not belong together.
    if (gateHoldoff_ > 0) {
        if (--gateHoldoff_ == 0)
            squelch_.new_reference();
        return;
    }
    decidedPhase_ = (decidedPhase_ + QpskViterbi::phase_change(decidedBits_, rxMode_.lsb)) & 3;
    squelch_.gate(decided_back(decidedSymbol, decidedPhase_));
}

cf Receiver::decided_back(cf symbol, int quarters) {
    // Turned back by the decided phase: a station's symbols all point one way (the loop's
    // own turn, which the squelch's reference takes out).
    static constexpr std::array<cf, 4> kBack{cf{1.0f, 0.0f}, cf{0.0f, -1.0f}, cf{-1.0f, 0.0f},
                                             cf{0.0f, 1.0f}};
    return cmul(symbol, kBack[static_cast<std::size_t>(quarters & 3)]);
}

void Receiver::drop_waiting() {
    // Noise from before a station came on: nor is it decoded again later, up to the last
    // bits the trellis still holds from then.
    heldCount_ = 0;
    droppedAt_ = symbols_ + QpskViterbi::kDepth + 2;
    foundInData_ = byPreamble_ = false;
}

bool Receiver::settled() const {
    return !awaiting_ && (squelch_.quality() >= kSettledQuality || carrier_.lock() >= kCleanLock);
}

} // namespace pskmodem
