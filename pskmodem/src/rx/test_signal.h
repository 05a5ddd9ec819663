// A reference PSK31 modulator for the receiver's tests and benchmark, written from the
// mode's definition independently of the transmitter, so that the receiver is checked
// against the mode and not against our own transmitter's habits.
//
// Symbols are phasors a[k]; symbol period k carries the change from a[k-1] to a[k]
// with cosine weights: s(t) = a[k-1] * (1 + cos(pi*tau/T)) / 2 + a[k] * (1 - cos(pi*tau/T)) / 2,
// which is a cosine through zero on a reversal and a constant otherwise. BPSK: a 0 bit
// reverses the phase, a 1 keeps it. QPSK: each bit enters the K=5 encoder and the two
// output bits pick the phase change. Each character is its Varicode followed by "00".
#pragma once

#include "modem_state.h"

#include <complex>
#include <cstdint>
#include <string>
#include <vector>

namespace pskmodem {

struct TestSignalParams {
    int32_t mode = 0;          // receive mode numbering: 0, 1, 2, 8, 9, 10
    double frequency = 1000.0; // Hz, including any offset under test
    double amplitude = 0.5;    // peak, full scale 1
    double phase = 0.0;        // carrier phase at the start, radians
    double preamble = 1.0;     // seconds of idle (reversals) before the text
    double postamble = 1.0;    // seconds of steady carrier after it
    double leadSilence = 0.0;  // seconds of silence (noise only) before and after
    double clockPpm = 0.0;     // the receiving card runs fast by this much
    double snrDb = 1000.0;     // mean keyed power over noise in 2500 Hz; >= 1000: none
    uint64_t seed = 1;         // for the noise
};

struct TestSignal {
    std::vector<float> samples;
    // For each character, the sample at which its last symbol (the second gap zero)
    // has been sent in full.
    std::vector<std::size_t> charEnds;
};

// The complex envelope of a transmission (unit phasors, no carrier, no amplitude), sampled
// at the receiving card's rate (clockPpm) from the start of the lead silence; frequency,
// amplitude, phase, snrDb and seed are not used.
struct TestEnvelope {
    std::vector<std::complex<double>> samples;
    std::size_t keyedStart = 0, keyedEnd = 0; // samples [keyedStart, keyedEnd) carry the signal
    // For each character, the sample at which its first symbol starts and the sample at
    // which its last symbol (the second gap zero) has been sent in full.
    std::vector<std::size_t> charStarts, charEnds;
    double meanPower = 0.0; // mean |samples|^2 over the keyed samples
};

// Bits (Varicode with gaps) for the text.
std::vector<uint8_t> varicode_bits(const std::string &text);
TestEnvelope make_test_envelope(const std::string &text, const TestSignalParams &p);
TestSignal make_test_signal(const std::string &text, const TestSignalParams &p);
// White Gaussian noise of the given standard deviation added in place.
void add_noise(std::vector<float> &x, double sigma, uint64_t seed);

// Levenshtein distance between what was sent and what was decoded: the
// character errors counted by the tests and the benchmark.
std::size_t edit_distance(const std::string &a, const std::string &b);

// A channel for the receiver under test: enabled, tuned to hz, with the capture and AFC
// widths given (0: off).
ChannelSettings tuned_channel(int32_t mode, int32_t hz, int32_t capture = 0, int32_t afc = 0);

} // namespace pskmodem
