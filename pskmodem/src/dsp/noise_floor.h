// Noise floor estimate from one power spectrum (as Spectrum gives it).
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace pskmodem {

class NoiseFloor {
public:
    // Bins firstBin..lastBin of a fftSize-point spectrum are looked at.
    NoiseFloor(std::size_t fftSize, std::size_t firstBin, std::size_t lastBin);

    // The power of white noise over the whole band that would give these bins, relative
    // to a full-scale sine (linear; see to_db). Signals occupy few bins, so a low
    // percentile of the bins is a noise measurement that carriers do not lift.
    float process(std::span<const float> power);

    static float to_db(float power);

private:
    std::size_t fftSize_;
    std::size_t first_;
    std::size_t last_;
    std::vector<float> scratch_;
};

} // namespace pskmodem
