// IMD meter: the third-order products of an idle signal against its two tones.
//
// An idle PSK31 signal (continuous reversals) is two tones at +-baud/2 around the
// carrier; a linear transmitter adds little at +-3*baud/2. The meter correlates the
// decimated baseband with those four tones over blocks of one symbol and keeps the last
// kWindow blocks; when the receiver has seen nothing but reversals for longer than that,
// it reports 10*log10(P(+-3/2) / P(+-1/2)) over the window, a whole number of periods of
// every tone. At 16 samples a symbol the tones are exactly +-1 and +-3 cycles in 32
// samples, whatever the baud.
#pragma once

#include "rx_types.h"

#include <array>
#include <optional>
#include <span>

namespace pskmodem {

class ImdMeter {
public:
    static constexpr int kWindow = 32; // symbols measured
    static constexpr int kMargin = 6;  // symbols of decision delay kept clear

    ImdMeter() { reset(); }
    void reset();
    // The decimator's gain at the inner and outer tones, to undo its droop.
    void set_droop(double inner, double outer);
    // Decimated baseband in.
    void process(std::span<const cf> in);
    // Once a symbol: whether it was a reversal on a clean signal. Returns a reading in
    // dB when a window of idle has completed.
    std::optional<int> symbol(bool idle);

private:
    static constexpr int kBlocks = kWindow + kMargin;
    std::array<std::array<cf, 4>, kBlocks> blocks_{};
    std::array<cf, 4> acc_{};
    int blockNext_ = 0;  // ring position of the block being filled
    int blocksFull_ = 0; // completed blocks held
    int inBlock_ = 0;
    int phase_ = 0;      // sample index mod 32
    int idleRun_ = 0;
    double droop_ = 1.0; // power ratio correction
};

} // namespace pskmodem
