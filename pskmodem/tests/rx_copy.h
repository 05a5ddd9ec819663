// Running a receiver over a whole test signal and collecting what it reports: shared by
// the receive-chain tests.
#pragma once

#include "rx/receiver.h"

#include <cstdint>
#include <string>
#include <vector>

namespace rxcopy {

using namespace pskmodem;

// A channel tuned to hz, enabled, with the capture and AFC given.
ChannelSettings tuned(int32_t mode, int32_t hz, int32_t capture = 0, int32_t afc = 0);

struct Copy {
    std::string text;
    std::vector<int> imd;
    std::vector<long> at; // input sample of each character
};

// Runs the receiver over x in engine-sized chunks (the signals' postamble of carrier
// lets the last character out of the QPSK decoder).
Copy receive(Receiver &rx, const std::vector<float> &x);
Copy receive(const std::vector<float> &x, const ChannelSettings &s);

} // namespace rxcopy
