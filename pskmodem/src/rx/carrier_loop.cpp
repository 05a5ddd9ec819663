#include "carrier_loop.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
// Proportional and integral gains (damping 0.7): wide to acquire, narrow to track.
constexpr double kWideP = 0.2, kWideI = 0.02;
constexpr double kNarrowP = 0.04, kNarrowI = 0.0008;
// Radians a symbol, about 2.5 Hz at 31.25 baud: larger offsets are the AFC's. A QPSK
// loop left free would also settle on a quarter turn a symbol, which its decisions
// cannot tell from no turn at all.
constexpr double kMaxOmega = 0.5;
constexpr float kLockWeight = 1.0f / 24.0f;
constexpr float kSlowLockWeight = 1.0f / 100.0f;
} // namespace

void CarrierLoop::reset() {
    theta_ = 0.0;
    omega_ = 0.0;
    lock_ = slowLock_ = 0.0f;
    narrow_ = false;
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
    const double e = amplitude > 0.0f ? std::clamp(static_cast<double>(err / amplitude), -1.0, 1.0) : 0.0;
    const double kp = narrow_ ? kNarrowP : kWideP;
    const double ki = narrow_ ? kNarrowI : kWideI;
    omega_ = std::clamp(omega_ + ki * e, -kMaxOmega, kMaxOmega);
    theta_ = std::remainder(theta_ + omega_ + kp * e, 2.0 * std::numbers::pi);
    lock_ += (m - lock_) * kLockWeight;
    slowLock_ += (m - slowLock_) * kSlowLockWeight;
    return v;
}

void CarrierLoop::process(std::span<const cf> in, std::span<cf> out, float amplitude) {
    for (std::size_t i = 0; i < in.size() && i < out.size(); ++i)
        out[i] = process(in[i], amplitude);
}

} // namespace pskmodem
