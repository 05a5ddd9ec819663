// Types and mode facts shared by the receive chain.
#pragma once

#include <complex>
#include <cstdint>

namespace pskmodem {

using cf = std::complex<float>;

// Every receiver works at this many baseband samples per symbol after decimation, so
// the symbol filter, timing loop and sync profile are the same for both baud rates.
inline constexpr int kRxSamplesPerSymbol = 16;

struct RxMode {
    bool qpsk = false;
    bool lsb = false;         // QPSK on the lower sideband: +90 and -90 degrees swap
    int symbolSamples = 256;  // input samples (8000 Hz) per symbol
    int decimation() const { return symbolSamples / kRxSamplesPerSymbol; }
    double baud() const { return 8000.0 / symbolSamples; }
};

// Modes 0 BPSK, 1 QPSK USB, 2 QPSK LSB; 8, 9, 10 the same at 62.5 baud. Anything else
// reads as BPSK31.
inline RxMode rx_mode(int32_t mode) {
    RxMode m;
    const int32_t base = mode >= 8 ? mode - 8 : mode;
    m.qpsk = base == 1 || base == 2;
    m.lsb = base == 2;
    m.symbolSamples = mode >= 8 && mode <= 10 ? 128 : 256;
    return m;
}

// Complex products written out: std::complex's operator* checks for infinities and
// NaN in a slow path, which costs more than the arithmetic in the per-sample loops.
inline cf cmul(cf a, cf b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}
inline cf cmul_conj(cf a, cf b) { // a * conj(b)
    return {a.real() * b.real() + a.imag() * b.imag(), a.imag() * b.real() - a.real() * b.imag()};
}

} // namespace pskmodem
