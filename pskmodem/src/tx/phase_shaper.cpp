#include "phase_shaper.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

PhaseShaper::PhaseShaper(int samplesPerSymbol) {
    set_samples_per_symbol(samplesPerSymbol);
}

void PhaseShaper::set_samples_per_symbol(int samplesPerSymbol) {
    const auto n = static_cast<std::size_t>(std::max(samplesPerSymbol, 2));
    weight_.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        weight_[i] = static_cast<float>(
            0.5 * (1.0 + std::cos(std::numbers::pi * static_cast<double>(i) / static_cast<double>(n))));
}

void PhaseShaper::process(std::span<const std::complex<float>> targets, std::span<std::complex<float>> out) {
    const std::size_t n = weight_.size();
    for (std::size_t s = 0; s < targets.size() && (s + 1) * n <= out.size(); ++s) {
        const std::complex<float> from = phasor_;
        const std::complex<float> to = targets[s];
        std::complex<float> *dst = out.data() + s * n;
        for (std::size_t i = 0; i < n; ++i)
            dst[i] = from * weight_[i] + to * (1.0f - weight_[i]);
        phasor_ = to;
    }
}

} // namespace pskmodem
