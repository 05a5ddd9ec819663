// The FFT display modes: exponential averaging of bin powers and the dB range that is
// mapped onto the caller's 0..scale.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pskmodem {

struct FftMode {
    float weight;  // share of the newest spectrum in the average (1 = no averaging)
    float floorDb; // shown as 0
    float topDb;   // shown as full scale
};

// Modes 1..5: averaging weight 1, 1/2, 1/4, 1/8, 1/16 over -80..0 dB; 6..10 the same
// over -100..0 dB. Other numbers are clamped into 1..10.
FftMode fft_mode(int mode);

// dB value -> 0..scale under a mode, rounded and clamped.
int32_t to_display(float db, const FftMode &mode, int32_t scale);

class SpectrumAverager {
public:
    explicit SpectrumAverager(std::size_t bins);

    void set_weight(float weight) { weight_ = weight; }
    // power: bin powers of the newest spectrum; db: the averaged powers in dB.
    void process(std::span<const float> power, std::span<float> db);
    void reset();

private:
    std::vector<float> average_;
    float weight_ = 1.0f;
    bool primed_ = false;
};

} // namespace pskmodem
