#include "morse_keyer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace pskmodem {

namespace {

struct Code {
    char c;
    const char *pattern;
};

constexpr Code kCodes[] = {
    {'A', ".-"},     {'B', "-..."},   {'C', "-.-."},   {'D', "-.."},    {'E', "."},      {'F', "..-."},
    {'G', "--."},    {'H', "...."},   {'I', ".."},     {'J', ".---"},   {'K', "-.-"},    {'L', ".-.."},
    {'M', "--"},     {'N', "-."},     {'O', "---"},    {'P', ".--."},   {'Q', "--.-"},   {'R', ".-."},
    {'S', "..."},    {'T', "-"},      {'U', "..-"},    {'V', "...-"},   {'W', ".--"},    {'X', "-..-"},
    {'Y', "-.--"},   {'Z', "--.."},   {'0', "-----"},  {'1', ".----"},  {'2', "..---"},  {'3', "...--"},
    {'4', "....-"},  {'5', "....."},  {'6', "-...."},  {'7', "--..."},  {'8', "---.."},  {'9', "----."},
    {'.', ".-.-.-"}, {',', "--..--"}, {'?', "..--.."}, {'/', "-..-."},  {'=', "-...-"},  {'-', "-....-"},
    {'+', ".-.-."},  {'(', "-.--."},  {')', "-.--.-"}, {':', "---..."}, {';', "-.-.-."}, {'\'', ".----."},
    {'"', ".-..-."}, {'@', ".--.-."}, {'!', "-.-.--"}};

} // namespace

std::string_view MorseKeyer::pattern(char c) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const Code &code : kCodes)
        if (code.c == upper)
            return code.pattern;
    return {};
}

void MorseKeyer::reset() {
    edges_.clear();
    next_ = position_ = length_ = 0;
}

void MorseKeyer::start(std::string_view text, int dotSamples, int leadDots) {
    reset();
    const std::size_t dot = static_cast<std::size_t>(dotSamples > 0 ? dotSamples : 1);
    // At least half an edge of silence, so the first rise starts from zero.
    std::size_t t = std::max(dot * static_cast<std::size_t>(leadDots > 0 ? leadDots : 0),
                             static_cast<std::size_t>(kEdgeSamples / 2));
    // Gap owed before the next element: none at the start (the lead-in is the gap),
    // then 1 dot inside a letter, 3 between letters, 7 between words.
    std::size_t gap = 0;
    bool anySent = false;
    for (const char c : text) {
        if (c == ' ') {
            if (anySent)
                gap = 7;
            continue;
        }
        const std::string_view p = pattern(c);
        if (p.empty())
            continue;
        if (anySent && gap < 3)
            gap = 3;
        for (const char element : p) {
            t += gap * dot;
            edges_.push_back(t);
            t += (element == '-' ? 3 : 1) * dot;
            edges_.push_back(t);
            gap = 1;
        }
        anySent = true;
    }
    length_ = edges_.empty() ? 0 : edges_.back() + kEdgeSamples / 2;
}

float MorseKeyer::envelope(std::size_t n) {
    constexpr long kHalf = kEdgeSamples / 2;
    // Edges whose shaping is over no longer matter.
    while (next_ < edges_.size() && static_cast<long>(n) - static_cast<long>(edges_[next_]) >= kHalf)
        ++next_;
    // Key-down edges have even indices: with every edge before next_ complete, the key
    // is down when an odd number of them has passed.
    float level = (next_ % 2 == 1) ? 1.0f : 0.0f;
    if (next_ < edges_.size()) {
        const long d = static_cast<long>(n) - static_cast<long>(edges_[next_]);
        if (d > -kHalf) {
            const double x = static_cast<double>(d + kHalf) / static_cast<double>(kEdgeSamples);
            const auto rise = static_cast<float>(0.5 - 0.5 * std::cos(std::numbers::pi * x));
            level = (next_ % 2 == 0) ? rise : 1.0f - rise;
        }
    }
    return level;
}

std::size_t MorseKeyer::process(std::span<float> out) {
    std::size_t i = 0;
    for (; i < out.size() && position_ < length_; ++i, ++position_)
        out[i] = envelope(position_);
    return i;
}

} // namespace pskmodem
