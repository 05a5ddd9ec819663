// Band noise as a receiver hears it through its SSB filter: white Gaussian noise shaped
// by a 2nd-order high-pass at 250 Hz and a 2nd-order low-pass at 2900 Hz. The level is
// given as the noise power in 2500 Hz of the unfiltered white noise, which is what it
// stays inside the passband.
#pragma once

#include <cstdint>
#include <random>
#include <span>

namespace pskmodem {

class BandNoise {
public:
    BandNoise(double powerIn2500, uint32_t seed);

    void reset();
    // Adds noise to `out`.
    void process(std::span<float> out);

private:
    struct Biquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double z1 = 0, z2 = 0;
        double step(double x) {
            const double y = b0 * x + z1;
            z1 = b1 * x - a1 * y + z2;
            z2 = b2 * x - a2 * y;
            return y;
        }
    };
    static Biquad high_pass(double hertz);
    static Biquad low_pass(double hertz);

    double sigma_;
    uint32_t seed_;
    std::mt19937 rng_;
    std::normal_distribution<double> gauss_;
    Biquad hp_, lp_;
};

} // namespace pskmodem
