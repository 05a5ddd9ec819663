#include "frame_converter.h"

#include "audio_source.h"

namespace pskmodem {

FrameConverter::FrameConverter(int channels, double inputRate)
    : channels_(channels), resampler_(inputRate, kModemRate) {}

void FrameConverter::push(std::span<const float> interleaved) {
    if (channels_ <= 0)
        return;
    const auto ch = static_cast<std::size_t>(channels_);
    const std::size_t frames = interleaved.size() / ch;
    // Drop what has been converted before growing, so the buffer stays small.
    if (offset_ > 0) {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(offset_));
        offset_ = 0;
    }
    const float gain = 1.0f / static_cast<float>(ch);
    pending_.reserve(pending_.size() + frames);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0.0f;
        for (std::size_t c = 0; c < ch; ++c)
            sum += interleaved[f * ch + c];
        pending_.push_back(sum * gain);
    }
}

std::size_t FrameConverter::pull(std::span<float> out, bool endOfInput) {
    const std::span<const float> in(pending_.data() + offset_, pending_.size() - offset_);
    const Resampler::Result r = resampler_.process(in, out, endOfInput);
    offset_ += r.used;
    return r.generated;
}

} // namespace pskmodem
