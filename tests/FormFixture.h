#pragma once
// A main window on a temporary settings store, a recording modem, scripted
// questions and a clock the test sets.

#include "MainWindowParts.h"
#include "RecordingModem.h"
#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/SettingsStore.h"

#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <memory>

struct FormFixture {
    QTemporaryDir dir;
    QString iniPath = dir.filePath(QStringLiteral("VARNEK.conf"));
    RecordingModem modem;
    ScriptedDialogs dialogs;
    FixedClock clock{QDateTime(QDate(2026, 12, 10), QTime(14, 5, 30))};
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<TPSKForm> form;

    // Writes an INI text as the stored settings before the window is created.
    void storeText(const QByteArray &ini) {
        QFile f(iniPath);
        if (f.open(QIODevice::WriteOnly))
            f.write(ini);
    }

    TPSKForm &create() {
        store = std::make_unique<SettingsStore>(iniPath);
        form = std::make_unique<TPSKForm>(modem, *store, dialogs, clock);
        return *form;
    }

    // Starts the sound card through the Connect action and forgets the calls.
    void connect() {
        form->toolBar().Connection->trigger();
        modem.calls.clear();
        dialogs.shown.clear();
    }

    // A track edit in a slot, as the track panel would create it.
    QLineEdit *addTrack(int slot) {
        auto *edit = new QLineEdit(form->tracks().TBTerm);
        form->tracks().TrackTable[static_cast<size_t>(slot)] = edit;
        ++form->tracks().TrackCount;
        return edit;
    }
};
