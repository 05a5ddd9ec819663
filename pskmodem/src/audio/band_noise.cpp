#include "band_noise.h"

#include "audio_source.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
constexpr double kLowEdge = 250.0;
constexpr double kHighEdge = 2900.0;
constexpr double kButterworthQ = 0.7071067811865476;
} // namespace

// Bilinear-transform biquads with prewarping (Butterworth, Q = 1/sqrt 2).
BandNoise::Biquad BandNoise::high_pass(double hertz) {
    const double w = 2.0 * std::numbers::pi * hertz / kModemRate;
    const double alpha = std::sin(w) / (2.0 * kButterworthQ);
    const double c = std::cos(w);
    const double a0 = 1.0 + alpha;
    Biquad q;
    q.b0 = (1.0 + c) / 2.0 / a0;
    q.b1 = -(1.0 + c) / a0;
    q.b2 = q.b0;
    q.a1 = -2.0 * c / a0;
    q.a2 = (1.0 - alpha) / a0;
    return q;
}

BandNoise::Biquad BandNoise::low_pass(double hertz) {
    const double w = 2.0 * std::numbers::pi * hertz / kModemRate;
    const double alpha = std::sin(w) / (2.0 * kButterworthQ);
    const double c = std::cos(w);
    const double a0 = 1.0 + alpha;
    Biquad q;
    q.b0 = (1.0 - c) / 2.0 / a0;
    q.b1 = (1.0 - c) / a0;
    q.b2 = q.b0;
    q.a1 = -2.0 * c / a0;
    q.a2 = (1.0 - alpha) / a0;
    return q;
}

BandNoise::BandNoise(double powerIn2500, uint32_t seed)
    : sigma_(std::sqrt(std::max(powerIn2500, 0.0) * (kModemRate / 2.0) / 2500.0)), seed_(seed) {
    reset();
}

void BandNoise::reset() {
    rng_.seed(seed_);
    gauss_.reset();
    hp_ = high_pass(kLowEdge);
    lp_ = low_pass(kHighEdge);
}

void BandNoise::process(std::span<float> out) {
    if (sigma_ <= 0.0)
        return;
    for (float &s : out)
        s += static_cast<float>(lp_.step(hp_.step(sigma_ * gauss_(rng_))));
}

} // namespace pskmodem
