#include "resampler.h"

#include <algorithm>
#include <cmath>
#include <samplerate.h>

namespace pskmodem {

Resampler::Resampler(double inputRate, double outputRate) {
    if (!(inputRate > 0.0) || !(outputRate > 0.0) || !std::isfinite(inputRate) || !std::isfinite(outputRate))
        return;
    ratio_ = outputRate / inputRate;
    if (src_is_valid_ratio(ratio_) == 0)
        return;
    // Equal rates pass straight through: no filter delay, bit-exact samples.
    if (ratio_ == 1.0) {
        ok_ = true;
        return;
    }
    int error = 0;
    state_ = src_new(SRC_SINC_MEDIUM_QUALITY, 1, &error);
    ok_ = state_ != nullptr;
}

Resampler::~Resampler() {
    if (state_)
        src_delete(state_);
}

Resampler::Result Resampler::process(std::span<const float> in, std::span<float> out, bool endOfInput) {
    Result r;
    if (!ok_)
        return r;
    if (!state_) {
        const std::size_t n = std::min(in.size(), out.size());
        std::copy_n(in.begin(), n, out.begin());
        r.used = r.generated = n;
        return r;
    }
    SRC_DATA data{};
    data.data_in = in.data();
    data.data_out = out.data();
    data.input_frames = static_cast<long>(in.size());
    data.output_frames = static_cast<long>(out.size());
    data.end_of_input = endOfInput ? 1 : 0;
    data.src_ratio = ratio_;
    if (src_process(state_, &data) != 0)
        return r;
    r.used = static_cast<std::size_t>(data.input_frames_used);
    r.generated = static_cast<std::size_t>(data.output_frames_gen);
    return r;
}

void Resampler::reset() {
    if (state_)
        src_reset(state_);
}

} // namespace pskmodem
