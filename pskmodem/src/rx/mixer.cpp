#include "mixer.h"

#include <cmath>
#include <numbers>

namespace pskmodem {

void Mixer::reset() {
    const double w = -2.0 * std::numbers::pi * hz_ / rate_;
    for (int i = 0; i < 4; ++i)
        phase_[i] = cf(static_cast<float>(std::cos(w * i)), static_cast<float>(std::sin(w * i)));
    step4_ = cf(static_cast<float>(std::cos(4.0 * w)), static_cast<float>(std::sin(4.0 * w)));
}

void Mixer::set_frequency(double hz) {
    if (hz == hz_)
        return;
    hz_ = hz;
    // Keep the phase of the next sample, rebuild the other three and the step.
    const cf p0 = phase_[0];
    const double w = -2.0 * std::numbers::pi * hz_ / rate_;
    for (int i = 0; i < 4; ++i)
        phase_[i] = cmul(p0, cf(static_cast<float>(std::cos(w * i)), static_cast<float>(std::sin(w * i))));
    step4_ = cf(static_cast<float>(std::cos(4.0 * w)), static_cast<float>(std::sin(4.0 * w)));
}

void Mixer::process(std::span<const float> in, std::span<cf> out) {
    const std::size_t n = std::min(in.size(), out.size());
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        for (int k = 0; k < 4; ++k) {
            out[i + static_cast<std::size_t>(k)] = phase_[k] * in[i + static_cast<std::size_t>(k)];
            phase_[k] = cmul(phase_[k], step4_);
        }
    }
    // A tail shorter than four samples: shift the oscillators by what was used.
    std::size_t used = 0;
    for (; i < n; ++i, ++used)
        out[i] = phase_[used] * in[i];
    if (used > 0) {
        cf next[4];
        for (std::size_t k = 0; k < 4; ++k)
            next[k] = k + used < 4 ? phase_[k + used] : cmul(phase_[k + used - 4], step4_);
        for (int k = 0; k < 4; ++k)
            phase_[k] = next[k];
    }
    // Keep the amplitude at 1 against rounding; once per call is plenty.
    for (auto &p : phase_)
        p /= std::abs(p);
}

} // namespace pskmodem
