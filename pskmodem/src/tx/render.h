// Whole transmissions rendered offline, for the encoder tool, the simulated band's
// tests and the library's own tests: the same Transmitter as on air, driven to the end.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pskmodem {

struct RenderOptions {
    int32_t mode = 0;         // 0, 1, 2, 8, 9, 10
    int32_t frequency = 1000; // Hz
    double offset = 0.0;      // Hz added to the frequency
    float level = 0.5f;       // peak amplitude, full scale 1
};

// One transmission of `text` (each byte a character): preamble, text, postamble.
std::vector<float> render_transmission(std::string_view text, const RenderOptions &options);

// Mean power of the samples (full-scale sine = 0.5).
double mean_power(std::span<const float> samples);

// Adds white Gaussian noise so that signalPower / (noise power in 2500 Hz) is snrDb.
// The noise is white across 0..4000 Hz, so the 2500 Hz share of its power is 2500/4000.
void add_noise(std::span<float> samples, double signalPower, double snrDb, uint32_t seed);

} // namespace pskmodem
