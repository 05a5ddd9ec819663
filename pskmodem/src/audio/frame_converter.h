// Interleaved frames of any channel count and rate -> 8000 Hz mono.
#pragma once

#include "dsp/resampler.h"

#include <cstddef>
#include <span>
#include <vector>

namespace pskmodem {

class FrameConverter {
public:
    FrameConverter(int channels, double inputRate);

    bool ok() const { return channels_ > 0 && resampler_.ok(); }
    int channels() const { return channels_; }

    // Takes whole frames (a trailing partial frame is dropped) and mixes them to mono.
    void push(std::span<const float> interleaved);
    // Writes up to out.size() converted samples; endOfInput drains the converter.
    std::size_t pull(std::span<float> out, bool endOfInput = false);
    // Mono input samples not yet converted.
    std::size_t buffered() const { return pending_.size() - offset_; }

private:
    int channels_;
    Resampler resampler_;
    std::vector<float> pending_;
    std::size_t offset_ = 0;
};

} // namespace pskmodem
