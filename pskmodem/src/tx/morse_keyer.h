// Keys a carrier in Morse code: turns a text into the envelope of its dots and dashes.
// Standard timing in dots: a dash is three, one between the elements of a letter,
// three between letters, seven between words. The edges are raised cosines
// kEdgeSamples long, centred on the nominal instants, so that an element measured at
// half amplitude has its exact length and the keying does not splatter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pskmodem {

class MorseKeyer {
public:
    static constexpr int kEdgeSamples = 40; // 5 ms at 8000 Hz

    // The dots and dashes of a character, empty for a character Morse code lacks
    // (letters in either case, digits and the common punctuation).
    static std::string_view pattern(char c);

    // Prepares the envelope of `text` with a dot of `dotSamples`. It starts with
    // `leadDots` dots of silence and ends with the last element's trailing edge.
    void start(std::string_view text, int dotSamples, int leadDots = 3);
    void reset();
    bool done() const { return position_ >= length_; }
    // Total length of the envelope in samples.
    std::size_t length() const { return length_; }

    // Writes up to out.size() envelope values (0..1); returns how many were written,
    // fewer than asked only at the end.
    std::size_t process(std::span<float> out);

private:
    float envelope(std::size_t n);

    // Alternating key-down and key-up instants in samples, starting with a key-down.
    std::vector<std::size_t> edges_;
    std::size_t next_ = 0; // first edge whose shaping has not finished
    std::size_t position_ = 0;
    std::size_t length_ = 0;
};

} // namespace pskmodem
