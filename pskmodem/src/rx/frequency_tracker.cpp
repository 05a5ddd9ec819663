#include "frequency_tracker.h"

#include "dsp/complex_fft.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

namespace pskmodem {

namespace {
constexpr double kPi = std::numbers::pi;

// A line must stand this far (power) above the median of the searched range. Noise
// alone reaches 19 (squared) and 77 (fourth power) in two thousand blocks; a BPSK or
// QPSK signal at -8 dB stands at 50 to several hundred.
constexpr double kThreshold2 = 30.0;
constexpr double kThreshold4 = 80.0;
// A block whose best squared line stands this far up is looked at again over twice the
// time; noise alone hardly ever reaches it (the longer look costs as much as the rest of
// the search).
constexpr double kHint = 12.0;
// What is searched: the range, and the idle's tones either side of it (bauds beyond).
constexpr double kEdgeBauds = 0.55;
// A line must stand this far above the bins kLineWidthHz either side of it.
constexpr double kLineWidthHz = 3.0;
constexpr double kSharpness = 6.0;
// A BPSK preamble's reversals are two tones half the baud either side of its carrier,
// each with half its power, plain in the spectrum of the block itself: there a weak
// station's preamble stands far clearer out of the noise than the line of the squared
// signal (which the reversals' envelope takes down to a quarter). Each tone must stand
// this far (power) above the mean of the bins, and the two together kPairThreshold: a
// little lower, and noise alone moves a waiting channel more often than the squared
// line does (once in some ten hours).
constexpr double kToneThreshold = 10.0;
constexpr double kPairThreshold = 30.0;

template <int N> const std::array<float, N> &blackman() {
    static const auto w = [] {
        std::array<float, N> b{};
        constexpr double n = N;
        for (int i = 0; i < N; ++i)
            b[static_cast<std::size_t>(i)] =
                static_cast<float>(0.42 - 0.5 * std::cos(2.0 * kPi * (i + 0.5) / n) +
                                   0.08 * std::cos(4.0 * kPi * (i + 0.5) / n));
        return b;
    }();
    return w;
}

// The median of v's values (reordered).
double median(std::span<double> v) {
    const auto mid = v.begin() + static_cast<std::ptrdiff_t>(v.size() / 2);
    std::nth_element(v.begin(), mid, v.end());
    return *mid;
}

// Where a peak of power p between its neighbours l and r lies, in bins from the middle one:
// the top of a parabola through the log powers.
double peak_offset(double l, double p, double r) {
    const double ll = std::log(l + 1e-30), lp = std::log(p + 1e-30), lr = std::log(r + 1e-30);
    const double den = ll - 2.0 * lp + lr;
    return den < 0.0 ? std::clamp(0.5 * (ll - lr) / den, -0.5, 0.5) : 0.0;
}

std::span<const float> window(int n) {
    if (n == FrequencyTracker::kBlock)
        return blackman<FrequencyTracker::kBlock>();
    return blackman<FrequencyTracker::kLong>();
}
} // namespace

void FrequencyTracker::create(double sampleRate) {
    rate_ = sampleRate / 2.0;
    baud_ = sampleRate / kRxSamplesPerSymbol;
    // Windowed sinc (Blackman) before halving the rate, cut off at 1.75 baud: what lies
    // beyond would fold back into the searched band.
    constexpr double fc = 1.75 / kRxSamplesPerSymbol;
    std::array<double, kTaps> h{};
    double sum = 0.0;
    for (int i = 0; i < kTaps; ++i) {
        const double x = i - (kTaps - 1) / 2.0;
        const double s = x == 0.0 ? 2.0 * fc : std::sin(2.0 * kPi * fc * x) / (kPi * x);
        const double w =
            0.42 - 0.5 * std::cos(2.0 * kPi * i / (kTaps - 1)) + 0.08 * std::cos(4.0 * kPi * i / (kTaps - 1));
        h[static_cast<std::size_t>(i)] = s * w;
        sum += s * w;
    }
    for (int i = 0; i < kTaps; ++i)
        taps_[static_cast<std::size_t>(i)] = static_cast<float>(h[static_cast<std::size_t>(i)] / sum);
    reset();
}

void FrequencyTracker::reset() {
    line_.fill(cf{});
    linePos_ = 0;
    phase_ = 0;
    restart();
}

void FrequencyTracker::set_search(double lo, double hi, bool fourth) {
    lo_ = std::min(lo, hi);
    hi_ = std::max(lo, hi);
    fourth_ = fourth;
    restart();
}

void FrequencyTracker::restart() {
    settle_ = kTaps;
    collected_ = 0;
    sinceHop_ = 0;
    score_ = 0.0;
    ring_.fill(cf{});
}

bool FrequencyTracker::process(std::span<const cf> in) {
    bool found = false;
    for (const cf x : in) {
        line_[static_cast<std::size_t>(linePos_)] = x;
        line_[static_cast<std::size_t>(linePos_ + kTaps)] = x;
        linePos_ = linePos_ + 1 == kTaps ? 0 : linePos_ + 1;
        if (settle_ > 0)
            --settle_;
        phase_ ^= 1;
        if (phase_ != 0 || settle_ > 0)
            continue;
        const cf *w = &line_[static_cast<std::size_t>(linePos_)];
        float re = 0.0f, im = 0.0f;
        for (int k = 0; k < kTaps; ++k) {
            re += taps_[static_cast<std::size_t>(k)] * w[k].real();
            im += taps_[static_cast<std::size_t>(k)] * w[k].imag();
        }
        ring_[static_cast<std::size_t>(ringPos_)] = cf(re, im);
        ringPos_ = (ringPos_ + 1) % kLong;
        collected_ = std::min(collected_ + 1, kLong);
        // Until the block is full, look every 8 symbols: a strong station is found from
        // half a block, early in its preamble.
        if (collected_ < kBlock / 2)
            continue;
        if (++sinceHop_ < (collected_ < kBlock ? kBlock / 4 : kHop)) {
            // Between those looks, a BPSK preamble's tones every 8 symbols too: a preamble
            // lasts about a second, and a block that holds all of it shows it best.
            if (!fourth_ && sinceHop_ % (kBlock / 4) == 0 && preamble_look()) {
                found = true;
                foundWeak_ = foundTones_ = true;
            }
            continue;
        }
        sinceHop_ = 0;
        // QPSK has its own, longer looks (the acquirer's), which know a drifting station.
        if (analyse(kBlock)) {
            found = true;
            foundWeak_ = foundTones_ = byPreamble_;
        } else if (!fourth_ && collected_ == kLong && score_ >= kHint && analyse(kLong)) {
            found = true;
            foundWeak_ = true;
            foundTones_ = byPreamble_;
        }
    }
    return found;
}

bool FrequencyTracker::analyse(int n) {
    std::array<cf, kLong> buf{};
    const std::span<cf> a(buf.data(), static_cast<std::size_t>(n));
    const auto win = window(n);
    const int pad = 2 * n;
    double power = 0.0;
    for (int i = 0; i < n; ++i) {
        const cf x = ring_[static_cast<std::size_t>((ringPos_ + kLong - n + i) % kLong)];
        a[static_cast<std::size_t>(i)] = x * win[static_cast<std::size_t>(i)];
        power += std::norm(x);
    }
    if (power <= 1e-30)
        return false;
    complex_fft(a);
    // Keep the search range and the idle's tones either side of it.
    const double edge = kEdgeBauds * baud_;
    double pairHz = 0.0;
    const bool pair = !fourth_ && find_preamble(a, edge, pairHz);
    byPreamble_ = false;
    for (int k = 0; k < n; ++k) {
        const double f = (k < n / 2 ? k : k - n) * rate_ / n;
        if (f < lo_ - edge || f > hi_ + edge)
            a[static_cast<std::size_t>(k)] = cf{};
    }
    complex_fft(a, true);
    bool any = false;
    double bestWeighted = 0.0;
    score_ = 0.0;
    for (int order : {2, 4}) {
        if (order == 4 && !fourth_)
            break;
        std::array<cf, kPad> zbuf{};
        const std::span<cf> z(zbuf.data(), static_cast<std::size_t>(pad));
        for (int i = 0; i < n; ++i) {
            cf p = cmul(a[static_cast<std::size_t>(i)], a[static_cast<std::size_t>(i)]);
            if (order == 4)
                p = cmul(p, p);
            z[static_cast<std::size_t>(i)] = p;
        }
        complex_fft(z);
        const double binHz = rate_ / pad / order; // in offset
        std::array<double, kPad> pw{};
        std::array<double, kPad> band{};
        int count = 0;
        for (int k = 0; k < pad; ++k) {
            const int s = k < pad / 2 ? k : k - pad;
            const double f = s * binHz;
            pw[static_cast<std::size_t>(k)] = std::norm(z[static_cast<std::size_t>(k)]);
            if (f >= lo_ && f <= hi_)
                band[static_cast<std::size_t>(count++)] = pw[static_cast<std::size_t>(k)];
        }
        if (count < 8)
            continue;
        // The noise level is the median over the range: a line and its side lines take
        // only a few bins, so they do not raise it.
        const double mean = median(std::span<double>(band.data(), static_cast<std::size_t>(count)));
        if (mean <= 0.0)
            continue;
        const double threshold = order == 2 ? kThreshold2 : kThreshold4;
        for (int k = 0; k < pad; ++k) {
            const int s = k < pad / 2 ? k : k - pad;
            const double f = s * binHz;
            if (f < lo_ || f > hi_)
                continue;
            const double p = pw[static_cast<std::size_t>(k)];
            const double l = pw[static_cast<std::size_t>((k + pad - 1) % pad)];
            const double r = pw[static_cast<std::size_t>((k + 1) % pad)];
            if (p < l || p < r)
                continue; // not a peak
            const double ratio = p / mean;
            score_ = std::max(score_, ratio);
            if (ratio < threshold)
                continue;
            // A line is narrow: the window's main lobe is gone 3 Hz away. QPSK data
            // squared give a hump a baud wide, whose top is no carrier.
            const int side = static_cast<int>(std::lround(kLineWidthHz / binHz));
            const double sides = std::max(pw[static_cast<std::size_t>((k + side) % pad)],
                                          pw[static_cast<std::size_t>((k + pad - side) % pad)]);
            if (p < kSharpness * sides)
                continue;
            const double weighted = centre_weighted(ratio, f);
            if (weighted <= bestWeighted)
                continue;
            bestWeighted = weighted;
            found_ = (s + peak_offset(l, p, r)) * binHz;
            any = true;
        }
    }
    // A preamble too weak for the squared line yet.
    if (!any && pair) {
        found_ = pairHz;
        byPreamble_ = any = true;
    }
    return any;
}

double FrequencyTracker::centre_weighted(double score, double f) const {
    const double d = (f - 0.5 * (lo_ + hi_)) / std::max(0.5 * (hi_ - lo_), 1.0);
    return score / (1.0 + d * d);
}

bool FrequencyTracker::preamble_look() {
    std::array<cf, kBlock> a{};
    const auto win = window(kBlock);
    for (int i = 0; i < kBlock; ++i)
        a[static_cast<std::size_t>(i)] =
            ring_[static_cast<std::size_t>((ringPos_ + kLong - kBlock + i) % kLong)] *
            win[static_cast<std::size_t>(i)];
    complex_fft(a);
    return find_preamble(a, kEdgeBauds * baud_, found_);
}

bool FrequencyTracker::find_preamble(std::span<const cf> spectrum, double edge, double &hz) const {
    const int n = static_cast<int>(spectrum.size());
    const double binHz = rate_ / n;
    const int half = static_cast<int>(std::lround(0.5 * baud_ / binHz)); // the tones' distance
    const auto bin = [n](int s) { return static_cast<std::size_t>((s + n) % n); };
    std::array<double, kLong> pw{}, band{};
    int count = 0;
    for (int s = -n / 2; s < n / 2; ++s) {
        pw[bin(s)] = std::norm(spectrum[bin(s)]);
        const double f = s * binHz;
        if (f >= lo_ - edge && f <= hi_ + edge)
            band[static_cast<std::size_t>(count++)] = pw[bin(s)];
    }
    if (count < 8)
        return false;
    // The mean noise bin from the median (of exponentially distributed powers): the two
    // tones take only a few bins.
    const double mean =
        median(std::span<double>(band.data(), static_cast<std::size_t>(count))) / std::numbers::ln2;
    if (mean <= 0.0)
        return false;
    const auto peak = [&](int s) { return peak_offset(pw[bin(s - 1)], pw[bin(s)], pw[bin(s + 1)]); };
    double best = 0.0;
    for (int s = -n / 2 + half + 1; s < n / 2 - half - 1; ++s) {
        const double f = s * binHz;
        if (f < lo_ || f > hi_)
            continue;
        const double below = pw[bin(s - half)] / mean, above = pw[bin(s + half)] / mean;
        if (std::min(below, above) < kToneThreshold || below + above < kPairThreshold)
            continue;
        const double weighted = centre_weighted(below + above, f);
        if (weighted <= best)
            continue;
        best = weighted;
        hz = (s + 0.5 * (peak(s - half) + peak(s + half))) * binHz;
    }
    return best > 0.0;
}

} // namespace pskmodem
