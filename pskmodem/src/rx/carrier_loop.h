// Carrier phase loop: a decision-directed phase-locked loop at the symbol rate.
//
// Each equalised symbol is turned by the loop's phase; the nearest constellation point
// (two for BPSK, four for QPSK) is taken as what was sent, and the quadrature error
// against it, weighted by the symbol's amplitude, steers a second-order loop (phase and
// frequency). The loop's phase is ambiguous by 180 or 90 degrees, which does not matter
// because the data are in the phase changes. lock() says how tightly the turned
// symbols sit on the constellation; below it the receiver falls back to comparing
// neighbouring symbols.
#pragma once

#include "rx_types.h"

#include <span>

namespace pskmodem {

class CarrierLoop {
public:
    CarrierLoop() { reset(); }
    void reset();
    void set_qpsk(bool qpsk) { qpsk_ = qpsk; }
    void set_tracking(bool narrow) { narrow_ = narrow; }
    // `amplitude` is the receiver's running mean symbol amplitude.
    cf process(cf u, float amplitude);
    void process(std::span<const cf> in, std::span<cf> out, float amplitude);
    // The oscillator in front moved by this much (radians a symbol): take it out of
    // the loop's frequency so the phase does not jump.
    void shift_frequency(double radiansPerSymbol) { omega_ -= radiansPerSymbol; }
    double frequency() const { return omega_; } // radians a symbol
    float lock() const { return lock_; }        // 0..1, over about 24 symbols
    float slow_lock() const { return slowLock_; } // the same over about 100 symbols

private:
    bool qpsk_ = false;
    bool narrow_ = false;
    double theta_ = 0.0;
    double omega_ = 0.0;
    float lock_ = 0.0f;
    float slowLock_ = 0.0f;
};

} // namespace pskmodem
