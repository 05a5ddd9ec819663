#include "equalizer.h"

#include "matched_filter.h"

#include <cmath>

namespace pskmodem {

Equalizer::Equalizer() {
    // Interference a from each side: the inverse of (a z^-1 + 1 + a z) has taps
    // proportional to (-rho)^|n|, rho the root below 1 of a rho^2 - rho + a = 0.
    const auto r = MatchedFilter::symbol_response();
    const double a = 0.5 * (r[0] + r[2]);
    const double rho = a > 1e-9 ? (1.0 - std::sqrt(1.0 - 4.0 * a * a)) / (2.0 * a) : 0.0;
    c_ = static_cast<float>(rho);
}

void Equalizer::reset() {
    y1_ = y2_ = cf{};
}

cf Equalizer::process(cf y) {
    const cf u = y1_ - c_ * (y2_ + y);
    y2_ = y1_;
    y1_ = y;
    return u;
}

void Equalizer::process(std::span<const cf> in, std::span<cf> out) {
    for (std::size_t i = 0; i < in.size() && i < out.size(); ++i)
        out[i] = process(in[i]);
}

} // namespace pskmodem
