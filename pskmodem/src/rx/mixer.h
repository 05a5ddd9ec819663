// Mixer: shifts a channel's frequency to 0 Hz with a complex oscillator.
#pragma once

#include "rx_types.h"

#include <span>

namespace pskmodem {

class Mixer {
public:
    explicit Mixer(double sampleRate = 8000.0) : rate_(sampleRate) { reset(); }

    // Phase back to 0; the frequency stays.
    void reset();
    // Takes effect at the next process(); the phase runs on without a jump.
    void set_frequency(double hz);
    double frequency() const { return hz_; }
    // out[n] = in[n] * exp(-j*2*pi*f*n/rate); out must be at least as long as in.
    void process(std::span<const float> in, std::span<cf> out);

private:
    double rate_;
    double hz_ = 0.0;
    // Four interleaved oscillators, each stepping four samples at a time, so the loop
    // carries no chain of dependent multiplications and vectorises.
    cf phase_[4];
    cf step4_{1.0f, 0.0f};
};

} // namespace pskmodem
