// Squelch: a running signal-quality figure 0..100 and a gate on it.
//
// The quality of a symbol is cos(M * e), e the deviation of its phase change from the
// nearest allowed change (M = 2 for BPSK, 4 for QPSK): 1 on a clean signal, about 0.8
// at the weakest copyable signals and 0 on average on noise. Its running mean, times
// 100, is the signal level the program shows. The gate opens at `threshold` and closes
// 5 below it (threshold 0: always open). `speed` 0..200 sets how fast the mean follows:
// its time constant is 16 + 0.4 * (200 - speed) symbols, so 200 answers in half a
// second at 31.25 baud and 0 averages over three seconds. On noise the mean wanders
// about 0 by some 12 at the fastest speed, so thresholds from 50 keep noise silent.
#pragma once

#include <cstdint>
#include <span>

namespace pskmodem {

class Squelch {
public:
    Squelch() { reset(); }
    void reset();
    void set(int32_t threshold, int32_t speed);
    // One quality value (-1..1) a symbol.
    void process(float quality);
    void process(std::span<const float> quality);
    int level() const;
    bool open() const { return open_; }

private:
    int32_t threshold_ = 0;
    float weight_ = 1.0f / 16.0f;
    float mean_ = 0.0f;
    bool open_ = true;
};

} // namespace pskmodem
