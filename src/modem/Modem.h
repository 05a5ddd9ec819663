#pragma once
// The program's view of the modem library: one virtual call per library
// operation, with the library's names and argument orders. Production code
// uses PskModem (forwards to pskmodem); tests put a recording modem behind it
// to check which calls are made and in what order.

#include <cstdint>
#include <functional>

class QObject;

class Modem {
public:
    virtual ~Modem() = default;

    // Starts the sound card; messages are posted to `receiver` as ModemEvent.
    virtual int32_t fnStartSoundCard(QObject *receiver, int32_t card, int32_t channels, int32_t reserved) = 0;
    virtual void fnStopSoundCard() = 0;
    virtual int32_t fnGetDLLVersion() = 0;
    virtual int32_t fnSetComPort(int32_t port, int32_t ptt) = 0;
    virtual void fnSetClockErrorAdjustment(int32_t ppm) = 0;
    virtual void fnSetFFTMode(int32_t mode, int32_t scale, int32_t reserved) = 0;
    virtual int32_t fnGetFFTData(int32_t *buffer, int32_t first, int32_t last) = 0;
    virtual int32_t fnGetRawData(int32_t *buffer, int32_t first, int32_t last) = 0;
    virtual int32_t fnGetSignalLevel(int32_t channel) = 0;
    virtual void fnGetSyncData(int32_t *buffer16, int32_t channel) = 0;
    virtual void fnGetVectorData(int32_t *buffer16, int32_t channel) = 0;
    virtual void fnEnableRXChannel(int32_t channel, int32_t enable) = 0;
    virtual void fnSetRXFrequency(int32_t hertz, int32_t captureRange, int32_t channel) = 0;
    virtual int32_t fnGetRXFrequency(int32_t channel) = 0;
    virtual void fnSetRXPSKMode(int32_t mode, int32_t channel) = 0;
    virtual void fnSetAFCLimit(int32_t hertz, int32_t channel) = 0;
    virtual void fnSetSquelchThreshold(int32_t threshold, int32_t speed, int32_t channel) = 0;
    virtual void fnSetTXFrequency(int32_t hertz) = 0;
    virtual void fnStartTX(int32_t mode) = 0;
    virtual void fnStopTX() = 0;
    virtual void fnAbortTX() = 0;
    virtual void fnClearTXBuffer() = 0;
    virtual int32_t fnGetTXCharsRemaining() = 0;
    virtual void fnSendTXCharacter(int32_t code, int32_t control) = 0;
    virtual void fnSetCWIDString(const char *text) = 0;
    virtual void fnSetCWIDSpeed(int32_t n) = 0;
    virtual void fnRewindInput(int32_t blocks) = 0;

    // Not an operation but a question: the device a number stands for (kind 0 the input,
    // 1 the output for card -1..2; kind 2 the device of COM port 1..8), as UTF-8 text
    // cut to fit buffer; returns the whole length, 0 when there is none. A modem that
    // knows no devices names none.
    virtual int32_t fnGetDeviceName(int32_t kind, int32_t number, char *buffer, int32_t size) {
        (void)kind;
        (void)number;
        if (buffer && size > 0)
            buffer[0] = '\0';
        return 0;
    }
};
