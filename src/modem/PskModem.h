#pragma once
// The production modem: forwards every call to the pskmodem library and turns
// its notifications into ModemEvents posted to the receiver given at start.

#include "Modem.h"

#include <memory>

class PskModem : public Modem {
public:
    PskModem();
    ~PskModem() override;

    int32_t fnStartSoundCard(QObject *receiver, int32_t card, int32_t channels, int32_t reserved) override;
    void fnStopSoundCard() override;
    int32_t fnGetDLLVersion() override;
    int32_t fnSetComPort(int32_t port, int32_t ptt) override;
    void fnSetClockErrorAdjustment(int32_t ppm) override;
    void fnSetFFTMode(int32_t mode, int32_t scale, int32_t reserved) override;
    int32_t fnGetFFTData(int32_t *buffer, int32_t first, int32_t last) override;
    int32_t fnGetRawData(int32_t *buffer, int32_t first, int32_t last) override;
    int32_t fnGetSignalLevel(int32_t channel) override;
    void fnGetSyncData(int32_t *buffer16, int32_t channel) override;
    void fnGetVectorData(int32_t *buffer16, int32_t channel) override;
    void fnEnableRXChannel(int32_t channel, int32_t enable) override;
    void fnSetRXFrequency(int32_t hertz, int32_t captureRange, int32_t channel) override;
    int32_t fnGetRXFrequency(int32_t channel) override;
    void fnSetRXPSKMode(int32_t mode, int32_t channel) override;
    void fnSetAFCLimit(int32_t hertz, int32_t channel) override;
    void fnSetSquelchThreshold(int32_t threshold, int32_t speed, int32_t channel) override;
    void fnSetTXFrequency(int32_t hertz) override;
    void fnStartTX(int32_t mode) override;
    void fnStopTX() override;
    void fnAbortTX() override;
    void fnClearTXBuffer() override;
    int32_t fnGetTXCharsRemaining() override;
    void fnSendTXCharacter(int32_t code, int32_t control) override;
    void fnSetCWIDString(const char *text) override;
    void fnSetCWIDSpeed(int32_t n) override;
    void fnRewindInput(int32_t blocks) override;
    int32_t fnGetDeviceName(int32_t kind, int32_t number, char *buffer, int32_t size) override;

private:
    struct Target;
    std::unique_ptr<Target> m_target;
};
