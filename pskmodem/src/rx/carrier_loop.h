// Carrier phase loop: a decision-directed phase-locked loop at the symbol rate.
//
// Each equalised symbol is turned by the loop's phase; the nearest constellation point
// (two for BPSK, four for QPSK) is taken as what was sent, and the quadrature error
// against it, weighted by the symbol's amplitude, steers a third-order loop (phase,
// frequency and the rate of the frequency), so that a signal drifting at a steady rate
// is followed without a standing phase error. The loop's phase is ambiguous by 180 or
// 90 degrees, which does not matter because the data are in the phase changes. lock()
// says how tightly the turned symbols sit on the constellation; below it the receiver
// falls back to comparing neighbouring symbols.
//
// The bandwidth adapts to the measured phase quality: wide while acquiring, and when
// tracking as wide as the phase noise allows, so that a clean signal's fading and drift
// are followed closely while a weak one is not thrown about by noise. A tracking QPSK
// loop stays narrow and second order until it is measured to trail a drift, or until a
// wide third-order loop run alongside it holds the station clearly better while it
// measures a drift; a turn of the drift, which neither follows, is looked for in the
// latest symbols (DriftTurnWatch).
#pragma once

#include "drift_turn_watch.h"
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
    void shift_frequency(double radiansPerSymbol);
    // QPSK: a station found drifting at this rate (radians a symbol per symbol): the loop
    // and its drift companion take it, and keep it while they settle on the station.
    void take_drift(double rate);
    double frequency() const { return omega_; } // radians a symbol
    double max_frequency() const;               // the most it follows, radians a symbol
    // The loop's estimate of the frequency's rate of change, radians a symbol per symbol.
    double frequency_rate() const { return rate_; }
    float lock() const { return lock_; }          // 0..1, over about 24 symbols
    float slow_lock() const { return slowLock_; } // the same over about 100 symbols
    // 0..1, how steadily the phase turns from symbol to symbol over about 32 symbols,
    // whatever the frequency and with no phase lock (QPSK: modulo a quarter turn); noise
    // alone reads about 0.15.
    float coherence() const { return std::abs(coherence_); }
    // The turn a symbol that coherence measures, radians (BPSK within a quarter turn,
    // QPSK within an eighth).
    double coherent_frequency() const { return std::arg(coherence_) / (qpsk_ ? 4.0 : 2.0); }

    // QPSK: whether the loop now follows a drifting station with its wide third-order
    // companion (see follow_drift()).
    bool following_drift() const { return drifting_; }

    // The loop's noise bandwidth now, as a fraction of the symbol rate.
    double bandwidth() const;
    // BPSK: the signal-to-noise ratio of the symbols, as the phase changes show it.
    double snr() const;

private:
    double signal_quality() const;
    double qpsk_frequency_error(cf d);
    // How far a narrow QPSK loop is measured to trail the signal; 0 when it keeps up.
    double qpsk_lag() const;
    // QPSK: steps the wide third-order companion loop and decides whether it takes over.
    // Returns true while it does; its turned symbol is then in `v`.
    bool follow_drift(cf u, float amplitude, cf &v);
    // QPSK: keeps the symbol as it was turned (by `theta`, the loop at `omega`; m is
    // cos(4 * its phase error)) and puts both loops where a turn of the drift has taken
    // the station.
    void watch_turn(cf u, double theta, double omega, float m);

    bool qpsk_ = false;
    bool narrow_ = false;
    double theta_ = 0.0;
    double omega_ = 0.0;
    double rate_ = 0.0;
    double errorMean_ = 0.0; // QPSK: running mean of the phase error
    cf prev_{};
    cf freqAcc_{}; // running mean of the squared (QPSK: fourth power) symbol-to-symbol change
    float lock_ = 0.0f;
    float slowLock_ = 0.0f;
    float bestSlowLock_ = 0.0f; // since the loop was started: whether it has held a station
    cf coherence_{};            // mean of the squared (QPSK: fourth power) phase change as a unit phasor
    // QPSK: the wide third-order companion loop that follows a drift.
    double driftTheta_ = 0.0;
    double driftOmega_ = 0.0;
    double driftRate_ = 0.0;
    double driftRateMean_ = 0.0;
    float driftLock_ = 0.0f;
    int driftRun_ = 0;
    bool drifting_ = false;
    int keepRate_ = 0; // symbols the rate taken is kept whatever the lock
    DriftTurnWatch turnWatch_;
    int turnLook_ = 0;
};

} // namespace pskmodem
