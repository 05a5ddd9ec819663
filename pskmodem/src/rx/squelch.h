// Squelch: a running signal-quality figure 0..100 and a gate on it.
//
// The quality of a symbol is cos(M * (e - r)), e the deviation of its phase change from
// the nearest allowed change (M = 2 for BPSK, 4 for QPSK) and r the mean of that
// deviation over the last 8 symbols, so that a signal still off frequency reads as well
// as a tuned one: 1 on a clean signal, about 0.6 at -10 dB (BPSK31) and 0 on average on
// noise. The level is its running mean less a margin (0.22) that noise seldom reaches,
// scaled to 0..100, so noise reads 0 nearly all the time. The gate opens at `threshold`
// and closes 5 below it (threshold 0: always open). `speed` 0..200 sets how fast the
// mean follows: its time constant is 8 + 0.1 * (200 - speed) symbols (0.26 s to 0.9 s at
// 31.25 baud). At threshold 10 and speed 1 (the program's defaults) noise alone prints
// well under a character a minute and a BPSK31 station at -10 dB opens the gate within
// a second.
#pragma once

#include "rx_types.h"

#include <cstdint>

namespace pskmodem {

class Squelch {
public:
    Squelch() { reset(); }
    void reset();
    void set(int32_t threshold, int32_t speed);
    // 2 for BPSK, 4 for QPSK.
    void set_order(int m) { order_ = m; }
    // One symbol: its phase change from the previous one (BPSK) or the carrier loop's
    // symbol itself (QPSK, whose changes' fourth power is too noisy at -10 dB), of any
    // amplitude, and cos(M * e) of the change after the drift the loop has measured.
    void process(cf change, float quality);
    int level() const;
    bool open() const { return open_; }
    // The receiver's own figure of the signal's quality, 0..100, whatever the squelch
    // settings: the running mean over about 96 symbols, unscaled.
    int quality() const;

private:
    int32_t threshold_ = 0;
    float weight_ = 1.0f / 16.0f;
    float mean_ = 0.0f;
    float lockMean_ = 0.0f;
    cf reference_{};
    int order_ = 2;
    bool open_ = true;
};

} // namespace pskmodem
