// pskmodem-bench acquire: how long a channel takes to find the station the operator
// clicked, anywhere within the capture range, both for a channel tuned before its
// station starts and for one tuned onto a station already sending.
#pragma once

namespace pskmodem::bench {

struct AcquireOptions {
    int trials = 8;   // per mode and case; the offsets spread evenly over +-capture
    int capture = 15; // Hz
    int afc = 10;
    int squelch = 0;
    int squelchSpeed = 1;
    double snrDb = -8.0;
    bool verbose = false; // each trial's times
};

void acquire_table(const AcquireOptions &o);

} // namespace pskmodem::bench
