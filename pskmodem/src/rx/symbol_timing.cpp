#include "symbol_timing.h"

#include <algorithm>
#include <cmath>

namespace pskmodem {

namespace {
constexpr double kNominal = kRxSamplesPerSymbol;
// Loop gains: the detector's slope is about 0.4 per sample of error on a reversal and
// half that on random data.
constexpr double kWideP = 0.5, kWideI = 0.01;
constexpr double kNarrowP = 0.12, kNarrowI = 0.0015;
constexpr double kMaxStep = 2.0; // samples a symbol, against runaway on noise
// The integrator holds the clock error: +-1500 ppm is more than any sound card is off.
// Left free it picks up the jolt of a signal's onset, and since data gives the detector
// little grip, the loop then settles a fraction of a symbol off to balance it.
constexpr double kMaxClock = 1500e-6 * kNominal;
constexpr float kProfileWeight = 1.0f / 16.0f;
} // namespace

void SymbolTiming::reset() {
    ring_.fill(cf{});
    head_ = 0;
    next_ = kNominal;
    integ_ = 0.0;
    power_ = 0.0;
    lastStep_ = kNominal;
    prev_ = cf{};
    narrow_ = false;
    profile_.fill(0.0f);
    clock_restart();
}

void SymbolTiming::clock_restart() {
    drift_ = 0.0;
    n_ = sx_ = sy_ = sxx_ = sxy_ = 0.0;
}

cf SymbolTiming::at(double offset) const {
    const double f = std::floor(offset);
    const float frac = static_cast<float>(offset - f);
    const int i = head_ + static_cast<int>(f);
    const cf a = ring_[static_cast<std::size_t>((i + kRing) & (kRing - 1))];
    const cf b = ring_[static_cast<std::size_t>((i + 1 + kRing) & (kRing - 1))];
    return a + (b - a) * frac;
}

std::size_t SymbolTiming::process(std::span<const cf> in, std::span<SymbolSample> out) {
    std::size_t produced = 0;
    for (std::size_t n = 0; n < in.size(); ++n) {
        head_ = (head_ + 1) & (kRing - 1);
        ring_[static_cast<std::size_t>(head_)] = in[n];
        next_ -= 1.0;
        if (next_ > 0.0)
            continue;
        // The strobe lies between the previous sample and this one.
        const cf y = at(next_);
        const cf mid = at(next_ - 0.5 * lastStep_);
        const double p = std::norm(y);
        power_ = power_ == 0.0 ? p : power_ + (p - power_) / 16.0;
        double e = 0.0;
        if (power_ > 1e-30) {
            const cf d = prev_ - y;
            e = (mid.real() * d.real() + mid.imag() * d.imag()) / power_;
            e = std::clamp(e, -2.0, 2.0);
        }
        // The profile around the previous strobe, now that all of it has arrived.
        for (int k = 0; k < kProfile; ++k) {
            const double off = next_ - lastStep_ + (k - kProfile / 2) * (lastStep_ / kProfile);
            const float v = std::norm(at(off));
            profile_[static_cast<std::size_t>(k)] += (v - profile_[static_cast<std::size_t>(k)]) * kProfileWeight;
        }
        const double kp = narrow_ ? kNarrowP : kWideP;
        const double ki = narrow_ ? kNarrowI : kWideI;
        integ_ = std::clamp(integ_ + ki * e, -kMaxClock, kMaxClock);
        const double step = kNominal + std::clamp(kp * e + integ_, -kMaxStep, kMaxStep);
        next_ += step;
        lastStep_ = step;
        prev_ = y;
        // Fit the accumulated drift: its slope is the clock error.
        drift_ += step - kNominal;
        n_ += 1.0;
        sx_ += n_;
        sy_ += drift_;
        sxx_ += n_ * n_;
        sxy_ += n_ * drift_;
        if (produced < out.size())
            out[produced++] = SymbolSample{y, static_cast<int>(n)};
    }
    return produced;
}

std::array<float, SymbolTiming::kProfile> SymbolTiming::profile() const {
    std::array<float, kProfile> p = profile_;
    const float peak = *std::max_element(p.begin(), p.end());
    if (peak > 0.0f)
        for (float &v : p)
            v /= peak;
    return p;
}

bool SymbolTiming::clock_ppm(int minSymbols, double &ppm) const {
    if (n_ < std::max(minSymbols, 3))
        return false;
    const double den = n_ * sxx_ - sx_ * sx_;
    if (den <= 0.0)
        return false;
    const double slope = (n_ * sxy_ - sx_ * sy_) / den; // samples a symbol
    ppm = slope / kNominal * 1e6;
    return true;
}

} // namespace pskmodem
