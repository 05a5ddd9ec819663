#include "equalizer.h"

#include "matched_filter.h"

#include <cmath>

namespace pskmodem {

Equalizer::Equalizer() {
    // Interference a from each side: the inverse of (a z^-T + 1 + a z^T) has taps
    // proportional to (-rho)^|n|, rho the root below 1 of a rho^2 - rho + a = 0.
    const auto r = MatchedFilter::symbol_response();
    const double a = 0.5 * (r[0] + r[2]);
    const double rho = a > 1e-9 ? (1.0 - std::sqrt(1.0 - 4.0 * a * a)) / (2.0 * a) : 0.0;
    c_ = static_cast<float>(rho);
}

void Equalizer::reset() {
    line_.fill(cf{});
    pos_ = 0;
}

void Equalizer::process(std::span<const cf> in, std::span<cf> out) {
    for (std::size_t i = 0; i < in.size() && i < out.size(); ++i) {
        line_[static_cast<std::size_t>(pos_)] = in[i];
        int mid = pos_ - kRxSamplesPerSymbol;
        if (mid < 0)
            mid += kLine;
        const int old = pos_ + 1 == kLine ? 0 : pos_ + 1;
        const cf newest = in[i];
        const cf middle = line_[static_cast<std::size_t>(mid)];
        const cf oldest = line_[static_cast<std::size_t>(old)];
        out[i] = middle - c_ * (newest + oldest);
        pos_ = old;
    }
}

} // namespace pskmodem
