// pskmodem-bench noise: channels on noise alone, at the program's default squelch. A
// channel must neither wander off where it was tuned nor print noise as text: counts the
// characters printed, the jumps of each channel's frequency and the time spent moved.
#pragma once

#include <cstdint>

namespace pskmodem::bench {

struct NoiseOptions {
    int minutes = 10;
    int32_t mode = 1; // QPSK31
    int capture = 10; // the program's defaults
    int afc = 10;
    int squelch = 10;
    int squelchSpeed = 1;
    uint64_t seed = 1;
};

void noise_run(const NoiseOptions &o);

} // namespace pskmodem::bench
