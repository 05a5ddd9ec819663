// Decimator: low-pass filters complex baseband and keeps one sample in `factor`.
// The filter is three boxcars of `factor` samples in cascade (a CIC response computed
// as an FIR, so floating point needs no wrapping integrators): it has triple zeros at
// every multiple of the output rate, exactly where the signals that would alias onto
// the wanted band sit, and costs three multiply-adds per input sample.
#pragma once

#include "rx_types.h"

#include <array>
#include <span>

namespace pskmodem {

class Decimator {
public:
    static constexpr int kMaxFactor = 32;

    explicit Decimator(int factor = 16) { create(factor); }

    // factor 1..kMaxFactor; clears the state.
    void create(int factor);
    void reset();
    int factor() const { return factor_; }
    // Returns the number of outputs written (about in.size() / factor); out must hold
    // in.size() / factor + 1.
    std::size_t process(std::span<const cf> in, std::span<cf> out);
    // Gain of the filter at f (as a fraction of the input rate), for droop corrections.
    double gain_at(double f) const;
    // Delay of the filter in input samples.
    double delay() const { return 1.5 * (factor_ - 1); }

private:
    int factor_ = 16;
    int pos_ = 0;
    // Taps for the output that completes in this block, the next and the one after.
    std::array<float, kMaxFactor> g0_{}, g1_{}, g2_{};
    cf acc0_, acc1_, acc2_;
};

} // namespace pskmodem
