#include "bpsk_detector.h"

#include "symbol_filter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace pskmodem {

namespace {
// How fast the symbols' level follows a change of the signal.
constexpr float kLevelWeight = 1.0f / 32.0f;
// The strobes at hand may read this much under the mean level before they set it.
constexpr float kRecentMargin = 1.5f;

// The best prediction of a strobe's noise from that of the two before it.
struct Prediction {
    float p1, p2;
};

Prediction prediction() {
    const double r1 = SymbolFilter::noise_correlation(1);
    const double r2 = SymbolFilter::noise_correlation(2);
    const double d = 1.0 - r1 * r1;
    return {static_cast<float>(r1 * (1.0 - r2) / d), static_cast<float>((r2 - r1 * r1) / d)};
}
} // namespace

void BpskDetector::reset() {
    level_ = 1.0f;
    x_.fill(0.0f);
    waiting_.fill(SoftBit{0, 0.0f});
    coherent_.fill(false);
    filled_ = 0;
    sign_.fill(1.0f);
    margin_ = 0.0f;
}

std::optional<SoftBit> BpskDetector::push(cf v, float amplitude, SoftBit differential, bool coherent) {
    static const Prediction p = prediction();
    static const auto behind = static_cast<float>(SymbolFilter::symbol_response(-2));
    std::copy(x_.begin() + 1, x_.end(), x_.begin());
    x_[kHold - 1] = v.real() / std::max(amplitude, 1e-12f);
    std::copy(waiting_.begin() + 1, waiting_.end(), waiting_.begin());
    waiting_[kSpan - 1] = differential;
    std::copy(coherent_.begin() + 1, coherent_.end(), coherent_.begin());
    coherent_[kSpan - 1] = coherent;
    if (filled_ < kDelay) {
        ++filled_;
        return std::nullopt;
    }
    // Symbols of a hypothesis: index 0..kPast-1 the decided ones (oldest first), then the
    // kSpan undecided ones.
    std::array<float, kPast + kSpan> a{};
    for (int i = 0; i < kPast; ++i)
        a[static_cast<std::size_t>(i)] = sign_[static_cast<std::size_t>(kPast - 1 - i)];
    // The whitened strobes: each less the noise predicted from the two before it.
    std::array<float, kSpan> z{};
    for (int j = 0; j < kSpan; ++j)
        z[static_cast<std::size_t>(j)] = x_[static_cast<std::size_t>(j + 2)] -
                                         p.p1 * x_[static_cast<std::size_t>(j + 1)] -
                                         p.p2 * x_[static_cast<std::size_t>(j)];
    // The symbols' level: the slow mean of the decided ones, unless the strobes at hand
    // stand well below it. A station that has just gone (or faded) would still read at
    // its old level, and the echo it then expects makes the noise read as alternating
    // symbols, a preamble's idle. (The strobes at hand alone are too few: their own noise
    // then leans every decision.)
    float recent = 0.0f;
    for (float xi : x_)
        recent += std::fabs(xi);
    const float level = std::min(level_, kRecentMargin * recent / static_cast<float>(kHold));
    float best[2] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity()};
    for (int h = 0; h < (1 << kSpan); ++h) {
        for (int j = 0; j < kSpan; ++j)
            a[static_cast<std::size_t>(kPast + j)] = (h >> j) & 1 ? 1.0f : -1.0f;
        float m = 0.0f;
        for (int j = 0; j < kSpan; ++j) {
            const auto at = [&](int back) { return a[static_cast<std::size_t>(kPast + j - back)]; };
            const float s0 = at(0) + behind * at(2);
            const float s1 = at(1) + behind * at(3);
            const float s2 = at(2) + behind * at(4);
            const float e = z[static_cast<std::size_t>(j)] - level * (s0 - p.p1 * s1 - p.p2 * s2);
            m += e * e;
        }
        float &b = best[h & 1];
        b = std::min(b, m);
    }
    const float s = best[1] <= best[0] ? 1.0f : -1.0f;
    // In the units of the strobe: the metric's gap reads 4 * level * margin.
    const float margin = std::fabs(best[0] - best[1]) / (4.0f * std::max(level, 1e-3f));
    SoftBit out = waiting_[0];
    if (coherent_[0])
        out = SoftBit{static_cast<uint8_t>(s == sign_[0] ? 1 : 0), std::min(margin, margin_), margin};
    std::copy_backward(sign_.begin(), sign_.end() - 1, sign_.end());
    sign_[0] = s;
    margin_ = margin;
    level_ += (x_[2] * s - level_) * kLevelWeight;
    return out;
}

} // namespace pskmodem
