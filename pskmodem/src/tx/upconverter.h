// Puts a complex baseband on an audio carrier: out = gain * Re(in * e^{j phi}). The
// carrier's phase runs on across calls and frequency changes, so a signal stays
// continuous wherever it is cut into chunks or retuned.
#pragma once

#include <complex>
#include <span>

namespace pskmodem {

class Upconverter {
public:
    Upconverter() { set_frequency(hertz_); }

    void set_frequency(double hertz);
    double frequency() const { return hertz_; }
    void set_gain(float gain) { gain_ = gain; }
    void reset() { phase_ = 0.0; }

    // out.size() must be at least in.size().
    void process(std::span<const std::complex<float>> in, std::span<float> out);

private:
    double hertz_ = 1000.0;
    double step_ = 0.0; // radians per sample
    double phase_ = 0.0;
    float gain_ = 1.0f;
};

} // namespace pskmodem
