#include "squelch.h"

#include <algorithm>
#include <cmath>

namespace pskmodem {

namespace {
constexpr int kHysteresis = 5;
} // namespace

void Squelch::reset() {
    mean_ = 0.0f;
    open_ = threshold_ == 0;
}

void Squelch::set(int32_t threshold, int32_t speed) {
    threshold_ = std::clamp(threshold, int32_t{0}, int32_t{100});
    const int32_t s = std::clamp(speed, int32_t{0}, int32_t{200});
    weight_ = 1.0f / (16.0f + 0.4f * static_cast<float>(200 - s));
    if (threshold_ == 0)
        open_ = true;
}

void Squelch::process(float quality) {
    mean_ += (std::clamp(quality, -1.0f, 1.0f) - mean_) * weight_;
    const int l = level();
    if (threshold_ == 0)
        open_ = true;
    else if (l >= threshold_)
        open_ = true;
    else if (l < threshold_ - kHysteresis)
        open_ = false;
}

void Squelch::process(std::span<const float> quality) {
    for (float q : quality)
        process(q);
}

int Squelch::level() const {
    return std::clamp(static_cast<int>(std::lround(100.0f * mean_)), 0, 100);
}

} // namespace pskmodem
