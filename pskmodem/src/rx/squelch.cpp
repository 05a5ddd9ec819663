#include "squelch.h"

#include <algorithm>
#include <cmath>

namespace pskmodem {

namespace {
constexpr int kHysteresis = 5;
// The level's time constant in symbols: kFastest at speed 200, kFastest + kPerStep * 200
// at speed 0.
constexpr float kFastest = 8.0f;
constexpr float kPerStep = 0.1f;
// The part of the mean quality that reads as level 0. Noise's mean wanders about 0 (by
// about 0.1 at the program's default speed, 1) and seldom passes 0.3 (level 10, the
// program's default threshold), while a signal at -10 dB brings it to 0.6 within a
// second.
constexpr float kBias = 0.22f;
// On decided QPSK symbols noise's mean sits about 0.29 and passed 0.68 at most in forty
// minutes; a QPSK31 station reads 0.96 at -10 dB, 0.92 at -12.5 dB and 0.8 at -14 dB.
constexpr float kBiasDecided = 0.71f;
// The phase change the quality is measured against follows over 8 symbols, so a
// frequency offset that the carrier loop has not taken out yet costs nothing.
constexpr float kReferenceWeight = 1.0f / 8.0f;
// The receiver's own figure averages over 96 symbols (written as it always was, so the
// receiver's decisions on it stay bit for bit what they were).
constexpr float kLockWeight = 1.0f / (16.0f + 0.4f * 200.0f);
} // namespace

void Squelch::reset() {
    mean_ = 0.0f;
    lockMean_ = 0.0f;
    reference_ = cf{};
    open_ = threshold_ == 0;
}

void Squelch::set(int32_t threshold, int32_t speed) {
    threshold_ = std::clamp(threshold, int32_t{0}, int32_t{100});
    const int32_t s = std::clamp(speed, int32_t{0}, int32_t{200});
    weight_ = 1.0f / (kFastest + kPerStep * static_cast<float>(200 - s));
    if (threshold_ == 0)
        open_ = true;
}

void Squelch::measure(float quality) {
    lockMean_ += (std::clamp(quality, -1.0f, 1.0f) - lockMean_) * kLockWeight;
}

void Squelch::gate(cf change) {
    // The change to the power M takes the modulation off; what is left is its deviation
    // from the allowed changes, plus any steady rotation (an offset), which the reference
    // follows. Measured against the reference before this symbol enters it, noise reads
    // 0 on average (a decided symbol: the decisions' bias, which the margin takes out).
    cf z = change;
    for (int k = 1; k < order_; k *= 2)
        z = cmul(z, z);
    const float zn = std::abs(z);
    z = zn > 0.0f ? z / zn : cf{};
    const float rn = std::abs(reference_);
    const float q = rn > 1e-6f ? (z.real() * reference_.real() + z.imag() * reference_.imag()) / rn : 0.0f;
    reference_ += (z - reference_) * kReferenceWeight;
    mean_ += (q - mean_) * weight_;
    const int l = level();
    if (threshold_ == 0)
        open_ = true;
    else if (l >= threshold_)
        open_ = true;
    else if (l < threshold_ - kHysteresis)
        open_ = false;
}

void Squelch::prime() {
    if (threshold_ == 0 || open_)
        return;
    const float bias = order_ == 1 ? kBiasDecided : kBias;
    mean_ = std::max(mean_, bias + (1.0f - bias) * static_cast<float>(threshold_) / 100.0f);
    open_ = true;
}

int Squelch::level() const {
    const float bias = order_ == 1 ? kBiasDecided : kBias;
    return std::clamp(static_cast<int>(std::lround(100.0f * (mean_ - bias) / (1.0f - bias))), 0, 100);
}

int Squelch::quality() const {
    return std::clamp(static_cast<int>(std::lround(100.0f * lockMean_)), 0, 100);
}

} // namespace pskmodem
