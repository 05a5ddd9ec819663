// The transmit modes of the C API and what they mean for the modulator.
#pragma once

#include <cstdint>

namespace pskmodem {

enum class Keying { Bpsk, QpskUsb, QpskLsb };

struct TxMode {
    static constexpr int32_t kTune = 3;

    // 0 BPSK, 1 QPSK upper sideband, 2 QPSK lower sideband; 8, 9, 10 the same at
    // 62.5 baud.
    static bool is_psk(int32_t mode) { return (mode >= 0 && mode <= 2) || (mode >= 8 && mode <= 10); }
    static Keying keying(int32_t mode) {
        switch (mode & 7) {
        case 1:
            return Keying::QpskUsb;
        case 2:
            return Keying::QpskLsb;
        default:
            return Keying::Bpsk;
        }
    }
    // 256 samples at 8000 Hz is one symbol at 31.25 baud; the fast modes halve it.
    static int samples_per_symbol(int32_t mode) { return mode >= 8 ? 128 : 256; }
};

} // namespace pskmodem
