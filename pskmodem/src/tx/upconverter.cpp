#include "upconverter.h"

#include "audio/audio_source.h"

#include <cmath>
#include <numbers>

namespace pskmodem {

void Upconverter::set_frequency(double hertz) {
    hertz_ = hertz;
    step_ = 2.0 * std::numbers::pi * hertz / kModemRate;
}

void Upconverter::process(std::span<const std::complex<float>> in, std::span<float> out) {
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    for (std::size_t i = 0; i < in.size() && i < out.size(); ++i) {
        const auto c = static_cast<float>(std::cos(phase_));
        const auto s = static_cast<float>(std::sin(phase_));
        out[i] = gain_ * (in[i].real() * c - in[i].imag() * s);
        phase_ += step_;
        if (phase_ >= kTwoPi)
            phase_ -= kTwoPi;
        else if (phase_ < 0.0)
            phase_ += kTwoPi;
    }
}

} // namespace pskmodem
