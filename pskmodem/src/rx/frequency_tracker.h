// Frequency discriminator for capturing a signal after a retune.
//
// Squaring a BPSK signal strips the modulation and leaves a tone at twice the
// carrier's offset; QPSK's preamble is the same idle of reversals, so squaring serves
// it too. On the idle the power also has lines a whole baud either side of that tone,
// weaker and symmetric about it, so their pull cancels as long as nothing in front tilts
// the band: the tracker does not read the matched filter, whose slopes would make the
// idle's two tones unequal and drag the estimate towards the stronger, but its own
// low-pass filter, flat beyond 0.8 baud (the idle's tones at the edge of the capture
// range) and cutting the noise to a quarter of the decimated band.
//
// The offset is the phase step of the squared signal, averaged as a complex product
// (so that noise averages out before the angle is taken) over a quarter symbol, where
// the idle's side lines cancel and neighbouring noise no longer correlates, and over a
// whole symbol, four times as precise, whose ambiguity the quarter-symbol step resolves.
#pragma once

#include "rx_types.h"

#include <array>
#include <span>

namespace pskmodem {

class FrequencyTracker {
public:
    FrequencyTracker() { reset(); }
    // sampleRate: of the input (16 times the baud).
    void create(double sampleRate);
    void reset();
    // 2: square (BPSK, and the idle of both modes); 4: fourth power (QPSK data). Starts
    // the averages afresh.
    void set_order(int order);
    void process(std::span<const cf> in);
    // The offset measured since the last restart (0 before any measurement).
    double offset_hz() const;
    // Forgets the averages, after the oscillator in front has jumped; what the filter
    // still holds from before the jump is not measured.
    void restart_average();
    // Near 1 on a clean signal, lower in noise.
    double coherence() const;

private:
    static constexpr int kShort = kRxSamplesPerSymbol / 4;
    static constexpr int kLong = kRxSamplesPerSymbol;
    static constexpr int kTaps = 48;

    double rate_ = 500.0;
    int order_ = 2;
    // The low-pass filter, as a line twice its length.
    std::array<float, kTaps> taps_{};
    std::array<cf, 2 * kTaps> line_{};
    int linePos_ = 0;
    double power_ = 0.0; // running mean |z|^2, so the estimate does not depend on level
    std::array<cf, kLong> past_{};
    int pastPos_ = 0;
    int settle_ = 0; // samples to pass before measuring
    cf accShort_{}, accLong_{};
    double accMag_ = 0.0;
};

} // namespace pskmodem
