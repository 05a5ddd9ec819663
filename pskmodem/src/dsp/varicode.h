#pragma once
// Varicode: the variable-length code of PSK31. Codes 0..127 are the standard
// table; 128..255 the common extension (the unused codewords that follow,
// ordered by length and then value). No code contains "00", every code starts
// and ends with a 1, and each character is sent followed by "00".

#include <cstdint>
#include <string_view>

namespace pskmodem {

class Varicode {
public:
    // The code of a character as a string of '0'/'1', most significant first.
    static std::string_view code(uint8_t character);
    // The character of a code given as bits (first bit sent in the highest
    // used position) and its length; -1 when it is no code of the table.
    static int decode(uint32_t bits, int length);
    // Longest code in the table, in bits.
    static constexpr int MaxLength = 12;
};

} // namespace pskmodem
