// Watches a QPSK carrier loop that follows a drifting station for the loop losing it: a
// station swept to and fro turns at once, and noise on the loop's own rate estimate can
// send it off while the station runs on as before.
//
// A loop narrow enough to copy a weak station cannot follow such a change: its phase
// error passes the decision boundary within a dozen symbols and it slips from then on,
// and the wide loop beside it overshoots at the turn. So the latest symbols are kept with
// the phase the loop turned them by, and when the loop has held a station but its lock
// sags, they are tried against the loop's path carried on from a few symbols back with
// the rate it followed steadily (one the drift search found, or an earlier turn's), and
// with its reverse.
// One that lines the symbols up on the constellation clearly better than the loop did,
// over enough symbols that noise does not make it so, is where the station has gone: the
// loop is put there.
//
// Everything is kept in the station's own terms, with the moves of the oscillator in
// front (the AFC takes the loop's rate over every symbol) added back.
#pragma once

#include "rx_types.h"

#include <array>

namespace pskmodem {

class DriftTurnWatch {
public:
    static constexpr int kSpan = 48; // symbols kept

    struct Found {
        double theta = 0.0; // the phase for the next symbol, in the loop's terms
        double omega = 0.0; // the frequency, radians a symbol, in the loop's terms
        double rate = 0.0;  // radians a symbol per symbol
    };

    void reset();
    // The oscillator in front moved by this much (radians a symbol).
    void shift_frequency(double radiansPerSymbol) { oscFreq_ += radiansPerSymbol; }
    // One symbol u (at unit mean amplitude), turned by `theta` with the loop at frequency
    // `omega` and rate `rate`; m is cos(4 * its phase error) as the loop measured it.
    void push(cf u, double theta, double omega, double rate, float m);
    // Tries the other paths over the symbols kept, when the loop has followed a steady
    // rate of at least minRate over them; true when one stands clearly better.
    bool look(double minRate, Found &found);
    // Forgets the symbols kept (the loop was moved, or follows no drift).
    void clear() { count_ = 0; }

private:
    struct Entry {
        cf u;             // in the station's terms
        double theta = 0; // likewise
        double omega = 0;
        double rate = 0;
        float m = 0;
    };
    // The newest symbol is back(0).
    const Entry &back(int n) const;
    // Over the symbols from back(from) to the newest: the sum of cos(4 * phase error) along
    // the path that leaves the loop's at back(from) with `rate`, its frequency `dOmega`
    // off the loop's, less the loop's own.
    double path_gain(int from, double rate, double dOmega) const;

    std::array<Entry, kSpan> ring_{};
    int pos_ = 0;           // where the next symbol goes
    int count_ = 0;         // symbols kept
    double oscPhase_ = 0.0; // the oscillator's phase run up since the reset
    double oscFreq_ = 0.0;  // and its frequency moved
};

} // namespace pskmodem
