// Sample-rate conversion of one mono stream (libsamplerate), used wherever audio does
// not arrive at the modem's 8000 Hz.
#pragma once

#include <cstddef>
#include <span>

struct SRC_STATE_tag;

namespace pskmodem {

class Resampler {
public:
    struct Result {
        std::size_t used = 0;      // input samples consumed
        std::size_t generated = 0; // output samples written
    };

    Resampler(double inputRate, double outputRate);
    ~Resampler();
    Resampler(const Resampler &) = delete;
    Resampler &operator=(const Resampler &) = delete;

    // False when the rates are unusable (libsamplerate converts ratios up to 256 in
    // either direction) or the converter could not be created.
    bool ok() const { return ok_; }
    double ratio() const { return ratio_; }

    // Converts as much of `in` as fits into `out`. The converter keeps a little history
    // between calls; endOfInput drains it (call again until nothing more is generated).
    Result process(std::span<const float> in, std::span<float> out, bool endOfInput = false);
    void reset();

private:
    SRC_STATE_tag *state_ = nullptr;
    double ratio_ = 1.0;
    bool ok_ = false;
};

} // namespace pskmodem
