#include "frequency_tracker.h"

#include <cmath>
#include <numbers>

namespace pskmodem {

void FrequencyTracker::create(double sampleRate) {
    rate_ = sampleRate;
    // Windowed sinc (Blackman), cut off at 1.75 baud.
    constexpr double fc = 1.75 / kRxSamplesPerSymbol;
    std::array<double, kTaps> h{};
    double sum = 0.0;
    for (int i = 0; i < kTaps; ++i) {
        const double x = i - (kTaps - 1) / 2.0;
        const double s = x == 0.0 ? 2.0 * fc : std::sin(2.0 * std::numbers::pi * fc * x) / (std::numbers::pi * x);
        const double w = 0.42 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (kTaps - 1)) +
                         0.08 * std::cos(4.0 * std::numbers::pi * i / (kTaps - 1));
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
    power_ = 0.0;
    past_.fill(cf{});
    pastPos_ = 0;
    restart_average();
}

void FrequencyTracker::set_order(int order) {
    order_ = order == 4 ? 4 : 2;
    restart_average();
}

void FrequencyTracker::restart_average() {
    accShort_ = accLong_ = cf{};
    accMag_ = 0.0;
    settle_ = kTaps + kLong;
}

void FrequencyTracker::process(std::span<const cf> in) {
    for (const cf x : in) {
        line_[static_cast<std::size_t>(linePos_)] = x;
        line_[static_cast<std::size_t>(linePos_ + kTaps)] = x;
        linePos_ = linePos_ + 1 == kTaps ? 0 : linePos_ + 1;
        const cf *w = &line_[static_cast<std::size_t>(linePos_)];
        float re = 0.0f, im = 0.0f;
        for (int k = 0; k < kTaps; ++k) {
            re += taps_[static_cast<std::size_t>(k)] * w[k].real();
            im += taps_[static_cast<std::size_t>(k)] * w[k].imag();
        }
        const cf z(re, im);
        power_ = power_ == 0.0 ? std::norm(z) : power_ + (std::norm(z) - power_) * (1.0 / 32.0);
        if (power_ < 1e-20)
            continue; // nothing to measure yet
        cf p = cmul(z, z) / static_cast<float>(power_);
        if (order_ == 4)
            p = cmul(p, p);
        const auto now = static_cast<std::size_t>(pastPos_);
        const auto shortAgo = static_cast<std::size_t>((pastPos_ + kLong - kShort) % kLong);
        const cf dShort = cmul_conj(p, past_[shortAgo]);
        const cf dLong = cmul_conj(p, past_[now]); // the oldest held: kLong samples ago
        past_[now] = p;
        pastPos_ = (pastPos_ + 1) % kLong;
        if (settle_ > 0) {
            --settle_;
            continue;
        }
        accShort_ += dShort;
        accLong_ += dLong;
        accMag_ += std::abs(dShort);
    }
}

double FrequencyTracker::offset_hz() const {
    if (accShort_ == cf{})
        return 0.0;
    // Frequencies of the squared signal, as cycles per sample.
    const double coarse = std::arg(accShort_) / (2.0 * std::numbers::pi * kShort);
    const double fine = std::arg(accLong_) / (2.0 * std::numbers::pi * kLong);
    // The long step is ambiguous by whole cycles over kLong samples.
    const double step = 1.0 / kLong;
    const double k = std::round((coarse - fine) / step);
    return (fine + k * step) / order_ * rate_;
}

double FrequencyTracker::coherence() const {
    return accMag_ > 0.0 ? std::abs(accShort_) / accMag_ : 0.0;
}

} // namespace pskmodem
