#include "spectrum_averager.h"

#include <algorithm>
#include <cmath>

namespace pskmodem {

namespace {
// Below this a bin is silent: digital silence must not become -infinity.
constexpr float kMinPower = 1e-20f;
} // namespace

FftMode fft_mode(int mode) {
    static constexpr float kWeights[5] = {1.0f, 0.5f, 0.25f, 0.125f, 0.0625f};
    const int m = std::clamp(mode, 1, 10) - 1;
    return FftMode{kWeights[m % 5], m < 5 ? -80.0f : -100.0f, 0.0f};
}

int32_t to_display(float db, const FftMode &mode, int32_t scale) {
    if (scale < 1 || std::isnan(db))
        return 0;
    const float frac = (db - mode.floorDb) / (mode.topDb - mode.floorDb);
    const float v = std::round(std::clamp(frac, 0.0f, 1.0f) * static_cast<float>(scale));
    return std::clamp(static_cast<int32_t>(v), int32_t{0}, scale);
}

SpectrumAverager::SpectrumAverager(std::size_t bins) : average_(bins, 0.0f) {}

void SpectrumAverager::process(std::span<const float> power, std::span<float> db) {
    const std::size_t n = std::min({power.size(), db.size(), average_.size()});
    // The first spectrum seeds the average, so a long time constant does not start
    // with seconds of rising from nothing.
    const float w = primed_ ? weight_ : 1.0f;
    for (std::size_t k = 0; k < n; ++k) {
        average_[k] += w * (power[k] - average_[k]);
        db[k] = 10.0f * std::log10(std::max(average_[k], kMinPower));
    }
    primed_ = true;
}

void SpectrumAverager::reset() {
    std::fill(average_.begin(), average_.end(), 0.0f);
    primed_ = false;
}

} // namespace pskmodem
