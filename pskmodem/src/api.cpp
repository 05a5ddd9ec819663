// The C entry points: argument checks and forwarding to the one engine.
#include "pskmodem.h"

#include "audio/device_names.h"
#include "config.h"
#include "engine.h"
#include "ptt/serial_port.h"

#include <algorithm>
#include <cstdint>
#include <new>
#include <string>

using pskmodem::Engine;

namespace {

constexpr int32_t kVersion = 100;

// One engine per process, as there is one sound card connection per program. Built on
// first use so that loading the library does no work.
Engine &engine() {
    static Engine e;
    return e;
}

// Nothing may unwind into a C caller.
template <typename F> auto guarded(F f, decltype(f()) onError) noexcept -> decltype(f()) {
    try {
        return f();
    } catch (...) {
        return onError;
    }
}

template <typename F> void guarded_void(F f) noexcept {
    try {
        f();
    } catch (...) {
    }
}

} // namespace

extern "C" {

int32_t fnStartSoundCard(const PskNotifyTarget *target, int32_t card, int32_t channels, int32_t reserved) {
    // The receiver always has 25 channels; the count and the reserved value are kept
    // in the interface for the program's sake.
    (void)channels;
    (void)reserved;
    return guarded([&] { return static_cast<int32_t>(engine().start(target, card)); }, PSK_ERR_MEMORY);
}

void fnStopSoundCard(void) {
    guarded_void([] { engine().stop(); });
}

int32_t fnGetDLLVersion(void) {
    return kVersion;
}

int32_t fnSetComPort(int32_t port, int32_t ptt) {
    return guarded(
        [&]() -> int32_t {
            // Whatever the outcome, the previous port is let go: a refused choice must not
            // leave an old port keying the transmitter.
            if (ptt == 0) {
                engine().ptt().release();
                engine().state().set_ptt(port, 0);
                return 1;
            }
            if (ptt < 1 || ptt > 3 || port < 1 || port > pskmodem::Config::kComPorts) {
                engine().ptt().release();
                return 0;
            }
            const pskmodem::Config cfg = pskmodem::load_config();
            auto serial = pskmodem::SerialPort::open(cfg.comDevices[static_cast<std::size_t>(port - 1)]);
            if (!serial) {
                engine().ptt().release();
                return 0;
            }
            engine().ptt().use(std::move(serial), ptt);
            engine().state().set_ptt(port, ptt);
            return 1;
        },
        0);
}

void fnSetClockErrorAdjustment(int32_t ppm) {
    engine().state().set_clock_adjustment(ppm);
}

void fnSetFFTMode(int32_t mode, int32_t scale, int32_t reserved) {
    (void)reserved;
    engine().set_fft_mode(mode, scale);
}

int32_t fnGetFFTData(int32_t *buffer, int32_t first, int32_t last) {
    return engine().fft_data(buffer, first, last);
}

int32_t fnGetRawData(int32_t *buffer, int32_t first, int32_t last) {
    return engine().raw_data(buffer, first, last);
}

int32_t fnGetSignalLevel(int32_t channel) {
    return engine().receivers().level(channel);
}

void fnGetSyncData(int32_t *buffer16, int32_t channel) {
    engine().receivers().sync(channel, buffer16);
}

void fnGetVectorData(int32_t *buffer16, int32_t channel) {
    engine().receivers().vectors(channel, buffer16);
}

void fnEnableRXChannel(int32_t channel, int32_t enable) {
    engine().state().enable_channel(channel, enable != 0);
}

void fnSetRXFrequency(int32_t hertz, int32_t captureRange, int32_t channel) {
    engine().state().set_rx_frequency(channel, hertz, captureRange);
}

int32_t fnGetRXFrequency(int32_t channel) {
    // Where AFC has taken a running channel; otherwise where it was tuned.
    int32_t hz = 0;
    if (engine().receivers().frequency(channel, hz))
        return hz;
    return engine().state().rx_frequency(channel);
}

void fnSetRXPSKMode(int32_t mode, int32_t channel) {
    engine().state().set_rx_mode(channel, mode);
}

void fnSetAFCLimit(int32_t hertz, int32_t channel) {
    engine().state().set_afc_limit(channel, hertz);
}

void fnSetSquelchThreshold(int32_t threshold, int32_t speed, int32_t channel) {
    engine().state().set_squelch(channel, threshold, speed);
}

void fnSetTXFrequency(int32_t hertz) {
    engine().state().set_tx_frequency(hertz);
}

void fnStartTX(int32_t mode) {
    engine().state().start_tx(mode);
}

void fnStopTX(void) {
    engine().state().stop_tx();
}

void fnAbortTX(void) {
    engine().state().abort_tx();
}

void fnClearTXBuffer(void) {
    engine().state().clear_tx();
}

int32_t fnGetTXCharsRemaining(void) {
    return engine().state().tx_chars_remaining();
}

void fnSendTXCharacter(int32_t code, int32_t control) {
    guarded_void([&] { engine().state().send(code, control); });
}

void fnSetCWIDString(const char *text) {
    guarded_void([&] { engine().state().set_cwid_text(text); });
}

void fnSetCWIDSpeed(int32_t n) {
    engine().state().set_cwid_speed(n);
}

void fnRewindInput(int32_t blocks) {
    engine().state().set_rewind(blocks);
}

int32_t fnGetDeviceName(int32_t kind, int32_t number, char *buffer, int32_t size) {
    return guarded(
        [&]() -> int32_t {
            if (buffer && size > 0)
                buffer[0] = '\0';
            if (kind < PSK_DEVICE_INPUT || kind > PSK_DEVICE_COM)
                return 0;
            const std::string name = pskmodem::device_name(pskmodem::load_config(),
                                                           static_cast<pskmodem::DeviceKind>(kind), number);
            if (buffer && size > 0) {
                const std::size_t n = std::min(name.size(), static_cast<std::size_t>(size - 1));
                name.copy(buffer, n);
                buffer[n] = '\0';
            }
            return static_cast<int32_t>(std::min<std::size_t>(name.size(), INT32_MAX));
        },
        0);
}

} // extern "C"
