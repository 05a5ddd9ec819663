// Squelch: a running signal-quality figure 0..100 and a gate on it.
//
// The quality of a symbol is cos(M * (e - r)), e the deviation of its phase change from
// the nearest allowed change (M = 2 for BPSK) and r the mean of that deviation over the
// last 8 symbols, so that a signal still off frequency reads as well as a tuned one: 1 on
// a clean signal, about 0.6 at -10 dB (BPSK31) and 0 on average on noise. The level is
// its running mean less a margin (0.22) that noise seldom reaches, scaled to 0..100, so
// noise reads 0 nearly all the time.
//
// QPSK is measured on the decoded symbols instead: each carrier-loop symbol turned back
// by the phase the Viterbi decoder's decided bits put the transmitter at (M = 1). Raised
// to the fourth power a QPSK31 symbol at -12.5 dB reads only about 0.3, hardly above what
// noise reaches; turned back by its decision it reads 0.9, while noise, whose "decisions"
// are the best path through noise, reads 0.3 on average and seldom passes 0.65, so its
// margin is larger (0.71). The decisions come the decoder's depth late, as do the
// characters the gate lets through.
//
// The gate opens at `threshold` and closes 5 below it (threshold 0: always open). `speed`
// 0..200 sets how fast the mean follows: its time constant is 8 + 0.1 * (200 - speed)
// symbols (0.26 s to 0.9 s at 31.25 baud). At threshold 10 and speed 1 (the program's
// defaults) noise alone prints well under a character a minute and a BPSK31 station at
// -10 dB opens the gate within a second.
#pragma once

#include "rx_types.h"

#include <cstdint>

namespace pskmodem {

class Squelch {
public:
    Squelch() { reset(); }
    void reset();
    void set(int32_t threshold, int32_t speed);
    // 2 for BPSK (phase changes), 1 for QPSK (decided symbols).
    void set_order(int m) { order_ = m; }
    // One symbol: the receiver's measure of it (`quality`, below), and for the gate its
    // phase change from the previous one (BPSK), of any amplitude.
    void process(cf change, float quality) {
        measure(quality);
        gate(change);
    }
    // cos(M * e) of a symbol's phase change after the drift the loop has measured: the
    // receiver's own figure, kept whatever the gate is fed.
    void measure(float quality);
    // What the gate is measured on: a phase change (BPSK) or a decided symbol (QPSK).
    void gate(cf symbol);
    // The symbols to come point another way than those before (decisions begun afresh):
    // measure them against their own direction, not the old one.
    void new_reference() { reference_ = cf{}; }
    // A station's preamble has been found: the level starts from the threshold rather
    // than from the noise's, and the symbols to come keep the gate open or shut it.
    void prime();
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
