#include "radix2_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

namespace pskmodem {

namespace {
using cf = std::complex<float>;

// Written out: std::complex's operator* checks for infinities in a slow path.
cf mul(cf a, cf b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}
} // namespace

void radix2_fft(std::span<cf> a, bool inverse) {
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double ang = 2.0 * std::numbers::pi / static_cast<double>(len) * (inverse ? 1.0 : -1.0);
        const cf wl(static_cast<float>(std::cos(ang)), static_cast<float>(std::sin(ang)));
        for (std::size_t i = 0; i < n; i += len) {
            cf w(1.0f, 0.0f);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const cf u = a[i + k];
                const cf v = mul(a[i + k + len / 2], w);
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w = mul(w, wl);
            }
        }
    }
}

} // namespace pskmodem
