#include "carrier_loop.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
// Noise bandwidths as fractions of the symbol rate: 2.3 Hz and 0.47 Hz at 31.25 baud.
constexpr double kAcquireBn = 0.075;
constexpr double kTrackBn = 0.015;
// The third-order term, as a fraction of the textbook coefficient: in full it follows
// a drift faster but lets noise walk the frequency at the weakest signals. QPSK's
// decisions are too noisy for it at all.
constexpr double kRateGain = 0.3;
// Radians a symbol: BPSK up to about 6 Hz at 31.25 baud, larger offsets are the AFC's.
// A QPSK loop left free would settle on a quarter turn a symbol, which its decisions
// cannot tell from no turn at all, so it stays well short of that.
constexpr double kMaxOmega = 1.2;
constexpr double kWidePQpsk = 0.2, kWideIQpsk = 0.02;
constexpr double kNarrowPQpsk = 0.04, kNarrowIQpsk = 0.0008;
constexpr double kMaxOmegaQpsk = 0.6;
// 3 Hz/s at 31.25 baud, in radians a symbol per symbol.
constexpr double kMaxRate = 0.02;
// Frequency assist while acquiring: gain on the measured frequency error, and the
// weight of its running mean.
constexpr double kFllGain = 0.15;
constexpr float kFllWeight = 1.0f / 16.0f;
constexpr float kLockWeight = 1.0f / 24.0f;
constexpr float kSlowLockWeight = 1.0f / 100.0f;
} // namespace

void CarrierLoop::reset() {
    theta_ = 0.0;
    omega_ = 0.0;
    rate_ = 0.0;
    lock_ = slowLock_ = 0.0f;
    narrow_ = false;
    prev_ = freqAcc_ = cf{};
}

cf CarrierLoop::process(cf u, float amplitude) {
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
        // Against the nearest of 1, j, -1, -j.
        const float ar = std::fabs(v.real()), ai = std::fabs(v.imag());
        if (ar >= ai)
            err = v.real() >= 0.0f ? v.imag() : -v.imag();
        else
            err = v.imag() >= 0.0f ? -v.real() : v.real();
        const cf v2 = cmul(v, v);
        const cf v4 = cmul(v2, v2);
        const float p = std::norm(v2);
        m = p > 0.0f ? v4.real() / p : 0.0f;
    }
    lock_ += (m - lock_) * kLockWeight;
    slowLock_ += (m - slowLock_) * kSlowLockWeight;

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
        freqAcc_ += (cmul(d, d) - freqAcc_) * kFllWeight;
        if (!narrow_ && std::norm(freqAcc_) > 0.0f)
            fe = std::arg(freqAcc_) / 2.0 - omega_;
    }
    prev_ = u;

    // Third-order loop coefficients for the noise bandwidth.
    const double wn = (narrow_ ? kTrackBn : kAcquireBn) / 0.7845;
    double kp = 2.4 * wn, ki = 1.1 * wn * wn, k3 = kRateGain * wn * wn * wn;
    if (qpsk_) {
        // Second order (damping 0.7) with a stronger integrator, which pulls QPSK in from
        // a few hertz off on the phase alone.
        kp = narrow_ ? kNarrowPQpsk : kWidePQpsk;
        ki = narrow_ ? kNarrowIQpsk : kWideIQpsk;
        k3 = 0.0;
    }
    const double e = amplitude > 0.0f ? std::clamp(static_cast<double>(err / amplitude), -1.0, 1.0) : 0.0;
    // The rate term only once tracking: while acquiring it would wind up on the pull-in.
    if (narrow_)
        rate_ = std::clamp(rate_ + k3 * e, -kMaxRate, kMaxRate);
    const double maxOmega = qpsk_ ? kMaxOmegaQpsk : kMaxOmega;
    omega_ = std::clamp(omega_ + ki * e + rate_ + kFllGain * fe, -maxOmega, maxOmega);
    theta_ = std::remainder(theta_ + omega_ + kp * e, 2.0 * std::numbers::pi);
    return v;
}

void CarrierLoop::process(std::span<const cf> in, std::span<cf> out, float amplitude) {
    for (std::size_t i = 0; i < in.size() && i < out.size(); ++i)
        out[i] = process(in[i], amplitude);
}

} // namespace pskmodem
