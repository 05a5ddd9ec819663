#include "decimator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace pskmodem {

void Decimator::create(int factor) {
    factor_ = std::clamp(factor, 1, kMaxFactor);
    const auto d = static_cast<std::size_t>(factor_);
    // Three boxcars convolved: 3d - 2 taps, padded to 3d, summing to 1.
    std::array<double, 3 * kMaxFactor> h{};
    std::array<double, 3 * kMaxFactor> t{};
    for (std::size_t i = 0; i < d; ++i)
        h[i] = 1.0;
    for (int pass = 0; pass < 2; ++pass) {
        t.fill(0.0);
        for (std::size_t i = 0; i < 3 * d; ++i)
            for (std::size_t k = 0; k < d && k <= i; ++k)
                t[i] += h[i - k];
        h = t;
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < 3 * d; ++i)
        sum += h[i];
    for (std::size_t r = 0; r < d; ++r) {
        g0_[r] = static_cast<float>(h[d - 1 - r] / sum);
        g1_[r] = static_cast<float>(h[2 * d - 1 - r] / sum);
        g2_[r] = static_cast<float>(h[3 * d - 1 - r] / sum);
    }
    reset();
}

void Decimator::reset() {
    pos_ = 0;
    acc0_ = acc1_ = acc2_ = cf{};
}

std::size_t Decimator::process(std::span<const cf> in, std::span<cf> out) {
    std::size_t produced = 0;
    std::size_t i = 0;
    const std::size_t n = in.size();
    while (i < n) {
        // Run to the end of the current block or of the input.
        const auto r0 = static_cast<std::size_t>(pos_);
        const std::size_t take = std::min(n - i, static_cast<std::size_t>(factor_) - r0);
        float a0r = acc0_.real(), a0i = acc0_.imag();
        float a1r = acc1_.real(), a1i = acc1_.imag();
        float a2r = acc2_.real(), a2i = acc2_.imag();
        for (std::size_t k = 0; k < take; ++k) {
            const cf z = in[i + k];
            const std::size_t r = r0 + k;
            a0r += g0_[r] * z.real();
            a0i += g0_[r] * z.imag();
            a1r += g1_[r] * z.real();
            a1i += g1_[r] * z.imag();
            a2r += g2_[r] * z.real();
            a2i += g2_[r] * z.imag();
        }
        i += take;
        pos_ += static_cast<int>(take);
        if (pos_ == factor_) {
            if (produced < out.size())
                out[produced++] = cf(a0r, a0i);
            acc0_ = cf(a1r, a1i);
            acc1_ = cf(a2r, a2i);
            acc2_ = cf{};
            pos_ = 0;
        } else {
            acc0_ = cf(a0r, a0i);
            acc1_ = cf(a1r, a1i);
            acc2_ = cf(a2r, a2i);
        }
    }
    return produced;
}

double Decimator::gain_at(double f) const {
    const double x = std::numbers::pi * f;
    if (std::fabs(std::sin(x)) < 1e-12)
        return 1.0;
    const double one = std::sin(x * factor_) / (factor_ * std::sin(x));
    return std::fabs(one * one * one);
}

} // namespace pskmodem
