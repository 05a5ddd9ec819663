// Shapes the baseband of a PSK signal. Each symbol moves the phasor from its previous
// value to the symbol's target along a raised cosine:
//     z(t) = previous * (1 + cos(pi t / T)) / 2 + target * (1 - cos(pi t / T)) / 2.
// A reversal (target = -previous) is then exactly the envelope cos(pi t / T) through
// zero; no change leaves the amplitude constant; from or to a zero phasor it is the
// fade-in or fade-out of a transmission, one symbol long, so nothing clicks.
#pragma once

#include <complex>
#include <span>
#include <vector>

namespace pskmodem {

class PhaseShaper {
public:
    explicit PhaseShaper(int samplesPerSymbol = 256);

    void set_samples_per_symbol(int samplesPerSymbol);
    int samples_per_symbol() const { return static_cast<int>(weight_.size()); }
    void reset(std::complex<float> start = {}) { phasor_ = start; }
    // The phasor at the end of the last symbol.
    std::complex<float> phasor() const { return phasor_; }

    // One symbol per target: out.size() must be targets.size() * samples_per_symbol().
    // Sample 0 of a symbol is the previous phasor, the middle sample is half way.
    void process(std::span<const std::complex<float>> targets, std::span<std::complex<float>> out);

private:
    std::vector<float> weight_; // (1 + cos(pi n / T)) / 2, the previous phasor's share
    std::complex<float> phasor_{};
};

} // namespace pskmodem
