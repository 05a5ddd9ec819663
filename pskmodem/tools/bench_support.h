// What the benchmark's tables share: English text to send, the edit distance that counts
// character errors, channel settings and a receiver run over a whole signal.
#pragma once

#include "modem_state.h"
#include "rx/test_signal.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pskmodem::bench {

// At least minChars of English sentences, picked by the seed.
std::string english_text(std::size_t minChars, uint64_t seed);
// The same from sentences in other languages.
std::string other_text(std::size_t minChars, uint64_t seed);

// Insertions, deletions and substitutions that turn a into b.
using pskmodem::edit_distance;

ChannelSettings channel(int32_t mode, int32_t hz, int32_t capture, int32_t afc);

struct Decoded {
    std::string text;
    std::vector<long> at; // input sample of each character's report
};

// Runs one receiver over x in pieces of `piece` samples; with a tail, 8000 samples of
// silence follow (to let the last characters out).
Decoded decode(std::span<const float> x, const ChannelSettings &s, std::size_t piece = 256, bool tail = true);

} // namespace pskmodem::bench
