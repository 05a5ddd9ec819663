#include "carrier_loop.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
// Noise bandwidths as fractions of the symbol rate: 2.3 Hz while acquiring; when
// tracking, from 0.47 Hz with noise alone up to 6.3 Hz on a clean signal (see bandwidth()).
constexpr double kAcquireBn = 0.075;
constexpr double kTrackBnMin = 0.015;
constexpr double kTrackBnMax = 0.2;
// Tracking bandwidth per unit of the measured signal-to-noise ratio of the symbols: a
// BPSK31 signal at -11.5 dB in 2500 Hz gets some 2 Hz, wide enough to hold a drift of
// 1 Hz/s through its turns with a jitter of a few degrees; a strong one gets the most,
// to follow the phase through fading.
constexpr double kBnPerSnr = 0.012;
// The phase error is taken against the symbol's own amplitude down to this fraction of
// the mean, so that the loop follows the fast turn of the phase through a fade as long
// as the symbols stand clear of the noise; weaker symbols count less.
constexpr double kPhaseFloor = 0.1;
// How far the lock may fall below what the phase changes promise before the loop widens
// (the lock's own scatter is some 0.04), and how much it widens per unit beyond that.
constexpr double kLagMargin = 0.1;
constexpr double kLagWiden = 10.0;
// Without a signal the measured rate of the frequency leaks away with this weight a
// symbol, so that a gap between overs does not send the loop off.
constexpr double kRateLeak = 1.0 / 32.0;
constexpr float kNoSignalLock = 0.3f;
constexpr float kQualityWeight = 1.0f / 32.0f;
constexpr double kMaxOmega = 1.2;
constexpr double kWidePQpsk = 0.2, kWideIQpsk = 0.02;
constexpr double kNarrowPQpsk = 0.04, kNarrowIQpsk = 0.0008;
// QPSK tracking. The narrow loop is second order: a weak steady station gets the least
// phase noise from it. A drift leaves it a standing phase error of the drift's rate over
// its integrator (0.8 rad at 0.1 Hz/s, past the decision boundary); it is told by the
// running mean of the phase error (weight kErrorWeightQpsk) standing beyond
// kStandingErrorQpsk, which noise alone hardly moves (some 0.03), or, on a signal whose
// phase changes are clearly steady (coherence kLagCoherenceQpsk: noise alone hardly
// ever reads that much), by a lock more than kLagMarginQpsk below what they promise (the
// fourth-power lock scatters more than the BPSK one). A loop that has lost a drifting
// station altogether slips on with no standing error: on a signal only a little less
// steady (kLostCoherenceQpsk), a lock that stays kLostMarginQpsk below the promise over
// the slow lock's hundred symbols tells it (the greater of the two locks, since the slow
// one is still rising just after the loop narrows), once the loop has held a station
// (slow lock kHeldLockQpsk since it was started): noise alone reads that steady now and
// then, and a loop widened on it looked locked often enough to walk a channel waiting
// for its station by hertz in minutes. Then the loop turns third order, as
// wide as the phase noise and the lag call for, until the rate term has taken the drift
// over; the rate then stays while the signal does.
constexpr double kErrorWeightQpsk = 1.0 / 64.0;
constexpr double kStandingErrorQpsk = 0.15;
constexpr float kLagCoherenceQpsk = 0.45f;
constexpr double kLagMarginQpsk = 0.2;
constexpr float kLostCoherenceQpsk = 0.35f;
constexpr double kLostMarginQpsk = 0.3;
constexpr float kHeldLockQpsk = 0.2f;
constexpr double kTrackBnMaxQpsk = 0.1;
constexpr float kNoSignalLockQpsk = 0.1f;
// Frequency assist for QPSK, from the fourth power of the phase changes: only when a
// narrow loop has lost the lock while they show it some way off (a station drifting at
// 1 Hz/s is lost by the narrow loop within a second of a capture), and only on a signal
// strong enough for it to be clean (it is far noisier than BPSK's square), or a little
// less strong once the slow lock too says a loop that held a station has lost it. While
// acquiring it is left
// out: it unsettled the start of strong overs. It also measures the rate (with gain
// kFllRateQpsk), as a loop pulled on by the assist alone trails the drift; its mean
// lags by about kFllDelayQpsk symbols, which the rate makes up.
constexpr float kFllCoherenceQpsk = 0.5f;
constexpr float kFllLostCoherenceQpsk = 0.35f;
constexpr float kFllLostSlowLockQpsk = 0.15f;
constexpr double kFllOffQpsk = 0.1;
constexpr float kFllLockQpsk = 0.25f;
constexpr double kFllRateQpsk = 0.002;
constexpr double kFllDelayQpsk = 16.0;
// The most a QPSK loop follows: 4 Hz at 31.25 baud, so that a station clicked 3 Hz off
// with capture and AFC off is still within reach, and far from the quarter-baud turn at
// which a loop looks locked on garbage.
constexpr double kMaxOmegaQpsk = 0.8;
// 3 Hz/s at 31.25 baud, in radians a symbol per symbol.
constexpr double kMaxRate = 0.02;
// QPSK drift companion. At -10 dB a station drifting at 1 Hz/s slips through the narrow
// loop before the lag rules above can tell, and the loop, once lost, cannot be told from
// noise. A second loop runs alongside, third order and as wide as a drift of 1 Hz/s and
// its turns call for (kDriftBn): on a steady weak station it scatters too much to be of
// use, but on a drifting one it holds the phase where the narrow loop cannot. It takes
// over while its lock (weight kDriftLockWeight) stands at least kDriftLock and
// kDriftLockMargin above the narrow loop's, and the mean of its measured rate (weight
// kDriftRateWeight) is that of a drift, from kDriftMinRate to kDriftMaxRate (0.5 and
// 2 Hz/s at 31.25 baud; a loop that has lost the signal runs to the end of its rate),
// for kDriftRun symbols in a row: noise alone, which such a wide loop follows well
// enough to read locked now and then, and a weak steady station hardly ever read so.
// It hands back when its lock falls below kDriftLostLock.
constexpr double kDriftBn = 0.13;
constexpr float kDriftLockWeight = 1.0f / 32.0f;
constexpr float kDriftLock = 0.3f;
constexpr float kDriftLockMargin = 0.15f;
constexpr float kDriftLostLock = 0.15f;
constexpr int kDriftRun = 12;
constexpr double kDriftRateWeight = 1.0 / 64.0;
constexpr double kDriftMinRate = 0.0032;
constexpr double kDriftMaxRate = 0.0129;
// A drift the station was found with is kept this many symbols (4 s at 31.25 baud) while
// the loop settles on it, however little it is locked meanwhile.
constexpr int kKeepRateSymbols = 128;
// Turns of a drift (see DriftTurnWatch): the symbols are kept while the loop holds a
// station (slow lock kTurnHeldLock), and looked at every kTurnLookEvery symbols while its
// lock sags kTurnSag below the slow one, if the loop has followed a rate of at least
// kTurnMinRate over them (0.6 Hz/s at 31.25 baud). At a slower rate a symbol the wide
// companion rides a turn by itself: the lag it leaves goes with the rate's change over its
// bandwidth squared, and the paths apart differ too little over the symbols kept to tell
// a turn from noise (at 62.5 baud the same drift in hertz is a quarter the rate a symbol).
// A move of the oscillator beyond kTurnMaxShift (0.1 Hz a symbol at 31.25 baud) is a
// jump, not the AFC following the rate: what was kept no longer lines up.
constexpr double kTurnMinRate = 0.004;
constexpr float kTurnHeldLock = 0.2f;
constexpr float kTurnSag = 0.1f;
constexpr int kTurnLookEvery = 4;
constexpr double kTurnMaxShift = 0.02;
// Frequency assist while acquiring: gain on the measured frequency error, and the
// weight of its running mean.
constexpr double kFllGain = 0.15;
constexpr float kFllWeight = 1.0f / 16.0f;
constexpr float kLockWeight = 1.0f / 24.0f;
constexpr float kSlowLockWeight = 1.0f / 100.0f;

// A derotated QPSK symbol's quadrature error against the nearest of 1, j, -1, -j, and
// cos(4 * its phase error) times its amplitude.
struct QpskError {
    float err;
    float m;
};
QpskError qpsk_error(cf v) {
    const float ar = std::fabs(v.real()), ai = std::fabs(v.imag());
    float err;
    if (ar >= ai)
        err = v.real() >= 0.0f ? v.imag() : -v.imag();
    else
        err = v.imag() >= 0.0f ? -v.real() : v.real();
    const cf v2 = cmul(v, v);
    const cf v4 = cmul(v2, v2);
    const float p = std::norm(v2);
    return {err, p > 0.0f ? v4.real() / p : 0.0f};
}
} // namespace

void CarrierLoop::reset() {
    theta_ = 0.0;
    omega_ = 0.0;
    rate_ = 0.0;
    errorMean_ = 0.0;
    lock_ = slowLock_ = bestSlowLock_ = 0.0f;
    coherence_ = cf{};
    narrow_ = false;
    prev_ = freqAcc_ = cf{};
    driftTheta_ = driftOmega_ = driftRate_ = driftRateMean_ = 0.0;
    driftLock_ = 0.0f;
    driftRun_ = 0;
    drifting_ = false;
    keepRate_ = 0;
    turnWatch_.reset();
    turnLook_ = 0;
}

void CarrierLoop::take_drift(double rate) {
    rate_ = driftRate_ = driftRateMean_ = std::clamp(rate, -kMaxRate, kMaxRate);
    driftTheta_ = theta_;
    driftOmega_ = omega_;
    keepRate_ = kKeepRateSymbols;
    turnWatch_.clear();
}

cf CarrierLoop::process(cf u, float amplitude) {
    const double theta0 = theta_, omega0 = omega_;
    const cf rot(static_cast<float>(std::cos(theta_)), static_cast<float>(-std::sin(theta_)));
    const cf v = cmul(u, rot);
    // The quadrature error against the nearest constellation point.
    float err;
    float m; // cos(M * phase error), M = 2 or 4
    if (!qpsk_) {
        err = v.real() >= 0.0f ? v.imag() : -v.imag();
        const float p = std::norm(v);
        m = p > 0.0f ? (v.real() * v.real() - v.imag() * v.imag()) / p : 0.0f;
    } else {
        const QpskError q = qpsk_error(v);
        err = q.err;
        m = q.m;
    }
    lock_ += (m - lock_) * kLockWeight;
    slowLock_ += (m - slowLock_) * kSlowLockWeight;
    bestSlowLock_ = std::max(bestSlowLock_, slowLock_);

    // Frequency assist (BPSK, while acquiring): the phase change from the previous
    // symbol, squared to strip the modulation, measures the offset up to a quarter turn
    // a symbol (7.8 Hz at 31.25 baud) with no phase lock, so it pulls in an offset of a
    // few hertz that the phase loop alone would take seconds to. It is measured as it
    // stands, not against the loop's frequency: a loop driven to its limit by noise
    // before the signal starts must still see which way to go. QPSK's fourth power is
    // too noisy at the weakest copyable signals: its loop pulls in on the phase alone
    // (and is brought close by the capture).
    double fe = 0.0;
    if (!qpsk_ && amplitude > 0.0f) {
        const cf d = cmul_conj(u, prev_) / (amplitude * amplitude);
        const cf d2 = cmul(d, d);
        freqAcc_ += (d2 - freqAcc_) * kFllWeight;
        // How steadily the phase turns from symbol to symbol: the noise on the symbols,
        // whatever the frequency, and hardly touched by a drift or a slow fade.
        const float p = std::norm(d2);
        if (p > 0.0f)
            coherence_ += (d2 / std::sqrt(p) - coherence_) * kQualityWeight;
        if (!narrow_ && std::norm(freqAcc_) > 0.0f)
            fe = std::arg(freqAcc_) / 2.0 - omega_;
    } else if (amplitude > 0.0f) {
        fe = qpsk_frequency_error(cmul_conj(u, prev_) / (amplitude * amplitude));
    }
    prev_ = u;

    // Third-order loop coefficients for the noise bandwidth.
    const double wn = bandwidth() / 0.7845;
    double kp = 2.4 * wn, ki = 1.1 * wn * wn, k3 = wn * wn * wn;
    const bool lagging = qpsk_ && narrow_ && qpsk_lag() > 0.0;
    if (qpsk_ && !lagging) {
        // Second order (damping 0.7) with a stronger integrator, which pulls QPSK in from
        // a few hertz off on the phase alone.
        kp = narrow_ ? kNarrowPQpsk : kWidePQpsk;
        ki = narrow_ ? kNarrowIQpsk : kWideIQpsk;
        k3 = 0.0;
    }
    double e = 0.0;
    if (amplitude > 0.0f) {
        const double a = std::max(static_cast<double>(std::abs(u)), kPhaseFloor * amplitude);
        e = std::clamp(static_cast<double>(err) / (qpsk_ ? amplitude : a), -1.0, 1.0);
    }
    // The rate term only once tracking: while acquiring it would wind up on the pull-in,
    // and what it held (from before a turn of the drift, or from noise) leaks away
    // while the frequency assist pulls in.
    if (narrow_ && !qpsk_)
        rate_ = std::clamp(rate_ + k3 * e, -kMaxRate, kMaxRate);
    if (!qpsk_ && (!narrow_ || lock_ < kNoSignalLock))
        rate_ -= rate_ * kRateLeak;
    if (qpsk_) {
        errorMean_ += (e - errorMean_) * kErrorWeightQpsk;
        if (fe != 0.0)
            rate_ = std::clamp(rate_ + kFllRateQpsk * fe, -kMaxRate, kMaxRate);
        else if (lagging)
            rate_ = std::clamp(rate_ + k3 * e, -kMaxRate, kMaxRate);
        else if ((!narrow_ || lock_ < kNoSignalLockQpsk) && keepRate_ == 0)
            rate_ -= rate_ * kRateLeak;
        if (keepRate_ > 0)
            --keepRate_;
    }
    omega_ = std::clamp(omega_ + ki * e + rate_ + kFllGain * fe, -max_frequency(), max_frequency());
    theta_ = std::remainder(theta_ + omega_ + kp * e, 2.0 * std::numbers::pi);
    if (qpsk_ && amplitude > 0.0f) {
        const double driftTheta = driftTheta_, driftOmega = driftOmega_;
        cf w;
        const bool follow = follow_drift(u, amplitude, w);
        if (follow) {
            // The narrow loop carries on from where the companion is, so that it holds
            // the station (and the rate the oscillator takes over) when it hands back.
            theta_ = driftTheta_;
            omega_ = driftOmega_;
            rate_ = driftRate_;
        }
        // The watch sees the symbol as it went out, by whichever loop turned it.
        watch_turn(u / amplitude, follow ? driftTheta : theta0, follow ? driftOmega : omega0,
                   follow ? qpsk_error(w).m : m);
        return follow ? w : v;
    }
    return v;
}

bool CarrierLoop::follow_drift(cf u, float amplitude, cf &v) {
    const cf rot(static_cast<float>(std::cos(driftTheta_)), static_cast<float>(-std::sin(driftTheta_)));
    v = cmul(u, rot);
    const QpskError q = qpsk_error(v);
    driftLock_ += (q.m - driftLock_) * kDriftLockWeight;
    const double e = std::clamp(static_cast<double>(q.err) / amplitude, -1.0, 1.0);
    const double wn = kDriftBn / 0.7845;
    driftRate_ = std::clamp(driftRate_ + wn * wn * wn * e, -kMaxRate, kMaxRate);
    driftOmega_ = std::clamp(driftOmega_ + 1.1 * wn * wn * e + driftRate_, -max_frequency(), max_frequency());
    driftTheta_ = std::remainder(driftTheta_ + driftOmega_ + 2.4 * wn * e, 2.0 * std::numbers::pi);
    driftRateMean_ += (driftRate_ - driftRateMean_) * kDriftRateWeight;

    const double rate = std::fabs(driftRateMean_);
    const bool ahead = narrow_ && driftLock_ >= kDriftLock && rate >= kDriftMinRate &&
                       rate <= kDriftMaxRate && driftLock_ >= std::max(lock_, slowLock_) + kDriftLockMargin;
    driftRun_ = ahead ? driftRun_ + 1 : 0;
    if (!drifting_)
        drifting_ = driftRun_ >= kDriftRun;
    else
        drifting_ = narrow_ && driftLock_ >= kDriftLostLock;
    return drifting_;
}

void CarrierLoop::watch_turn(cf u, double theta, double omega, float m) {
    if (!narrow_ || slowLock_ < kTurnHeldLock) {
        turnWatch_.clear();
        return;
    }
    turnWatch_.push(u, theta, omega, rate_, m);
    if (++turnLook_ < kTurnLookEvery || lock_ >= slowLock_ - kTurnSag)
        return;
    turnLook_ = 0;
    DriftTurnWatch::Found f;
    if (!turnWatch_.look(kTurnMinRate, f))
        return;
    // Both loops go there with the new rate, kept while they settle (as a rate the drift
    // search found), and the lag measures start afresh.
    theta_ = driftTheta_ = f.theta;
    omega_ = driftOmega_ = f.omega;
    rate_ = driftRate_ = driftRateMean_ = f.rate;
    keepRate_ = kKeepRateSymbols;
    errorMean_ = 0.0;
    turnWatch_.clear();
}

void CarrierLoop::shift_frequency(double radiansPerSymbol) {
    if (std::fabs(radiansPerSymbol) > kTurnMaxShift)
        turnWatch_.clear();
    turnWatch_.shift_frequency(radiansPerSymbol);
    omega_ -= radiansPerSymbol;
    driftOmega_ -= radiansPerSymbol;
    // What the phase changes have shown so far turns with it (twice: they are squared;
    // QPSK four times), so they keep agreeing with the loop while the oscillator moves.
    const double m = qpsk_ ? 4.0 : 2.0;
    const cf turn(static_cast<float>(std::cos(m * radiansPerSymbol)),
                  static_cast<float>(-std::sin(m * radiansPerSymbol)));
    freqAcc_ = cmul(freqAcc_, turn);
    coherence_ = cmul(coherence_, turn);
}

double CarrierLoop::max_frequency() const {
    return qpsk_ ? kMaxOmegaQpsk : kMaxOmega;
}

double CarrierLoop::qpsk_frequency_error(cf d) {
    // d is the phase change from the previous symbol; its fourth power strips the
    // modulation.
    const cf d2 = cmul(d, d);
    const cf d4 = cmul(d2, d2);
    freqAcc_ += (d4 - freqAcc_) * kFllWeight;
    const float p = std::norm(d4);
    if (p > 0.0f)
        coherence_ += (d4 / std::sqrt(p) - coherence_) * kQualityWeight;
    const float c = std::abs(coherence_);
    const bool lost = bestSlowLock_ >= kHeldLockQpsk && slowLock_ < kFllLostSlowLockQpsk;
    const bool clean = c >= kFllCoherenceQpsk || (lost && c >= kFllLostCoherenceQpsk);
    if (!narrow_ || !clean || lock_ >= kFllLockQpsk || std::norm(freqAcc_) == 0.0f)
        return 0.0;
    const double off =
        std::remainder(std::arg(freqAcc_) + 4.0 * (rate_ * kFllDelayQpsk - omega_), 2.0 * std::numbers::pi) /
        4.0;
    return std::fabs(off) > kFllOffQpsk ? off : 0.0;
}

double CarrierLoop::qpsk_lag() const {
    const double standing = std::fabs(errorMean_) - kStandingErrorQpsk;
    const float c = std::abs(coherence_);
    const double l = signal_quality();
    const double behind = c >= kLagCoherenceQpsk ? l - static_cast<double>(lock_) - kLagMarginQpsk : 0.0;
    const double lost = c >= kLostCoherenceQpsk && bestSlowLock_ >= kHeldLockQpsk
                            ? l - static_cast<double>(std::max(lock_, slowLock_)) - kLostMarginQpsk
                            : 0.0;
    return std::max({0.0, standing, behind, lost});
}

double CarrierLoop::bandwidth() const {
    if (!narrow_)
        return kAcquireBn;
    if (qpsk_) {
        // Used while lagging; the loop is second order otherwise.
        const double l = signal_quality();
        return std::clamp(kBnPerSnr * l / (1.0 - l) * (1.0 + kLagWiden * qpsk_lag()), kTrackBnMin,
                          kTrackBnMaxQpsk);
    }
    // The quality is the mean of cos(2 * (phase change - loop frequency)); its square
    // root is about the mean of cos(2 * phase error) of a loop without lag, l, for a
    // signal-to-noise ratio of the symbols of l / (1 - l); noise alone reads about 0.
    const double l = signal_quality();
    // A lock well below that is the loop lagging (a turn of the drift, a fade), not
    // noise: widen to catch up.
    const double lag = std::max(0.0, l - static_cast<double>(lock_) - kLagMargin);
    return std::clamp(kBnPerSnr * l / (1.0 - l) * (1.0 + kLagWiden * lag), kTrackBnMin, kTrackBnMax);
}

double CarrierLoop::signal_quality() const {
    return std::sqrt(std::min(static_cast<double>(std::abs(coherence_)), 0.98));
}

double CarrierLoop::snr() const {
    const double l = signal_quality();
    return l / (1.0 - l);
}

void CarrierLoop::process(std::span<const cf> in, std::span<cf> out, float amplitude) {
    for (std::size_t i = 0; i < in.size() && i < out.size(); ++i)
        out[i] = process(in[i], amplitude);
}

} // namespace pskmodem
