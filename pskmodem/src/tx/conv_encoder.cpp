#include "conv_encoder.h"

#include <bit>

namespace pskmodem {

uint8_t ConvolutionalEncoder::encode(uint8_t bit) {
    register_ = ((register_ << 1) | (bit & 1u)) & kMask;
    const unsigned a = static_cast<unsigned>(std::popcount(register_ & kPolyA)) & 1u;
    const unsigned b = static_cast<unsigned>(std::popcount(register_ & kPolyB)) & 1u;
    return static_cast<uint8_t>(a | (b << 1));
}

void ConvolutionalEncoder::process(std::span<const uint8_t> bits, std::span<uint8_t> symbols) {
    for (std::size_t i = 0; i < bits.size() && i < symbols.size(); ++i)
        symbols[i] = encode(bits[i]);
}

} // namespace pskmodem
