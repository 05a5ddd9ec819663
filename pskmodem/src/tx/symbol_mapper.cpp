#include "symbol_mapper.h"

namespace pskmodem {

namespace {
constexpr std::complex<float> kSame{1.0f, 0.0f};
constexpr std::complex<float> kReverse{-1.0f, 0.0f};
constexpr std::complex<float> kPlus90{0.0f, 1.0f};
constexpr std::complex<float> kMinus90{0.0f, -1.0f};
} // namespace

void SymbolMapper::set_keying(Keying keying) {
    keying_ = keying;
    encoder_.reset();
}

std::complex<float> SymbolMapper::map(uint8_t bit) {
    if (keying_ == Keying::Bpsk)
        return bit ? kSame : kReverse;
    const bool lsb = keying_ == Keying::QpskLsb;
    switch (encoder_.encode(bit)) {
    case 0:
        return kReverse;
    case 1:
        return lsb ? kPlus90 : kMinus90;
    case 2:
        return kSame;
    default:
        return lsb ? kMinus90 : kPlus90;
    }
}

void SymbolMapper::process(std::span<const uint8_t> bits, std::span<std::complex<float>> rotations) {
    for (std::size_t i = 0; i < bits.size() && i < rotations.size(); ++i)
        rotations[i] = map(bits[i]);
}

} // namespace pskmodem
