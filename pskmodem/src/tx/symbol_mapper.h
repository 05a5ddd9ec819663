// Turns data bits into the phase change of each symbol. BPSK: a 0 is a reversal, a 1
// no change. QPSK: each bit goes through the convolutional encoder and its symbol d
// picks the change: 0 -> 180 deg, 1 -> -90 deg, 2 -> 0 deg, 3 -> +90 deg on the upper
// sideband; the lower sideband swaps +90 and -90 so that the signal is right once the
// radio has inverted it. A positive change advances the phase of the audio tone.
#pragma once

#include "conv_encoder.h"
#include "tx_mode.h"

#include <complex>
#include <cstdint>
#include <span>

namespace pskmodem {

class SymbolMapper {
public:
    explicit SymbolMapper(Keying keying = Keying::Bpsk) : keying_(keying) {}

    void set_keying(Keying keying);
    // Clears the encoder's register, as at the start of a transmission.
    void reset() { encoder_.reset(); }

    // The rotation (a unit phasor) of one symbol for one bit.
    std::complex<float> map(uint8_t bit);
    void process(std::span<const uint8_t> bits, std::span<std::complex<float>> rotations);

private:
    Keying keying_;
    ConvolutionalEncoder encoder_;
};

} // namespace pskmodem
