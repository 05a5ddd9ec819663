// Power spectrum of one block: Hann window, then a real FFT (FFTW, planned once).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

struct fftwf_plan_s;

namespace pskmodem {

class Spectrum {
public:
    explicit Spectrum(std::size_t size);
    ~Spectrum();
    Spectrum(const Spectrum &) = delete;
    Spectrum &operator=(const Spectrum &) = delete;

    std::size_t size() const { return size_; }
    std::size_t bins() const { return size_ / 2 + 1; }

    // in: size() samples; out: bins() powers, scaled so that a full-scale sine centred
    // on a bin gives 1.0 (0 dB) in that bin.
    void process(std::span<const float> in, std::span<float> out);

private:
    std::size_t size_;
    std::vector<float> window_;
    float *time_ = nullptr;
    void *freq_ = nullptr; // fftwf_complex[bins()]
    fftwf_plan_s *plan_ = nullptr;
    float norm_ = 1.0f;
};

} // namespace pskmodem
