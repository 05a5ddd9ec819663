// Finding and following the station: the capture after a retune, the AFC, and the QPSK
// acquirer's decisions, and decoding again the text of a QPSK station found in its data.
// The rest of the receive chain is in receiver.cpp.
#include "receiver.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace pskmodem {

namespace {
constexpr double kTwoPi = 2.0 * std::numbers::pi;
// Symbols after a QPSK station found in its data for which the bits come from the phase
// changes, while the loop settles on it.
constexpr int kDifferentialSymbols = 32;
// Half the width searched by the capture at least, in Hz at 31.25 baud (twice that at
// 62.5): a station clicked a little off is found, one 40 Hz away is not.
constexpr double kSearchHz = 15.0;
// How far beyond half a baud a placed BPSK channel still looks (see jump()).
constexpr double kToneMarginHz = 1.5;
// A BPSK loop pulls in a station this close (Hz at 31.25 baud) by itself.
constexpr double kPullInHz = 5.0;
// ... while its lock figure shows at least this much, or it is not yet this far (of its
// range) from where it started.
constexpr float kPullingLock = 0.2f;
constexpr double kPulledToTheEnd = 0.75;
// A capture this close to where the loop is moves it without starting it again.
constexpr double kSmallJumpHz = 2.0;
// A QPSK station the capture finds this far (Hz at 31.25 baud) from where the loop was has
// its kept symbols decoded again: the loop was not on it.
constexpr double kDecodeAgainHz = 4.0;
// An onset seen more than this many symbols after the level last rose from the noise
// (where the symbols decoded again begin) was not the station coming on: its own comes
// within a few symbols of the rise, which is found in blocks of eight, while a false one
// (the station's ups and downs, or its level rising from the first symbols after a tune,
// which come out of the filters weaker) comes a second or more into its text.
constexpr int kLateOnsetSymbols = 16;
// The receive filters span four symbols (the outer ones with little of the pulse in
// them). A QPSK station found in its data and moved to this far (Hz at 31.25 baud: across
// that span the move turns the oldest samples half a turn against the newest) comes out
// of them garbled for the symbols still in flight, the first the live decoders are given
// after its text decoded again: they are given nothing for these, and bridge them by the
// code. (After a smaller move they still carry more than they garble: erasing them after
// 3 Hz cost a weak station more characters than it saved.)
constexpr double kGarbledJumpHz = 4.0;
constexpr int kGarbledSymbols = 3;
// A QPSK loop this close to a line the capture found (Hz at 31.25 baud) is on it.
constexpr double kOnLineHz = 0.25;
// How far within the QPSK loop's range a preamble is followed with capture and AFC off.
constexpr double kLoopReach = 0.9;
// AFC movement after which what the capture has collected is stale.
constexpr double kStaleSearchHz = 0.5;
// A BPSK capture this close keeps what the decoders hold.
constexpr double kKeepJumpHz = 4.0;
// How close to a false lock's offset a line must be to be taken from a locked loop.
constexpr double kFalseLockHz = 1.5;
// AFC gain, as the fraction of the loop's frequency handed to the oscillator each symbol.
constexpr double kTrackGain = 0.05;
// How far the oscillator follows a BPSK loop with capture and AFC off, in Hz at 31.25
// baud: about as far as the loop itself reaches.
constexpr double kTrimHz = 6.0;
// Symbols a QPSK loop must have read locked in a row before it steers: noise alone reads
// locked for a few symbols now and then, and so walked a channel waiting for its station
// by some hertz in five minutes; a station holds the lock far longer.
constexpr int kSteerRunQpsk = 24;
// ... when the loop's frequency is within this of the one the phase changes show (Hz at
// 31.25 baud, scaled with the baud).
constexpr double kSteerAgreeHz = 1.0;
// How far a locked signal is followed at least with AFC on, in Hz at 31.25 baud (twice
// that at 62.5).
constexpr double kFollowHz = 25.0;
// The QPSK acquirer takes a station found in the data when its path grows faster than
// at the loop's frequency by a margin (QpskAcquirer::Finding) that a stronger
// fourth-power line may have less of: these pairs of line and margin, and between them
// on straight lines. Noise alone passed them ten times in nine hours, and twice in a row
// (which is what moves the channel) once; it never made a line of 30.
constexpr std::array<std::pair<double, double>, 4> kAcquireNeeds{
    {{QpskAcquirer::kMinScore, 0.7}, {16.0, 0.5}, {20.0, 0.4}, {30.0, 0.2}}};

double margin_needed(double score) {
    if (score < kAcquireNeeds.front().first)
        return std::numeric_limits<double>::infinity();
    for (std::size_t i = 1; i < kAcquireNeeds.size(); ++i) {
        const auto [s1, m1] = kAcquireNeeds[i];
        if (score < s1) {
            const auto [s0, m0] = kAcquireNeeds[i - 1];
            return m0 + (m1 - m0) * (score - s0) / (s1 - s0);
        }
    }
    return kAcquireNeeds.back().second;
}
constexpr double kAcquireNearHz = 1.0;
// How much more power a matched filter must take in at a station than at its twin half a
// baud away for the station to be told from the twin.
constexpr double kTwinPower = 1.4;
// A fourth-power line at least this strong, and closer than this many kAcquireNearHz to
// a loop without lock, marks the loop as slipping beside its station.
constexpr double kSlipScore = 20.0;
constexpr double kSlipNear = 2.0;
constexpr double kAcquireAgainHz = 0.4;
// A channel moved off its tuning without having held a station there goes back after
// this many symbols without holding one (8 s at 31.25 baud). Noise alone now and then
// decodes well enough somewhere for the QPSK acquirer to take it (eight hertz off, once
// in an hour), shows a line the capture takes (BPSK, 5 to 15 Hz off, once in some ten
// hours), or reads locked long enough to steer the AFC by a hertz; a channel left there
// waits for its station beyond the loop's pull-in, or with the capture range off
// centre.
constexpr int kReturnSymbols = 250;
// ... the slow lock figure below which the loop holds nothing: noise alone stays below it
// for that long now and then, a -14 dB station hardly ever (below 0.04 noise stays
// above it for tens of seconds now and then). And the symbols the narrow
// loop must have held a station for the channel to stay where it was moved (the
// station's next over will be there).
constexpr float kHoldingLock = 0.055f;
constexpr int kHeldRunStays = 32;
} // namespace

double Receiver::search_half_width() const {
    return std::max(static_cast<double>(captureRange_), kSearchHz * rxMode_.baud() / 31.25);
}

double Receiver::follow_limit() const {
    const double scale = rxMode_.baud() / 31.25;
    if (afcLimit_ > 0)
        return std::max({static_cast<double>(afcLimit_), search_half_width(), kFollowHz * scale});
    return captureRange_ > 0 ? search_half_width() : 0.0;
}

void Receiver::search_from_here() {
    // Around where the channel is now (the tuned frequency after a retune, or where the
    // signal was last followed to), but never beyond the follow limit.
    // With AFC on, a channel tuned exactly (a track clicked on the waterfall) still looks
    // for its station nearby: a click rarely lands on the carrier itself.
    searching_ = captureRange_ > 0 || afcLimit_ > 0;
    if (!searching_)
        return;
    const double w = search_half_width();
    const double limit = follow_limit();
    const double lo = std::max(offset_ - w, -limit) - offset_;
    const double hi = std::min(offset_ + w, limit) - offset_;
    fll_.set_search(lo, hi, rxMode_.qpsk);
    anchor_ = offset_;
    anchorPhase_ = 0.0;
    placed_ = false;
}

bool Receiver::false_lock(double delta) const {
    // A station the loop already holds is not left for another line in the range, but
    // a loop a quarter of the baud off (QPSK; half of it for BPSK) turns the symbols by
    // exactly one constellation step each and looks locked: a line found that far away
    // is the station itself.
    const double step = rxMode_.baud() * (rxMode_.qpsk ? 0.25 : 0.5);
    return std::fabs(std::fabs(delta) - step) < kFalseLockHz * rxMode_.baud() / 31.25;
}

void Receiver::jump(double delta) {
    const double next = std::clamp(offset_ + delta, -follow_limit(), follow_limit());
    delta = next - offset_;
    offset_ = next;
    mixer_.set_frequency(hz_ + offset_);
    if (rxMode_.qpsk) {
        fll_.restart();
    } else {
        // A fade deep at the carrier but not beside it leaves of a preamble only one of the
        // idle's tones, half a baud off, which looks like a carrier. Around a placed
        // channel the search reaches a little beyond half a baud, to the station itself,
        // which the loop then cannot hold there (see false_lock()).
        const double w =
            std::max(search_half_width(), 0.5 * rxMode_.baud() + kToneMarginHz * rxMode_.baud() / 31.25);
        const double limit = follow_limit();
        fll_.set_search(std::max(offset_ - w, -limit) - offset_, std::min(offset_ + w, limit) - offset_,
                        false);
    }
    movedHz_ = 0.0;
    placed_ = true;
    const double hz = std::fabs(delta) * 31.25 / rxMode_.baud();
    // The loop may already have pulled itself onto the line the capture found.
    const double loopHz = carrier_.frequency() * rxMode_.baud() / kTwoPi;
    const double away = std::fabs(delta - loopHz) * 31.25 / rxMode_.baud();
    if (rxMode_.qpsk && away >= kOnLineHz && away < kSmallJumpHz) {
        put_loop_on(0.0, rxMode_.symbolSamples / 8000.0);
        return;
    }
    if (away < kSmallJumpHz) {
        // Close to where the loop already is: move under it without starting again.
        carrier_.shift_frequency(kTwoPi * delta * rxMode_.symbolSamples / 8000.0);
        return;
    }
    carrier_.reset();
    acquireLeft_ = kAcquireSymbols;
    lostRun_ = 0;
    // A BPSK station a few hertz from where the channel was may already have been copied
    // by comparing neighbouring symbols: keep what the decoders hold.
    if (!rxMode_.qpsk && hz < kKeepJumpHz)
        return;
    // Bits decoded before the jump, still in the decoders, are noise.
    muteLeft_ = rxMode_.qpsk ? QpskViterbi::kDepth + 2 : 2;
}

bool Receiver::capture(std::span<const cf> base) {
    // Until a station has been found, the capture looks from where the search began,
    // however the oscillator moves meanwhile: an AFC pulled (before lock) onto one of the
    // idle's tones, half the baud beside a carrier clicked further off than the phase
    // changes can tell, must not take the carrier out of its range, nor restart its
    // block at every step and so never finish one.
    std::span<const cf> in = base;
    if (!placed_) {
        const double step = kTwoPi * (offset_ - anchor_) / (rxMode_.baud() * kRxSamplesPerSymbol);
        for (std::size_t i = 0; i < base.size(); ++i) {
            anchored_[i] = cmul(base[i], cf(static_cast<float>(std::cos(anchorPhase_)),
                                            static_cast<float>(std::sin(anchorPhase_))));
            anchorPhase_ = std::remainder(anchorPhase_ + step, kTwoPi);
        }
        in = std::span<const cf>(anchored_.data(), base.size());
    }
    if (!fll_.process(in))
        return false;
    captured_ = fll_.offset_hz() + (placed_ ? 0.0 : anchor_ - offset_);
    // A weak station only the longer look (or its preamble's tones) shows, near where the
    // loop already is, is being pulled in by the loop: moving it under the loop then costs
    // symbols. A loop without a trace of lock, though, is not pulling in the station whose
    // preamble's tones were found (at -11 dB, 4 Hz from it, it can sit at the end of its
    // range for seconds).
    const double loopHz = carrier_.frequency() * rxMode_.baud() / kTwoPi;
    const bool pulling =
        !fll_.found_tones() || carrier_.lock() >= kPullingLock ||
        std::fabs(loopHz) < kPulledToTheEnd * carrier_.max_frequency() * rxMode_.baud() / kTwoPi;
    if (fll_.found_weak() && pulling && std::fabs(captured_ - loopHz) < kPullInHz * rxMode_.baud() / 31.25)
        return false;
    return carrier_.lock() < track_lock() || false_lock(captured_);
}

void Receiver::take_capture() {
    const double symbolSeconds = rxMode_.symbolSamples / 8000.0;
    const double loop = offset_ + carrier_.frequency() / (kTwoPi * symbolSeconds);
    jump(captured_);
    // A QPSK station the capture found in its data well away from where the loop was: what
    // the decoders made of it meanwhile is noise, but the acquirer still holds its symbols.
    if (rxMode_.qpsk && std::fabs(offset_ - loop) > kDecodeAgainHz * rxMode_.baud() / 31.25)
        decode_again(offset_, 0.0);
}

void Receiver::put_loop_on(double hz, double symbolSeconds) {
    // A QPSK loop a little off the line does not pull in by itself once narrow: it slips
    // a quarter turn after another for many seconds. Put it on the line, keeping its
    // phase, and let it settle wide.
    carrier_.shift_frequency(carrier_.frequency() - kTwoPi * hz * symbolSeconds);
    acquireLeft_ = kAcquireSymbols;
}

void Receiver::move_to(double hz, bool fixed, double symbolSeconds) {
    // With capture and AFC off only the loop moves (the finding lies within its reach).
    if (fixed)
        put_loop_on(hz - offset_, symbolSeconds);
    else
        jump(hz - offset_);
}

void Receiver::acquire_qpsk(cf u, double symbolSeconds) {
    const bool locked = carrier_.slow_lock() > track_lock();
    QpskAcquirer::Look look = acquirer_.push(u, frameOffset_, locked);
    if (look == QpskAcquirer::Look::None)
        return;
    // With capture and AFC off the oscillator stays where it was tuned; a station within
    // the carrier loop's reach still has the loop put on it.
    const bool fixed = captureRange_ == 0 && afcLimit_ == 0;
    const double w = search_half_width(), limit = follow_limit();
    const double reach = kLoopReach * carrier_.max_frequency() / (kTwoPi * symbolSeconds);
    const double lo = fixed ? -reach : std::max(offset_ - w, -limit);
    const double hi = fixed ? reach : std::min(offset_ + w, limit);
    const double onLine = kOnLineHz * rxMode_.baud() / 31.25;
    const double here = offset_ + carrier_.frequency() / (kTwoPi * symbolSeconds);
    QpskAcquirer::Finding f;
    // A drifting station is looked for only where the oscillator can follow it.
    const bool found = acquirer_.analyse(look, lo, hi, here, locked, !fixed, f);
    const double near = kAcquireNearHz * rxMode_.baud() / 31.25;
    if (found && f.reversals) {
        // A preamble: nothing else looks like it. Its frequency is told best while the
        // look lies wholly within it, and drifts off as the look slides into the text:
        // act on each clearer look of the same preamble, not on later ones.
        if (symbols_ - lastReversal_ > kReversalGap) {
            bestReversal_ = 0.0;
            // A new preamble: what the trellis and the Varicode decoder hold from before
            // it is noise (or the end of another over, long since printed), and the
            // preamble's zeros would end it as a stray character.
            muteLeft_ = std::max(muteLeft_, QpskViterbi::kDepth + 2);
            drop_waiting();
            // ... and the next over begins.
            preambleSeen_ = true;
        }
        lastReversal_ = symbols_;
        // How closely a look tells the frequency: its variance goes as one over the
        // line's strength and the square of the symbols it spans.
        const double clarity = f.score * f.symbols * f.symbols;
        if (clarity <= bestReversal_)
            return;
        bestReversal_ = clarity;
        // Its decisions come the trellis's depth late, and the squelch's level would take
        // a second more to rise from the noise's: a preamble this clear opens it now.
        squelch_.prime();
        byPreamble_ = true;
        // The oscillator goes there, and a loop not on it (left somewhere else by the
        // noise before the station, or by an earlier, rougher look) is put there: the
        // narrow loop does not pull in from half a hertz without slipping for seconds.
        // What the decoders hold from a loop that far off is noise, or the last over's
        // station; the preamble carries no characters.
        if (std::fabs(f.hz - here) > onLine || (!fixed && std::fabs(f.hz - offset_) > near)) {
            if (std::fabs(f.hz - here) > near)
                muteLeft_ = std::max(muteLeft_, QpskViterbi::kDepth + 2);
            move_to(f.hz, fixed, symbolSeconds);
        }
        return;
    }
    if (look != QpskAcquirer::Look::Full)
        return;
    // A station found in the data, decoding clearly better than where the loop is: go
    // there. Noise alone makes such a line now and then, but not twice in one place.
    // So is a station that decodes clearly better with the sidebands swapped.
    // A loop on the station's twin half a baud away decodes it as well as the station itself,
    // every bit inverted, so the margin cannot tell them apart: the station must then decode
    // clearly better than a quarter baud beside it, and stand clearly stronger than its twin.
    const bool twin = found && f.twinPower >= kTwinPower && f.twinMargin >= margin_needed(f.score);
    const bool better = twin || (found && f.margin >= margin_needed(f.score) &&
                                 (std::fabs(f.hz - here) > near || f.otherSideband));
    // (A drifting station has moved on between the looks at the rate found.)
    const double expected = acquiredHz_ + acquiredRate_ * (symbols_ - acquiredAt_) * symbolSeconds;
    const bool again = better && std::fabs(f.hz - expected) < kAcquireAgainHz * rxMode_.baud() / 31.25 &&
                       f.otherSideband == acquiredOther_ && f.rate == acquiredRate_;
    acquiredHz_ = better && !again ? f.hz : kNoFrequency;
    acquiredOther_ = f.otherSideband;
    acquiredRate_ = f.rate;
    acquiredAt_ = symbols_;
    if (again) {
        if (f.otherSideband)
            use_sideband(!rxMode_.lsb);
        if (std::fabs(f.hz - here) > onLine)
            move_to(f.hz, fixed, symbolSeconds);
        if (f.rate != 0.0)
            carrier_.take_drift(kTwoPi * f.rate * symbolSeconds * symbolSeconds);
        decode_again(f.hz, f.rate);
        return;
    }
    // A loop without lock a few tenths of a hertz from a clear line is slipping a quarter
    // turn after another (left off by a rough settling, or a fade): the path there decodes
    // hardly better, as the symbol-to-symbol changes barely notice so small an offset, but
    // the line itself is plain. Put the loop on it, again only when two looks agree.
    const double gap = std::fabs(f.hz - here);
    const bool slipping = found && !locked && f.score >= kSlipScore && gap > onLine && gap < near * kSlipNear;
    const bool slipAgain = slipping && std::fabs(f.hz - slipHz_) < kAcquireAgainHz * rxMode_.baud() / 31.25;
    slipHz_ = slipping && !slipAgain ? f.hz : kNoFrequency;
    if (slipAgain)
        move_to(f.hz, fixed, symbolSeconds);
}

void Receiver::return_home() {
    if (offset_ == 0.0) {
        heldAway_ = false;
        idleRun_ = 0;
        return;
    }
    heldAway_ = heldAway_ || heldRun_ >= kHeldRunStays;
    if (heldAway_)
        return;
    idleRun_ = carrier_.slow_lock() >= kHoldingLock ? 0 : idleRun_ + 1;
    if (idleRun_ < kReturnSymbols)
        return;
    // Back where the operator tuned, looking afresh from there; what the decoders hold
    // was decoded off frequency on noise.
    idleRun_ = 0;
    offset_ = 0.0;
    mixer_.set_frequency(hz_ + offset_ + trim_);
    carrier_.reset();
    acquireLeft_ = kAcquireSymbols;
    lostRun_ = 0;
    acquiredHz_ = kNoFrequency;
    slipHz_ = kNoFrequency;
    muteLeft_ = std::max(muteLeft_, QpskViterbi::kDepth + 2);
    foundInData_ = byPreamble_ = false;
    search_from_here();
}

void Receiver::steer(double symbolSeconds) {
    return_home();
    // Only a locked loop steers, or a BPSK loop on a signal whose phase turns steadily
    // (a drifting station pulls the loop to the end of its range before it locks): the
    // oscillator takes over what the loop was tracking.
    if (afcLimit_ == 0) {
        trim(symbolSeconds);
        return;
    }
    // A QPSK loop's measured drift is taken over at once, whatever the lock: a loop that
    // follows 1 Hz/s at its own frequency reaches the end of its range (4 Hz) in a few
    // seconds, and a weak station's lock comes and goes too often for the run the
    // steering below waits for. (The rate leaks away without a signal.)
    const double rateHz = rxMode_.qpsk ? carrier_.frequency_rate() / (kTwoPi * symbolSeconds) : 0.0;
    const bool steering =
        (carrier_.lock() > track_lock() || steady_turn()) && (!rxMode_.qpsk || lockedRun_ >= kSteerRunQpsk);
    if (!steering && rateHz == 0.0)
        return;
    const double limit = follow_limit();
    double delta = rateHz + (steering ? kTrackGain * carrier_.frequency() / (kTwoPi * symbolSeconds) : 0.0);
    if (!std::isfinite(delta))
        return;
    const double next = std::clamp(offset_ + delta, -limit, limit);
    delta = next - offset_;
    if (delta == 0.0)
        return;
    offset_ = next;
    carrier_.shift_frequency(kTwoPi * delta * symbolSeconds);
    mixer_.set_frequency(hz_ + offset_);
    // What the capture collected before the oscillator moved measures from where it
    // was: start its block afresh once that would matter.
    movedHz_ += std::fabs(delta);
    if (searching_ && placed_ && movedHz_ > kStaleSearchHz * rxMode_.baud() / 31.25) {
        fll_.restart();
        movedHz_ = 0.0;
    }
}

void Receiver::trim(double symbolSeconds) {
    // With capture and AFC off the channel stays where it was tuned, but the oscillator
    // still takes over the offset a locked BPSK loop holds: the symbol filter is made for
    // a signal at 0 Hz, and one 3 Hz off comes out of it leaning, a tenth of a dB weaker
    // and with a little of its neighbouring symbols in it, which costs a quarter of a dB.
    if (rxMode_.qpsk || captureRange_ > 0 || carrier_.lock() <= track_lock())
        return;
    const double limit = kTrimHz * rxMode_.baud() / 31.25;
    const double delta =
        std::clamp(trim_ + kTrackGain * carrier_.frequency() / (kTwoPi * symbolSeconds), -limit, limit) -
        trim_;
    if (delta == 0.0 || !std::isfinite(delta))
        return;
    trim_ += delta;
    carrier_.shift_frequency(kTwoPi * delta * symbolSeconds);
    mixer_.set_frequency(hz_ + offset_ + trim_);
}

bool Receiver::steady_turn() const {
    // The loop must be where the phase changes say the signal is: a loop off by half
    // the baud (or on another line) sees the same steady turn.
    return !rxMode_.qpsk && carrier_.coherence() >= kSteerCoherence &&
           std::fabs(std::remainder(carrier_.frequency() - carrier_.coherent_frequency(), kTwoPi)) <
               kTwoPi * kSteerAgreeHz / 31.25;
}

void Receiver::gate_on_decoded_again(double hz, double rate, std::span<const uint8_t> bits) {
    // What the squelch measured meanwhile was the loop off the station, and its gate
    // would keep shut on the text decoded again: let it measure that stretch instead,
    // each symbol turned by the found frequency (and drift) and back by its decision (bit
    // i is the change into the symbol bits.size() - 1 - i back).
    const auto count = static_cast<int>(bits.size());
    unsigned reg = 0;
    int phase = 0;
    squelch_.new_reference();
    for (int i = 0; i < count; ++i) {
        reg = ((reg << 1) | bits[static_cast<std::size_t>(i)]) & 31u;
        phase = (phase + QpskViterbi::phase_change(reg, rxMode_.lsb)) & 3;
        const int back = count - 1 - i;
        const double turn = acquirer_.turn_since(hz, rate, back) - acquirer_.frame_phase();
        const cf t(static_cast<float>(std::cos(turn)), static_cast<float>(std::sin(turn)));
        squelch_.gate(decided_back(cmul(acquirer_.symbol(back), t), phase));
    }
    // The live decoders start afresh (below): their first decisions are left out.
    gateHoldoff_ = QpskViterbi::kDepth + 6;
}

void Receiver::decode_again(double hz, double rate) {
    // A QPSK station found in its data, seconds after the channel was tuned onto it: what
    // the decoders made of it meanwhile, off frequency, is noise. The acquirer still holds
    // those symbols; decode them again at the found frequency, in place of the characters
    // waiting, and carry on from there: the live decoders start afresh on the latest
    // symbols, and their first bit is the one after the last decoded again, so the text
    // runs on without a seam. Characters already printed stay as they were.
    std::array<uint8_t, QpskAcquirer::kHistory> bits{};
    const int since = acquirer_.since_quiet(acquirer_.kept());
    int count = acquirer_.decode(hz, since, bits, rate);
    // What an onset (or a preamble) dropped as noise stays dropped, unless the station was
    // plainly on well before it: then it was the station's text, decoded again here.
    // (drop_waiting() marks it the trellis's depth and two symbols on.)
    const int onsetAt = droppedAt_ - QpskViterbi::kDepth - 2;
    const int dropped = onsetAt > symbols_ - since + kLateOnsetSymbols ? 0 : droppedAt_;
    gate_on_decoded_again(
        hz, rate, std::span<const uint8_t>(bits.data(), static_cast<std::size_t>(std::max(count, 0))));
    // The latest bits, which nothing after them has confirmed yet, are left to the live
    // decoders: they are given those symbols again, turned by the found frequency.
    const int again = std::clamp(count - 2, 0, QpskViterbi::kDepth);
    count -= again;
    VaricodeDecoder varicode;
    std::array<int, std::tuple_size_v<decltype(held_)>> text{}, textAt{};
    int got = 0;
    int from = std::numeric_limits<int>::max(); // where the stretch decoded again begins
    for (int i = 0; i < count; ++i) {
        std::array<int, 2> chars{};
        const int k = varicode.push(SoftBit{bits[static_cast<std::size_t>(i)], 1.0f}, chars);
        // The symbol at which the live decoders would have told this bit.
        const int at = symbols_ - again - (count - 1 - i) + QpskViterbi::kDepth - 1;
        for (int j = 0; j < k; ++j) {
            // The symbols kept begin inside a character: the first one is not whole.
            if (from == std::numeric_limits<int>::max()) {
                from = at;
                continue;
            }
            if (at <= std::max(printedAt_, dropped) || got == static_cast<int>(text.size()))
                continue;
            textAt[static_cast<std::size_t>(got)] = at;
            text[static_cast<std::size_t>(got++)] = chars[static_cast<std::size_t>(j)];
        }
    }
    // Characters waiting from before that stretch stay ahead of it.
    // After an over's closing carrier, what waits from before the stretch is the noise
    // between the overs; the station found begins the next one.
    const int keepTo = awaiting_ && !preambleSeen_ ? std::min(from, awaitingAt_ - 1) : from;
    int keep = 0;
    while (keep < heldCount_ && heldAt_[static_cast<std::size_t>(keep)] <= keepTo)
        ++keep;
    heldCount_ = keep;
    if (awaiting_)
        preambleSeen_ = true;
    for (int i = 0; i < got && squelch_.open() && heldCount_ < static_cast<int>(held_.size()); ++i) {
        heldAt_[static_cast<std::size_t>(heldCount_)] = textAt[static_cast<std::size_t>(i)];
        held_[static_cast<std::size_t>(heldCount_++)] = text[static_cast<std::size_t>(i)];
    }
    varicode_ = varicode;
    viterbiCoherent_.reset();
    viterbiDifferential_.reset();
    const float amp = std::max(amplitude_, 1e-12f);
    // The coherent decoder is given the symbols as the loop would have, on the newest one's
    // phase as it came in.
    for (int back = again; back >= 1; --back) {
        const double turn = acquirer_.turn_since(hz, rate, back) - acquirer_.frame_phase();
        const double w = acquirer_.turn_since(hz, rate, back + 1) - acquirer_.turn_since(hz, rate, back);
        const cf t(static_cast<float>(std::cos(turn)), static_cast<float>(std::sin(turn)));
        const cf u = acquirer_.symbol(back), up = acquirer_.symbol(back + 1);
        viterbiCoherent_.process(cmul(u, t) / amp);
        viterbiDifferential_.process(
            cmul(cmul_conj(u, up), cf(static_cast<float>(std::cos(w)), static_cast<float>(-std::sin(w)))) /
            (amp * amp));
    }
    muteLeft_ = 0;
    differentialLeft_ = kDifferentialSymbols;
    // (The filters hold samples mixed where this piece began, and before.)
    if (std::fabs(offset_ - mixedOffset_[0]) > kGarbledJumpHz * rxMode_.baud() / 31.25)
        erasedLeft_ = kGarbledSymbols;
    // Found in the first seconds after the tune (rather than after losing a station it
    // held), its text need not wait for the loop's lock to come out.
    foundInData_ = fresh_;
}

} // namespace pskmodem
