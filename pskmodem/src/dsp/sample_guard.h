// Input samples are cleaned once, where they enter, so that nothing downstream (the
// spectrum and its averages, the raw data, the receivers' loops) ever sees a value that
// is not a number: one NaN would stay in every running average for good, and converting
// one to an integer is undefined. A broken float WAV file is where they come from.
#pragma once

#include <cmath>
#include <cstddef>
#include <span>

namespace pskmodem {

// Beyond this no sound card or sensible file goes (even float files written on the
// 16-bit scale stay within 32768 times full scale): such a value is garbage.
inline constexpr float kMaxSample = 1e5f;

// Replaces NaN, infinities and values beyond kMaxSample by silence; returns how many.
inline std::size_t clean_samples(std::span<float> x) {
    std::size_t bad = 0;
    for (float &s : x) {
        // Written so that a NaN fails the test too.
        if (!(std::fabs(s) <= kMaxSample)) {
            s = 0.0f;
            ++bad;
        }
    }
    return bad;
}

} // namespace pskmodem
