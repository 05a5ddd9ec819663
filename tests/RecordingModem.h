#pragma once
// A modem that records every call as text ("fnSetRXFrequency(100,10,0)") and
// answers with values the test sets, so call orders can be checked.

#include "modem/Modem.h"

#include <QByteArray>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>

class RecordingModem : public Modem {
public:
    QStringList calls;
    int32_t startResult = 0;
    int32_t version = 105;
    int32_t comPortResult = 1;
    int32_t fftResult = 0;
    int32_t txRemaining = 0;
    int32_t signalLevel = 0;
    int32_t rxFrequency = 0;
    int32_t fftFill = 0;
    QObject *receiver = nullptr;

    // Only the calls whose name starts with one of the prefixes.
    QStringList callsOf(const QStringList &prefixes) const {
        QStringList out;
        for (const QString &c : calls)
            for (const QString &p : prefixes)
                if (c.startsWith(p)) {
                    out << c;
                    break;
                }
        return out;
    }

    int32_t fnStartSoundCard(QObject *r, int32_t card, int32_t channels, int32_t reserved) override {
        receiver = r;
        rec("fnStartSoundCard", {card, channels, reserved});
        return startResult;
    }
    void fnStopSoundCard() override { rec("fnStopSoundCard", {}); }
    int32_t fnGetDLLVersion() override {
        rec("fnGetDLLVersion", {});
        return version;
    }
    int32_t fnSetComPort(int32_t port, int32_t ptt) override {
        rec("fnSetComPort", {port, ptt});
        return comPortResult;
    }
    void fnSetClockErrorAdjustment(int32_t ppm) override { rec("fnSetClockErrorAdjustment", {ppm}); }
    void fnSetFFTMode(int32_t mode, int32_t scale, int32_t reserved) override {
        rec("fnSetFFTMode", {mode, scale, reserved});
    }
    int32_t fnGetFFTData(int32_t *buffer, int32_t first, int32_t last) override {
        rec("fnGetFFTData", {first, last});
        for (int32_t i = first; i <= last && i >= 0 && i < 1024; ++i)
            buffer[i] = fftFill;
        return fftResult;
    }
    int32_t fnGetRawData(int32_t *, int32_t first, int32_t last) override {
        rec("fnGetRawData", {first, last});
        return 0;
    }
    int32_t fnGetSignalLevel(int32_t channel) override {
        rec("fnGetSignalLevel", {channel});
        return signalLevel;
    }
    void fnGetSyncData(int32_t *, int32_t channel) override { rec("fnGetSyncData", {channel}); }
    void fnGetVectorData(int32_t *, int32_t channel) override { rec("fnGetVectorData", {channel}); }
    void fnEnableRXChannel(int32_t channel, int32_t enable) override {
        rec("fnEnableRXChannel", {channel, enable});
    }
    void fnSetRXFrequency(int32_t hertz, int32_t range, int32_t channel) override {
        rec("fnSetRXFrequency", {hertz, range, channel});
    }
    int32_t fnGetRXFrequency(int32_t channel) override {
        rec("fnGetRXFrequency", {channel});
        return rxFrequency;
    }
    void fnSetRXPSKMode(int32_t mode, int32_t channel) override { rec("fnSetRXPSKMode", {mode, channel}); }
    void fnSetAFCLimit(int32_t hertz, int32_t channel) override { rec("fnSetAFCLimit", {hertz, channel}); }
    void fnSetSquelchThreshold(int32_t t, int32_t s, int32_t channel) override {
        rec("fnSetSquelchThreshold", {t, s, channel});
    }
    void fnSetTXFrequency(int32_t hertz) override { rec("fnSetTXFrequency", {hertz}); }
    void fnStartTX(int32_t mode) override { rec("fnStartTX", {mode}); }
    void fnStopTX() override { rec("fnStopTX", {}); }
    void fnAbortTX() override { rec("fnAbortTX", {}); }
    void fnClearTXBuffer() override { rec("fnClearTXBuffer", {}); }
    int32_t fnGetTXCharsRemaining() override {
        rec("fnGetTXCharsRemaining", {});
        return txRemaining;
    }
    void fnSendTXCharacter(int32_t code, int32_t control) override {
        rec("fnSendTXCharacter", {code, control});
    }
    void fnSetCWIDString(const char *text) override {
        calls << QStringLiteral("fnSetCWIDString(%1)").arg(QString::fromLatin1(text ? text : "(null)"));
    }
    void fnSetCWIDSpeed(int32_t n) override { rec("fnSetCWIDSpeed", {n}); }
    void fnRewindInput(int32_t blocks) override { rec("fnRewindInput", {blocks}); }

    // Device names by (kind, number), as the test sets them. A question with no effect on
    // the modem, so it is not recorded among the calls.
    QMap<QPair<int32_t, int32_t>, QByteArray> deviceNames;
    int32_t fnGetDeviceName(int32_t kind, int32_t number, char *buffer, int32_t size) override {
        const QByteArray name = deviceNames.value({kind, number});
        if (buffer && size > 0) {
            const qsizetype n = std::min<qsizetype>(name.size(), size - 1);
            std::copy_n(name.constData(), n, buffer);
            buffer[n] = '\0';
        }
        return static_cast<int32_t>(name.size());
    }

private:
    void rec(const char *name, std::initializer_list<int32_t> args) {
        QStringList parts;
        for (int32_t a : args)
            parts << QString::number(a);
        calls << QStringLiteral("%1(%2)").arg(QString::fromLatin1(name), parts.join(QLatin1Char(',')));
    }
};
