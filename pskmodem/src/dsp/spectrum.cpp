#include "spectrum.h"

#include "complex_fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <fftw3.h>
#include <mutex>
#include <numbers>

namespace pskmodem {

Spectrum::Spectrum(std::size_t size) : size_(size), window_(size) {
    const double n = static_cast<double>(size);
    double sum = 0.0;
    for (std::size_t i = 0; i < size; ++i) {
        const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / n);
        window_[i] = static_cast<float>(w);
        sum += w;
    }
    // A sine of amplitude A centred on a bin gives |X| = A * sum(w) / 2.
    const double peak = sum / 2.0;
    norm_ = static_cast<float>(1.0 / (peak * peak));

    time_ = fftwf_alloc_real(size_);
    fftwf_complex *freq = fftwf_alloc_complex(bins());
    freq_ = freq;
    std::lock_guard lock(fftw_planner_mutex());
    plan_ = fftwf_plan_dft_r2c_1d(static_cast<int>(size_), time_, freq, FFTW_ESTIMATE);
}

Spectrum::~Spectrum() {
    {
        std::lock_guard lock(fftw_planner_mutex());
        if (plan_)
            fftwf_destroy_plan(plan_);
    }
    fftwf_free(time_);
    fftwf_free(freq_);
}

void Spectrum::process(std::span<const float> in, std::span<float> out) {
    const std::size_t n = std::min(in.size(), size_);
    for (std::size_t i = 0; i < n; ++i)
        time_[i] = in[i] * window_[i];
    std::fill(time_ + n, time_ + size_, 0.0f);
    fftwf_execute(plan_);
    const auto *freq = static_cast<const fftwf_complex *>(freq_);
    const std::size_t m = std::min(out.size(), bins());
    for (std::size_t k = 0; k < m; ++k)
        out[k] = (freq[k][0] * freq[k][0] + freq[k][1] * freq[k][1]) * norm_;
}

} // namespace pskmodem
