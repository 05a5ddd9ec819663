#pragma once
// The transmit pane and the buttons that transmit: Transmit, Tune, CW ID,
// send a text file and rewind, with the pane's menu. Every character for the
// library passes TXBufKeyPress; TypeIntoTXBuf delivers one as if typed (files,
// macros). A key typed into the pane leaves later keys queued while messages
// are served, so fast typing keeps its order.

#include <QObject>
#include <QString>
#include <functional>

class QAction;
class QMenu;
class QPlainTextEdit;
class QWidget;
class Dialogs;
class Modem;
class ReceiveTuning;
class StatusArea;
struct RunningSettings;

class TransmitControl : public QObject {
    Q_OBJECT
public:
    // The tool bar's actions this part answers.
    struct Actions {
        QAction *Transmit, *Tune, *CWIdentification, *SendText, *RewindSound;
    };
    TransmitControl(QWidget *parent, QWidget *window, const Actions &actions, Modem &modem, Dialogs &dialogs,
                    const RunningSettings &settings, StatusArea &status, ReceiveTuning &tuning,
                    std::function<bool()> soundCardActive);

    QPlainTextEdit *TXBuf = nullptr;
    QMenu *TXPopup = nullptr;
    bool Transmitting = false;
    bool Tuning = false;
    bool SendingTextFile = false;
    // Chooses the text file to send (title, filter); empty when cancelled.
    std::function<QString(const QString &, const QString &)> OpenDialog;

    void TXBufKeyPress(int &key, bool fromKeyboard = false);
    void TypeIntoTXBuf(int c);
    void TransmitBtnClick();
    // What a macro's \t does: key the transmitter as Transmit does, but
    // leave the CW ID button and the keyboard focus alone; nothing while a
    // tune carrier is on.
    void KeyForMacro();
    void TuneBtnClick();
    void CWIDBtnClick();
    void SndTxtBtnClick();
    void RewindBtnClick();
    void ClearMenuClick();
    void CopyMenuClick();
    void PasteMenuClick();
    QString RewindHint() const;

    // What the library's transmit states mean for the buttons.
    void TransmissionStarted();
    // True when a transmission ended with nothing left in the queue.
    bool TransmissionEnded(bool haveTracks);
    // Ends a tune or a transmission before the sound card stops.
    void EndForDisconnect();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // Beeps and says so when the sound card is stopped; true then.
    bool ReportSoundCardStopped();
    // The buttons as they are while receiving.
    void ShowReceiving();

    Actions m_actions;
    Modem &m_modem;
    Dialogs &m_dialogs;
    const RunningSettings &m_settings;
    StatusArea &m_status;
    ReceiveTuning &m_tuning;
    std::function<bool()> m_soundCardActive;
    // The transmission on the air is the tune carrier.
    bool m_tuneOnAir = false;
};
