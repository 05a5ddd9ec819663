#include "matched_filter.h"

#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {
// Pulse sample m of kPulse, at the centres of the sample intervals.
double pulse(int m) {
    const double t = (m + 0.5) / MatchedFilter::kPulse - 0.5; // -0.5 .. 0.5 of 2T
    const double c = std::cos(std::numbers::pi * t);
    return c * c;
}

std::array<float, MatchedFilter::kTaps> make_taps() {
    std::array<float, MatchedFilter::kTaps> h{};
    // taps()[0] weighs the oldest sample of the window: pulse samples 0 .. kTaps-1 in
    // time order (the pulse is symmetric, so matching is the pulse itself).
    double sum = 0.0;
    for (int i = 0; i < MatchedFilter::kTaps; ++i)
        sum += pulse(i);
    for (int i = 0; i < MatchedFilter::kTaps; ++i)
        h[static_cast<std::size_t>(i)] = static_cast<float>(pulse(i) / sum);
    return h;
}
} // namespace

const std::array<float, MatchedFilter::kTaps> &MatchedFilter::taps() {
    static const auto h = make_taps();
    return h;
}

std::array<double, 3> MatchedFilter::symbol_response() {
    // What the filter makes of the previous, the present and the next symbol's pulse
    // when it is aligned with the present one.
    std::array<double, 3> r{};
    const auto &h = taps();
    for (int i = 0; i < kTaps; ++i) {
        const double w = h[static_cast<std::size_t>(i)];
        if (i + kRxSamplesPerSymbol < kPulse)
            r[0] += w * pulse(i + kRxSamplesPerSymbol);
        r[1] += w * pulse(i);
        if (i >= kRxSamplesPerSymbol)
            r[2] += w * pulse(i - kRxSamplesPerSymbol);
    }
    const double peak = r[1];
    for (double &v : r)
        v /= peak;
    return r;
}

MatchedFilter::MatchedFilter() {
    reset();
}

void MatchedFilter::reset() {
    line_.reset();
}

void MatchedFilter::process(std::span<const cf> in, std::span<cf> out) {
    const auto &h = taps();
    for (std::size_t n = 0; n < in.size() && n < out.size(); ++n) {
        out[n] = line_.push(in[n], h);
    }
}

} // namespace pskmodem
