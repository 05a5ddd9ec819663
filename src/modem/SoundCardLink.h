#pragma once
// The sound card and the library's messages. Connect starts or stops the
// sound card with the sequences of calls the library expects; the library
// posts its five messages (ModemEvent) to the window, which hands them to
// Dispatch, and the handlers here route what they carry to the parts:
// display data to the displays, characters to the tracks and the receive
// pane, transmit states to the transmit control, readings to the tuning page
// and the status area.

#include <QObject>
#include <cstdint>

class QAction;
class QEvent;
class QLineEdit;
class QPlainTextEdit;
class Clock;
class Dialogs;
class DisplayPanel;
class Modem;
class ReceiveTuning;
class StatusArea;
class TrackChannels;
class TransmitControl;
struct RunningSettings;

class SoundCardLink : public QObject {
    Q_OBJECT
public:
    struct Parts {
        StatusArea &status;
        DisplayPanel &displays;
        ReceiveTuning &tuning;
        TransmitControl &transmit;
        TrackChannels &tracks;
        QPlainTextEdit *receivePane;
    };
    // window receives the library's messages.
    SoundCardLink(QObject *window, QAction *connection, Modem &modem, Dialogs &dialogs, Clock &clock,
                  const RunningSettings &settings, const Parts &parts);

    bool SoundCardActive = false;
    bool InputOverload = false;

    void ConnectBtnClick();
    // True for a library message, which has then been handled.
    bool Dispatch(QEvent *e);
    void DataReadyMessage();
    void CharacterMessage(int32_t wParam, int32_t lParam);
    void StatusMessageHandler(int32_t code);
    void LevelMessage(int32_t wParam, int32_t lParam);
    void ClockErrorMessage(int32_t wParam);

    // The stop sequence waits with the event loop running.
    bool connectSequenceRunning() const { return m_connectBusy; }
    // Once the window closes, Connect does nothing more.
    void setClosing() { m_closing = true; }
    // Stops the sound card if it runs, without the stop sequence (closing).
    void Shutdown();

    // Delivers a character to a text window as if typed at its caret.
    static void DeliverCharacter(QPlainTextEdit *edit, int c);
    static void DeliverCharacter(QLineEdit *edit, int c);

signals:
    // A start or stop sequence is over.
    void sequenceFinished();

private:
    void StartSoundCard();
    void StopSoundCard();
    void SetConnectIdle();

    QObject *m_window;
    QAction *m_connection;
    Modem &m_modem;
    Dialogs &m_dialogs;
    Clock &m_clock;
    const RunningSettings &m_settings;
    Parts m_parts;
    bool m_connectBusy = false;
    bool m_closing = false;
};
