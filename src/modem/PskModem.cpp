#include "PskModem.h"

#include "ModemEvent.h"

#include <QCoreApplication>
#include <QMutex>
#include <QPointer>
#include <pskmodem.h>

// The library calls back on its DSP thread. postEvent is thread-safe; the
// receiver pointer is guarded so a window destroyed after stop is never used.
struct PskModem::Target {
    QMutex mutex;
    QObject *receiver = nullptr;

    static void notify(void *context, int32_t message, int32_t wParam, int32_t lParam) {
        auto *self = static_cast<Target *>(context);
        QMutexLocker lock(&self->mutex);
        if (self->receiver)
            QCoreApplication::postEvent(self->receiver, new ModemEvent(message, wParam, lParam));
    }
};

PskModem::PskModem() : m_target(std::make_unique<Target>()) {}

PskModem::~PskModem() {
    fnStopSoundCard();
}

int32_t PskModem::fnStartSoundCard(QObject *receiver, int32_t card, int32_t channels, int32_t reserved) {
    {
        QMutexLocker lock(&m_target->mutex);
        m_target->receiver = receiver;
    }
    const PskNotifyTarget target{&Target::notify, m_target.get()};
    return ::fnStartSoundCard(&target, card, channels, reserved);
}

void PskModem::fnStopSoundCard() {
    ::fnStopSoundCard();
    QMutexLocker lock(&m_target->mutex);
    m_target->receiver = nullptr;
}

int32_t PskModem::fnGetDLLVersion() {
    return ::fnGetDLLVersion();
}
int32_t PskModem::fnSetComPort(int32_t port, int32_t ptt) {
    return ::fnSetComPort(port, ptt);
}
void PskModem::fnSetClockErrorAdjustment(int32_t ppm) {
    ::fnSetClockErrorAdjustment(ppm);
}
void PskModem::fnSetFFTMode(int32_t mode, int32_t scale, int32_t reserved) {
    ::fnSetFFTMode(mode, scale, reserved);
}
int32_t PskModem::fnGetFFTData(int32_t *buffer, int32_t first, int32_t last) {
    return ::fnGetFFTData(buffer, first, last);
}
int32_t PskModem::fnGetRawData(int32_t *buffer, int32_t first, int32_t last) {
    return ::fnGetRawData(buffer, first, last);
}
int32_t PskModem::fnGetSignalLevel(int32_t channel) {
    return ::fnGetSignalLevel(channel);
}
void PskModem::fnGetSyncData(int32_t *buffer16, int32_t channel) {
    ::fnGetSyncData(buffer16, channel);
}
void PskModem::fnGetVectorData(int32_t *buffer16, int32_t channel) {
    ::fnGetVectorData(buffer16, channel);
}
void PskModem::fnEnableRXChannel(int32_t channel, int32_t enable) {
    ::fnEnableRXChannel(channel, enable);
}
void PskModem::fnSetRXFrequency(int32_t hertz, int32_t captureRange, int32_t channel) {
    ::fnSetRXFrequency(hertz, captureRange, channel);
}
int32_t PskModem::fnGetRXFrequency(int32_t channel) {
    return ::fnGetRXFrequency(channel);
}
void PskModem::fnSetRXPSKMode(int32_t mode, int32_t channel) {
    ::fnSetRXPSKMode(mode, channel);
}
void PskModem::fnSetAFCLimit(int32_t hertz, int32_t channel) {
    ::fnSetAFCLimit(hertz, channel);
}
void PskModem::fnSetSquelchThreshold(int32_t threshold, int32_t speed, int32_t channel) {
    ::fnSetSquelchThreshold(threshold, speed, channel);
}
void PskModem::fnSetTXFrequency(int32_t hertz) {
    ::fnSetTXFrequency(hertz);
}
void PskModem::fnStartTX(int32_t mode) {
    ::fnStartTX(mode);
}
void PskModem::fnStopTX() {
    ::fnStopTX();
}
void PskModem::fnAbortTX() {
    ::fnAbortTX();
}
void PskModem::fnClearTXBuffer() {
    ::fnClearTXBuffer();
}
int32_t PskModem::fnGetTXCharsRemaining() {
    return ::fnGetTXCharsRemaining();
}
void PskModem::fnSendTXCharacter(int32_t code, int32_t control) {
    ::fnSendTXCharacter(code, control);
}
void PskModem::fnSetCWIDString(const char *text) {
    ::fnSetCWIDString(text);
}
void PskModem::fnSetCWIDSpeed(int32_t n) {
    ::fnSetCWIDSpeed(n);
}
void PskModem::fnRewindInput(int32_t blocks) {
    ::fnRewindInput(blocks);
}
int32_t PskModem::fnGetDeviceName(int32_t kind, int32_t number, char *buffer, int32_t size) {
    return ::fnGetDeviceName(kind, number, buffer, size);
}
