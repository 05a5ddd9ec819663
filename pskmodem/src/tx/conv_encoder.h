// The rate-1/2 convolutional code of QPSK31 (constraint length 5). The register holds
// the last five input bits, the newest in the least significant position; each input
// bit gives the pair a = parity(register & 0x17), b = parity(register & 0x19), returned
// as the symbol d = a + 2b.
#pragma once

#include <cstdint>
#include <span>

namespace pskmodem {

class ConvolutionalEncoder {
public:
    static constexpr unsigned kPolyA = 0x17;
    static constexpr unsigned kPolyB = 0x19;
    static constexpr unsigned kMask = 0x1f;

    void reset() { register_ = 0; }
    unsigned state() const { return register_; }

    uint8_t encode(uint8_t bit);
    // One symbol (0..3) per input bit (0 or 1); out.size() must be at least in.size().
    void process(std::span<const uint8_t> bits, std::span<uint8_t> symbols);

private:
    unsigned register_ = 0;
};

} // namespace pskmodem
