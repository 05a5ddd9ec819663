#include "noise_floor.h"

#include <algorithm>
#include <cmath>

namespace pskmodem {

namespace {
constexpr double kPercentile = 0.25;
} // namespace

NoiseFloor::NoiseFloor(std::size_t fftSize, std::size_t firstBin, std::size_t lastBin)
    : fftSize_(fftSize), first_(firstBin), last_(std::max(firstBin, lastBin)) {
    scratch_.reserve(last_ - first_ + 1);
}

float NoiseFloor::process(std::span<const float> power) {
    if (power.size() <= first_)
        return 0.0f;
    const std::size_t last = std::min(last_, power.size() - 1);
    scratch_.assign(power.begin() + static_cast<std::ptrdiff_t>(first_),
                    power.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    const auto nth =
        scratch_.begin() + static_cast<std::ptrdiff_t>(kPercentile * static_cast<double>(scratch_.size()));
    std::nth_element(scratch_.begin(), nth, scratch_.end());
    // A noise bin's power is exponentially distributed: its 25th percentile is
    // ln(4/3) times its mean.
    const double mean = static_cast<double>(*nth) / std::log(1.0 / (1.0 - kPercentile));
    // With Spectrum's scaling (Hann window, full-scale sine = 1) white noise of variance
    // s2 gives a mean bin power of 6 s2 / N; a full-scale sine has power 1/2.
    const double variance = mean * static_cast<double>(fftSize_) / 6.0;
    return static_cast<float>(variance / 0.5);
}

float NoiseFloor::to_db(float power) {
    return 10.0f * std::log10(std::max(power, 1e-20f));
}

} // namespace pskmodem
