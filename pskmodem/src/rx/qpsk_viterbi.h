// Viterbi decoder for QPSK31: the rate-1/2, constraint-length-5 code (polynomials 0x17
// and 0x19, newest bit in the least significant place) whose two output bits choose the
// phase change of each symbol.
//
// Coherent mode decodes the loop-derotated symbols themselves: the trellis state holds
// the encoder's last four bits and the absolute phase (a quarter turn, 0..3), so the
// differential mapping and the loop's 90-degree ambiguity are decoded jointly, with no
// loss to differential detection. Differential mode decodes the products of neighbouring
// symbols (16 states), for when the carrier loop is not locked. Both use the symbols as
// soft values and decide each bit `kDepth` symbols late.
#pragma once

#include "rx_types.h"

#include <array>
#include <cstdint>

namespace pskmodem {

class QpskViterbi {
public:
    static constexpr int kDepth = 16;

    explicit QpskViterbi(bool coherent = true) : coherent_(coherent) { reset(); }
    void set_lsb(bool lsb) { lsb_ = lsb; }
    void reset();
    // One symbol in; returns the bit decided kDepth symbols ago, or -1 while the
    // decoder fills.
    int process(cf symbol);

    // The phase change in quarter turns (counter-clockwise) for the register's newest
    // five bits, upper sideband; the lower sideband swaps 1 and 3.
    static int phase_change(unsigned reg, bool lsb);

private:
    static constexpr int kCoderStates = 16;
    // The code cannot absorb a quarter-turn slip of the carrier loop by any finite run
    // of wrong bits (the 0x17 output always flips an even number of times), so the
    // coherent trellis allows a slip at each symbol for this much metric (about two
    // symbols' worth).
    static constexpr float kSlipPenalty = 2.0f;
    static constexpr int kStates = 4 * kCoderStates;

    bool coherent_;
    bool lsb_ = false;
    int filled_ = 0;
    std::array<float, kStates> metric_{};
    std::array<float, kStates> next_{};
    std::array<uint32_t, kStates> path_{};
    std::array<uint32_t, kStates> nextPath_{};
};

} // namespace pskmodem
