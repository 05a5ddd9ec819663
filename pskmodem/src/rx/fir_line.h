// The delay line of a complex FIR filter with real taps, one output per input. It is
// kept twice over, each sample written in both halves, so that every window the taps
// read is contiguous.
#pragma once

#include "rx_types.h"

#include <array>
#include <cstddef>

namespace pskmodem {

template <int N> class FirLine {
public:
    void reset() {
        line_.fill(cf{});
        pos_ = 0;
    }
    // Takes x in and returns the taps' sum over the last N inputs; taps[0] weighs the
    // oldest.
    cf push(cf x, const std::array<float, N> &taps) {
        line_[static_cast<std::size_t>(pos_)] = x;
        line_[static_cast<std::size_t>(pos_ + N)] = x;
        pos_ = pos_ + 1 == N ? 0 : pos_ + 1;
        // Oldest sample now at pos_, newest at pos_ + N - 1.
        const cf *w = &line_[static_cast<std::size_t>(pos_)];
        float re = 0.0f, im = 0.0f;
        for (int i = 0; i < N; ++i) {
            re += taps[static_cast<std::size_t>(i)] * w[i].real();
            im += taps[static_cast<std::size_t>(i)] * w[i].imag();
        }
        return cf(re, im);
    }

private:
    std::array<cf, 2 * N> line_{};
    int pos_ = 0;
};

} // namespace pskmodem
