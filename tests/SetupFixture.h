#pragma once
// The setup dialog on a temporary store, a recording modem, scripted questions and a
// fixed clock, with pseudo-terminals to stand in for serial ports.

#include "RecordingModem.h"
#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/RunningSettings.h"
#include "base/SettingsStore.h"
#include "settings/TSetForm.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <fcntl.h>
#include <memory>
#include <stdlib.h>
#include <unistd.h>

// A pseudo-terminal pair kept open for the test; path() is the terminal side.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0)
            m_path = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~PseudoTerminal() {
        if (m_master >= 0)
            ::close(m_master);
    }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;
    QString path() const { return m_path; }

private:
    int m_master = -1;
    QString m_path;
};

struct SetupFixture {
    QTemporaryDir dir;
    QString iniPath = dir.filePath(QStringLiteral("VARNEK.conf"));
    RecordingModem modem;
    ScriptedDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(14, 5, 30))};
    std::unique_ptr<SettingsStore> store;
    RunningSettings settings;
    QString datePattern;
    std::unique_ptr<TSetForm> form;

    SetupFixture() {
        settings.CardNum = -1;
        settings.ComPort = 1;
    }

    void storeText(const QByteArray &ini) {
        QFile f(iniPath);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(ini);
    }
    QByteArray storedBytes() const {
        QFile f(iniPath);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QString stored(const QString &group, const QString &name) const {
        QSettings ini(iniPath, QSettings::IniFormat);
        return ini.value(group + QLatin1Char('/') + name).toString();
    }
    // COM port n stands for this device in the library.
    void mapCom(int n, const QString &device) { modem.deviceNames[{2, n}] = device.toUtf8(); }

    TSetForm &open() {
        store = std::make_unique<SettingsStore>(iniPath);
        form = std::make_unique<TSetForm>(SetupContext{modem, *store, dialogs, clock, settings, datePattern});
        return *form;
    }
};
