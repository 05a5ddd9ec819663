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
        // Plain floats (std::complex is an array of two): the compiler's packing of
        // complex pairs through memory stalled this loop on store forwarding.
        const float *z = reinterpret_cast<const float *>(in.data() + i);
        const float *h0 = g0_.data() + r0, *h1 = g1_.data() + r0, *h2 = g2_.data() + r0;
        for (std::size_t k = 0; k < take; ++k) {
            const float zr = z[2 * k], zi = z[2 * k + 1];
            a0r += h0[k] * zr;
            a0i += h0[k] * zi;
            a1r += h1[k] * zr;
            a1i += h1[k] * zi;
            a2r += h2[k] * zr;
            a2i += h2[k] * zi;
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
