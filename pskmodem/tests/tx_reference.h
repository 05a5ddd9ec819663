// A deliberately simple reference receiver for the transmitter's tests: it knows where
// the symbols are (a transmission starts at sample 0 of what it is given) and reads
// the phasor at each symbol boundary, where the shaped signal holds still. Bits come
// back by differential detection (BPSK) or by undoing the QPSK code algebraically,
// which is exact on a clean signal. The QPSK table here is written out from the
// mode's definition, independently of the transmitter's.
#pragma once

#include <complex>
#include <span>
#include <string>
#include <vector>

namespace tx_reference {

// Phasor at each symbol boundary k * samplesPerSymbol (k = 0, 1, ...).
std::vector<std::complex<double>> boundary_phasors(std::span<const float> x, double hertz,
                                                   int samplesPerSymbol);

// Phase change between successive boundaries, in quarter turns (0, 1 = +90 deg, 2,
// 3 = -90 deg), where both boundaries carry signal.
std::vector<int> quarter_turns(const std::vector<std::complex<double>> &phasors);

// BPSK: 1 where the phase held, 0 where it reversed.
std::vector<int> bpsk_bits(const std::vector<int> &turns);
// QPSK: the data bits, with the encoder starting from an all-zero register.
std::vector<int> qpsk_bits(const std::vector<int> &turns, bool lowerSideband);

// Characters between "00" gaps.
std::string varicode_text(const std::vector<int> &bits);

// Everything above: the text of a transmission in `mode` (0, 1, 2, 8, 9, 10).
std::string decode(std::span<const float> x, double hertz, int mode);

} // namespace tx_reference
