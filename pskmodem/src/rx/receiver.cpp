#include "receiver.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <tuple>

namespace pskmodem {

namespace {
// Carrier lock (mean cos(M * phase error)) above which coherent decisions are used.
// The QPSK figure (M = 4) runs lower at the same SNR, and the coherent trellis rides
// out slips of the loop by itself.
constexpr float kCoherentLock = 0.35f;
constexpr float kCoherentLockQpsk = 0.1f;
// Lock above which the loop's frequency steers the AFC and the clock is measured.
constexpr float kTrackLock = 0.5f;
constexpr float kTrackLockQpsk = 0.25f;
// Below this lock (over ~100 symbols) for kLostSymbols, the signal is taken as gone;
// the weakest copyable QPSK signals read about 0.2.
constexpr float kLostLock = 0.2f;
constexpr float kLostLockQpsk = 0.07f;
constexpr int kLostSymbols = 64;
// Locked symbols after which the channel stops searching.
constexpr int kHeldSymbols = 32;
constexpr float kAmplitudeWeight = 1.0f / 16.0f;
// What a BPSK symbol's margin (against the running amplitude) is worth to the text
// decoder, as a log-likelihood ratio: in white noise, 2 * amplitude^2 over the noise
// across the loop's phase; three times that, because the margins the decisions give are
// narrower than the symbols' own (they are compared with the neighbours').
constexpr float kQuadratureWeight = 1.0f / 128.0f;
constexpr float kConfidence = 6.0f;
constexpr float kMostConfidence = 20000.0f;
// Symbols in a row below kFadeDepth of the running amplitude, and no stronger than the
// noise (their power under kNoiseOnly times the noise across the loop's phase, which is
// half the noise's), after which a fade has left only the noise. A null of fast fading
// well above the noise is not such a fade: its symbols are weak but still tell, and the
// bits its turning phase gets wrong are what the text decoder mends. Nor is a null that
// reaches the noise for a few symbols only: what text is likely to say (its words above
// all) reads those better than the decisions do.
constexpr int kDeepSymbols = 10;
constexpr float kNoiseOnly = 2.0f;
// A BPSK symbol below this fraction of the mean amplitude, on a signal whose symbols
// stand at least kFadeSnr above the noise, is in a fade.
constexpr float kFadeDepth = 0.25f;
constexpr double kFadeSnr = 8.0;
// A QPSK signal quality (Squelch::quality) that only a station far above the decoder's
// threshold reaches: in white noise about 28 at -10 dB, 60 at -6 dB and 72 at -4 dB; in
// moderate fading at +10 dB about 88.
constexpr int kStrongQpsk = 70;
// Symbols this much above the running mean amplitude, two in a row, are a signal's onset.
// BPSK: low enough to see a station at -12 dB come on out of the noise (its symbols stand
// some 2.4 times above the noise's mean); noise alone does it some ten times a minute,
// which only drops what it was spelling.
constexpr float kOnsetRatio = 1.8f;
constexpr float kOnsetRatioQpsk = 2.5f;
// A BPSK loop whose slow lock still says it held a station (no over having ended since)
// sees a loud pair as that station coming back out of a fade, not a new one: its text
// runs on through it.
constexpr float kHeldThroughFade = 0.5f;
// Bits after a preamble's idle within which a loud pair is its station rising (a character
// and its gap are at most 12).
constexpr int kRisingBits = 12;
// A symbol this far below the mean amplitude is the noise after a station (at a weak one's
// level noise alone falls so low about once in fifty symbols); the bits of the next
// kFaintGuard symbols are no preamble.
constexpr float kFaintLevel = 0.15f;
// After an over (kCarrierBits) the channel waits again for a preamble, or for a station
// held this long without one, before reporting characters at once.
constexpr int kAwaitHeldSymbols = 64;
// The level of the last few symbols against the level before, for QPSK onsets too weak
// for kOnsetRatioQpsk; looked at once the slow level has settled after a start.
constexpr float kRecentWeight = 1.0f / 4.0f;
constexpr float kQuietWeight = 1.0f / 64.0f;
constexpr float kRiseRatioQpsk = 1.8f;
constexpr int kRiseSettle = 32;
} // namespace

Receiver::Receiver() {
    start_fresh();
}

void Receiver::configure(const ChannelSettings &s) {
    if (!s.enabled) {
        enabled_ = false;
        return;
    }
    afcLimit_ = std::max(s.afcLimit, int32_t{0});
    squelch_.set(s.squelchThreshold, s.squelchSpeed);
    const bool fresh = !enabled_ || s.mode != mode_ || s.tuneSerial != tuneSerial_;
    if (!fresh)
        return;
    enabled_ = true;
    if (s.mode != mode_) {
        mode_ = s.mode;
        rxMode_ = rx_mode(mode_);
        decimator_.create(rxMode_.decimation());
        fll_.create(rxMode_.baud() * kRxSamplesPerSymbol);
        carrier_.set_qpsk(rxMode_.qpsk);
        squelch_.set_order(rxMode_.qpsk ? 1 : 2);
        viterbiCoherent_.set_lsb(rxMode_.lsb);
        viterbiDifferential_.set_lsb(rxMode_.lsb);
        acquirer_.set_mode(rxMode_.baud(), rxMode_.lsb);
        const double d = decimator_.factor();
        imd_.set_droop(decimator_.gain_at(0.5 / (kRxSamplesPerSymbol * d)),
                       decimator_.gain_at(1.5 / (kRxSamplesPerSymbol * d)));
    }
    tuneSerial_ = s.tuneSerial;
    // A new station is looked for on the mode's own sideband first.
    if (rxMode_.qpsk)
        use_sideband(rx_mode(mode_).lsb);
    hz_ = s.frequency;
    placed_ = false;
    captureRange_ = std::max(s.captureRange, int32_t{0});
    offset_ = 0.0;
    trim_ = 0.0;
    mixer_.set_frequency(hz_);
    start_fresh();
    search_from_here();
    fresh_ = true;
}

void Receiver::use_sideband(bool lsb) {
    // What the decoders hold was decoded with the quarter turns the wrong way round.
    const bool change = lsb != rxMode_.lsb;
    rxMode_.lsb = lsb;
    viterbiCoherent_.set_lsb(lsb);
    viterbiDifferential_.set_lsb(lsb);
    acquirer_.set_lsb(lsb);
    if (!change)
        return;
    viterbiCoherent_.reset();
    viterbiDifferential_.reset();
    varicode_.reset();
    heldCount_ = 0;
    muteLeft_ = std::max(muteLeft_, QpskViterbi::kDepth + 2);
}

void Receiver::restart() {
    searching_ = false;
    start_fresh();
}

void Receiver::start_fresh() {
    if (trim_ != 0.0) {
        trim_ = 0.0;
        mixer_.set_frequency(hz_ + offset_);
    }
    decimator_.reset();
    filter_.reset();
    matchedFilter_.reset();
    equalizer_.reset();
    fll_.reset();
    timing_.reset();
    carrier_.reset();
    viterbiCoherent_.reset();
    viterbiDifferential_.reset();
    detector_.reset();
    acquirer_.reset();
    mixedOffset_.fill(offset_);
    frameOffset_ = offset_;
    acquiredHz_ = kNoFrequency;
    slipHz_ = kNoFrequency;
    lastReversal_ = -kReversalGap - 1;
    bestReversal_ = 0.0;
    wideSkip_ = 0;
    reset_text();
    smoother_.reset();
    squelch_.reset();
    imd_.reset();
    symbols_ = 0;
    amplitude_ = 0.0f;
    quadrature_ = 0.0f;
    deepRun_ = 0;
    uPrev_ = cf{};
    vectorRing_.fill(cf{});
    loopRing_.fill(cf{});
    loopNext_ = 0;
    decidedBits_ = 0;
    gateHoldoff_ = 0;
    decidedPhase_ = 0;
    vectorNext_ = 0;
    lockedRun_ = 0;
    heldRun_ = 0;
    idleRun_ = 0;
    acquireLeft_ = kAcquireSymbols;
    lostRun_ = 0;
    muteLeft_ = 0;
    onsetRun_ = 0;
    zeroRun_ = oneRun_ = 0;
    sinceIdle_ = 1 << 16;
    sinceFaint_ = kFaintGuard;
    awaiting_ = preambleSeen_ = false;
    awaitRun_ = 0;
    awaitingAt_ = 0;
    heldCount_ = 0;
    gateRun_ = 0;
    printedAt_ = droppedAt_ = 0;
    differentialLeft_ = 0;
    foundInData_ = byPreamble_ = false;
    erasedLeft_ = 0;
}

std::size_t Receiver::process(std::span<const float> in, std::span<RxEvent> out) {
    std::size_t n = 0;
    for (std::size_t at = 0; at < in.size(); at += kPiece) {
        const auto part = in.subspan(at, std::min(kPiece, in.size() - at));
        const std::size_t k = piece(part, out.subspan(n));
        for (std::size_t i = n; i < n + k; ++i)
            out[i].inputIndex += static_cast<int>(at);
        n += k;
    }
    return n;
}

std::size_t Receiver::piece(std::span<const float> in, std::span<RxEvent> out) {
    if (!enabled_)
        return 0;
    mixer_.process(in, mixed_);
    std::copy_backward(mixedOffset_.begin(), mixedOffset_.end() - 1, mixedOffset_.end());
    mixedOffset_[0] = offset_;
    // The filters hold about two symbols (the pulse's centre is SymbolFilter::kLead
    // samples behind the newest).
    frameOffset_ = mixedOffset_[static_cast<std::size_t>(
        std::clamp(2 * rxMode_.symbolSamples / static_cast<int>(kPiece), 0, 3))];
    const int d = decimator_.factor();
    const std::size_t nb = decimator_.process(std::span<const cf>(mixed_.data(), in.size()), base_);
    const int lead = static_cast<int>(in.size()) - static_cast<int>(nb) * d; // samples after the last output
    const auto base = std::span<const cf>(base_.data(), nb);
    imd_.process(base);
    // The discriminator sees the wide band: behind the symbol filter an offset signal's
    // two idle tones would come out unequal and pull it towards the stronger one. It is
    // only needed while capturing.
    if (searching_ && capture(base))
        take_capture();
    if (rxMode_.qpsk) {
        matchedFilter_.process(base, matched_);
        equalizer_.process(std::span<const cf>(matched_.data(), nb), filtered_);
    } else {
        filter_.process(base, filtered_);
    }
    if (rxMode_.qpsk && (captureRange_ > 0 || afcLimit_ > 0)) {
        // In front of the matched filter, as mixed at the offset this piece began with.
        acquirer_.push_base(base, mixedOffset_[0]);
        constexpr int skip = kRxSamplesPerSymbol / QpskAcquirer::kWide;
        for (std::size_t j = 0; j < nb; ++j) {
            if (++wideSkip_ == skip) {
                wideSkip_ = 0;
                acquirer_.push_wide(filtered_[j], frameOffset_);
            }
        }
    }
    const std::size_t ns = timing_.process(std::span<const cf>(filtered_.data(), nb), symbolsOut_);
    std::size_t n = 0;
    for (std::size_t i = 0; i < ns; ++i) {
        // The decimated sample j completes at input index lastIndex - (nb - 1 - j) * d.
        const int lastIndex = static_cast<int>(in.size()) - 1 - lead;
        const int idx = lastIndex - (static_cast<int>(nb) - 1 - symbolsOut_[i].inputIndex) * d;
        n += on_symbol(symbolsOut_[i].y, std::max(idx, 0), out.subspan(n));
    }
    return n;
}

std::size_t Receiver::on_symbol(cf y, int inputIndex, std::span<RxEvent> out) {
    const double symbolSeconds = rxMode_.symbolSamples / 8000.0;
    const cf u = y;
    if (++symbols_ < 3) {
        uPrev_ = u;
        amplitude_ = std::abs(u);
        recentLevel_ = quietLevel_ = amplitude_;
        risen_ = false;
        return 0;
    }
    const float a = std::abs(u);
    // A station coming on out of noise: the run the Varicode decoder holds (and for QPSK
    // what the trellis still holds) is noise, and the preamble's first zeros would end
    // it as a stray character. Drop it; the preamble carries no characters.
    onsetRun_ = a > (rxMode_.qpsk ? kOnsetRatioQpsk : kOnsetRatio) * amplitude_ ? onsetRun_ + 1 : 0;
    std::size_t n = 0;
    const bool fadeExit = !rxMode_.qpsk && !awaiting_ && carrier_.slow_lock() >= kHeldThroughFade;
    // Right after a preamble, a loud pair is that station's level rising (its preamble came
    // in through a fade): its first character is under way, and its level is measured
    // afresh, so that the rest of the rise is no onset either. BPSK tells the preamble by
    // its idle among the latest bits; QPSK, whose bits come the trellis's depth late, by
    // the acquirer's latest look that found its reversals.
    const bool rising = rxMode_.qpsk ? symbols_ - lastReversal_ < kReversalGap : sinceIdle_ < kRisingBits;
    if (onsetRun_ == kOnsetSymbols && carrier_.lock() < track_lock() && !fadeExit) {
        if (rising) {
            amplitude_ = a;
        } else {
            reset_text();
            smoother_.drop();
            muteLeft_ = rxMode_.qpsk ? QpskViterbi::kDepth + 2 : 2;
            // A QPSK loop that still holds something (a weak station's text, dipping)
            // keeps what it has already decoded: noise makes such a loud pair now and then.
            if (!rxMode_.qpsk || carrier_.slow_lock() < kLostLockQpsk)
                drop_waiting();
        }
        // A BPSK station coming on where none is held (the next over, a few hertz from
        // the last): pull in with the frequency assist rather than wait for its phase to
        // be seen turning.
        if (!rxMode_.qpsk && !settled())
            acquireLeft_ = std::max(acquireLeft_, kAcquireSymbols);
    } else {
        n = release_waiting(inputIndex, out);
    }
    sinceFaint_ = a < kFaintLevel * amplitude_ ? 0 : sinceFaint_ + 1;
    amplitude_ += (a - amplitude_) * kAmplitudeWeight;
    gateRun_ = squelch_.open() ? gateRun_ + 1 : 0;
    if (rxMode_.qpsk) {
        // A QPSK station too weak for the loud pair above still lifts the level clearly
        // within a few symbols: what is held back from before that is noise.
        recentLevel_ += (a - recentLevel_) * kRecentWeight;
        const bool risen = recentLevel_ > kRiseRatioQpsk * quietLevel_;
        if (risen && !risen_ && carrier_.slow_lock() < kLostLockQpsk && symbols_ > kRiseSettle) {
            drop_waiting();
            // The station's level is the one to rise from now: its own ups and downs
            // must not drop what it sends.
            quietLevel_ = recentLevel_;
        }
        risen_ = risen;
        quietLevel_ += (a - quietLevel_) * kQuietWeight;
    }
    const float amp = std::max(amplitude_, 1e-12f);
    const cf v = carrier_.process(u, amp);
    if (!rxMode_.qpsk) {
        // The noise across the loop's phase, for what a symbol's margin is worth.
        quadrature_ += (v.imag() * v.imag() - quadrature_) * kQuadratureWeight;
        // Where the symbols tell the text decoder nothing it can weigh, it reads them as
        // they are decided: before a station is held (the noise would fill its readings
        // with likely-looking text), and through a fade that has left only the noise for
        // a while (the running amplitude still stands for the station there).
        deepRun_ = a < kFadeDepth * amp && a * a < kNoiseOnly * quadrature_ ? deepRun_ + 1 : 0;
        const bool asDecided = !settled() || deepRun_ >= kDeepSymbols;
        text_.set_confidence(
            asDecided ? kMostConfidence
                      : std::min(kConfidence * amp * amp / std::max(quadrature_, 1e-20f), kMostConfidence));
    }
    if (rxMode_.qpsk)
        acquire_qpsk(u, symbolSeconds);

    // The phase change from the previous symbol, less the drift the loop has measured.
    const double w = carrier_.frequency();
    const cf r =
        cmul(cmul_conj(u, uPrev_), cf(static_cast<float>(std::cos(w)), static_cast<float>(-std::sin(w))));
    const float rn = std::abs(r);
    float quality = 0.0f;
    if (rn > 0.0f) {
        const cf r2 = cmul(r, r);
        quality = rxMode_.qpsk ? cmul(r2, r2).real() / (rn * rn * rn * rn) : r2.real() / (rn * rn);
    }
    // The squelch takes out a steady turn by itself; the loop's frequency, which swings
    // about while it acquires, would only unsettle it. QPSK's gate is fed the decided
    // symbols, below.
    squelch_.measure(quality);
    if (!rxMode_.qpsk)
        squelch_.gate(cmul_conj(u, uPrev_));
    vectorRing_[static_cast<std::size_t>(vectorNext_)] = rn > 0.0f ? r / rn * std::min(a / amp, 1.0f) : cf{};
    vectorNext_ = (vectorNext_ + 1) & 7;

    const bool clean = squelch_.quality() >= 50;
    if (const auto imd = imd_.symbol(clean && r.real() < -0.7f * rn); imd && n < out.size())
        out[n++] = RxEvent{RxEvent::Kind::Imd, *imd, inputIndex};

    const bool coherent = carrier_.lock() > coherent_lock();
    if (!rxMode_.qpsk) {
        SoftBit b{};
        // In a deep fade of a strong signal the phase turns faster than the loop can
        // follow, while neighbouring symbols still agree: compare those instead.
        const bool fade = carrier_.snr() >= kFadeSnr && std::min(a, std::abs(uPrev_)) < kFadeDepth * amp;
        b.bit = r.real() >= 0.0f ? 1 : 0;
        b.reliability = std::fabs(r.real()) / (amp * amp);
        // The coherent decisions wait a symbol for the next strobe; the phase change's bit
        // waits with them, so that a change of the choice neither drops nor doubles a bit.
        if (const auto d = detector_.push(v, amp, b, coherent && !fade)) {
            // Through a slow fade the bits wait for the symbols after them as well (see
            // PhaseSmoother); it is given the symbol the decision is of.
            std::array<SoftBit, 2> bits{};
            const bool held = !awaiting_ && carrier_.slow_lock() >= kHeldThroughFade;
            const int k = smoother_.push(uPrev_, carrier_.frequency(), amp, *d, held, bits);
            for (int i = 0; i < k; ++i)
                n += on_bit(bits[static_cast<std::size_t>(i)], inputIndex, out.subspan(n));
        }
    } else {
        // (Symbols garbled by a move to a station found in its data are left out.)
        const bool erased = erasedLeft_ > 0;
        erasedLeft_ = std::max(erasedLeft_ - 1, 0);
        const int bc = viterbiCoherent_.process(erased ? cf{} : v / amp);
        const int bd = viterbiDifferential_.process(erased ? cf{} : r / (amp * amp));
        // Just put on a station found in its data, the loop settles wide, and its phase
        // wanders more than the phase changes do. A strong station is copied from its phase
        // changes too: they lose nothing that strong, and fading turns its phase faster
        // than the narrow loop follows.
        const bool strong = squelch_.quality() >= kStrongQpsk;
        const int bit = coherent && differentialLeft_ == 0 && !strong ? bc : bd;
        if (differentialLeft_ > 0)
            --differentialLeft_;
        gate_on_decided(v / amp, bit);
        if (bit >= 0)
            n += on_bit(SoftBit{static_cast<uint8_t>(bit), 1.0f}, inputIndex, out.subspan(n));
    }
    uPrev_ = u;

    // Loops narrow once locked; the clock is measured only on a locked signal.
    // The carrier loop acquires wide for a while after a fresh start and again after
    // losing the signal for long; switching on every dip of the lock figure would
    // throw the phase about at low SNR.
    if (carrier_.slow_lock() < (rxMode_.qpsk ? kLostLockQpsk : kLostLock) && acquireLeft_ == 0) {
        if (++lostRun_ >= kLostSymbols) {
            acquireLeft_ = kAcquireSymbols;
            lostRun_ = 0;
            if (!searching_)
                search_from_here();
        }
    } else {
        lostRun_ = 0;
    }
    // A signal whose phase turns steadily at another frequency than the loop's (a new
    // over a few hertz from the last, or a loop thrown off in a fade): pull in afresh
    // with the frequency assist rather than wait for the lock to fade away.
    if (acquireLeft_ == 0 && !rxMode_.qpsk && carrier_.lock() < track_lock() &&
        carrier_.coherence() >= kSteerCoherence && !steady_turn())
        acquireLeft_ = kAcquireSymbols;
    if (acquireLeft_ > 0)
        --acquireLeft_;
    carrier_.set_tracking(acquireLeft_ == 0);
    const bool tracking = carrier_.lock() > track_lock();
    lockedRun_ = tracking ? lockedRun_ + 1 : 0;
    if (awaiting_) {
        awaitRun_ = tracking && oneRun_ < kCarrierBits ? awaitRun_ + 1 : 0;
        if (tracking && (preambleSeen_ || awaitRun_ >= kAwaitHeldSymbols))
            awaiting_ = false;
    }
    // A signal held for a while by the narrow loop is the one: stop searching. (A wide
    // loop follows noise well enough to look locked now and then.)
    heldRun_ = acquireLeft_ == 0 && carrier_.slow_lock() > track_lock() ? heldRun_ + 1 : 0;
    if (heldRun_ >= kHeldSymbols) {
        searching_ = false;
        placed_ = true;
    }
    // After an over the next station's symbols fall anywhere: pull in wide again.
    timing_.set_tracking(squelch_.quality() >= 40 && !awaiting_);
    // The timing loop settles for a while after lock; measure from then on.
    if (lockedRun_ == kClockSettle)
        timing_.clock_restart();
    steer(symbolSeconds);
    if (muteLeft_ > 0 && --muteLeft_ == 0)
        reset_text();
    return n;
}

float Receiver::coherent_lock() const {
    return rxMode_.qpsk ? kCoherentLockQpsk : kCoherentLock;
}

float Receiver::track_lock() const {
    return rxMode_.qpsk ? kTrackLockQpsk : kTrackLock;
}

std::array<int32_t, 16> Receiver::sync() const {
    std::array<int32_t, 16> s{};
    const auto p = timing_.profile();
    for (std::size_t i = 0; i < 16; ++i)
        s[i] = static_cast<int32_t>(std::lround(1000.0f * p[i]));
    return s;
}

std::array<int32_t, 16> Receiver::vectors() const {
    std::array<int32_t, 16> v{};
    for (int k = 0; k < 8; ++k) {
        const cf z = vectorRing_[static_cast<std::size_t>((vectorNext_ + k) & 7)];
        v[static_cast<std::size_t>(2 * k)] = static_cast<int32_t>(std::lround(1000.0f * z.real()));
        v[static_cast<std::size_t>(2 * k + 1)] = static_cast<int32_t>(std::lround(1000.0f * z.imag()));
    }
    return v;
}

bool Receiver::take_clock_ppm(double &ppm) {
    if (lockedRun_ < kClockSettle + kClockSymbols || !timing_.clock_ppm(kClockSymbols, ppm))
        return false;
    timing_.clock_restart();
    lockedRun_ = kClockSettle;
    return true;
}

} // namespace pskmodem
