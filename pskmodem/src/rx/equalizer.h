// Equaliser for the matched filter's intersymbol interference.
//
// The PSK31 pulse is two symbols long, so at a symbol's peak the matched filter also
// carries a sixth of each neighbour. Left alone that costs up to 3.5 dB on the symbols
// whose neighbours both differ from them. A three-tap zero-forcing equaliser
// u[k] = y[k] - c*(y[k-1] + y[k+1]) removes it to 3 % at a cost of 0.26 dB of noise.
// It needs the next symbol, so its output is one symbol late.
#pragma once

#include "rx_types.h"

#include <span>

namespace pskmodem {

class Equalizer {
public:
    Equalizer();
    void reset();
    // One output per input, each the equalised symbol before the input.
    void process(std::span<const cf> in, std::span<cf> out);
    cf process(cf y);
    float tap() const { return c_; }

private:
    float c_ = 0.0f;
    cf y1_{}, y2_{}; // the previous two inputs
};

} // namespace pskmodem
