#pragma once
// The main window. It builds the layout, owns one part per subsystem and
// wires them; it keeps only what is window-wide: the caption, the timer, the
// tray icon, closing, and loading and saving the settings.
//
// Data flow: the modem library posts ModemEvents to this window; event()
// hands them to the sound-card link, whose five message handlers route what
// they carry to the displays, the tracks, the transmit control, the tuning
// page and the status area. Parts reach each other only through the narrow
// references and signals wired here (see ARCHITECTURE.md).

#include "base/RunningSettings.h"

#include <QMainWindow>

class QMenu;
class QSystemTrayIcon;
class QTimer;
class Clock;
class Dialogs;
class ContextHelp;
class DisplayPanel;
class HelpSystem;
class MacroBar;
class MainToolBar;
class Modem;
class QsoBox;
class ReceiveTuning;
class SettingsStore;
class SetupLauncher;
class SoundCardLink;
class StatusArea;
class TrackPanel;
class TransmitControl;
class UpdateNotice;

class TPSKForm : public QMainWindow {
    Q_OBJECT
public:
    TPSKForm(Modem &modem, SettingsStore &store, Dialogs &dialogs, Clock &clock, QWidget *parent = nullptr);
    ~TPSKForm() override;

    // ---- The parts ----------------------------------------------------
    MainToolBar &toolBar() const { return *m_toolBar; }
    StatusArea &status() const { return *m_status; }
    DisplayPanel &displays() const { return *m_displays; }
    TrackPanel &tracks() const { return *m_tracks; }
    ReceiveTuning &tuning() const { return *m_tuning; }
    MacroBar &macros() const { return *m_macros; }
    QsoBox &qso() const { return *m_qso; }
    TransmitControl &transmit() const { return *m_transmit; }
    SoundCardLink &link() const { return *m_link; }
    SetupLauncher &setup() const { return *m_setup; }
    HelpSystem &help() const { return *m_help; }
    UpdateNotice &update() const { return *m_update; }

    // ---- Window-wide state --------------------------------------------
    RunningSettings &settings() { return m_settings; }
    const RunningSettings &settings() const { return m_settings; }
    QString StartupDir() const { return m_startupDir; }
    QString DateFormatPattern() const { return m_dateFormatPattern; }
    QTimer *Timer() const { return m_timer; }
    QSystemTrayIcon *CoolTrayIcon() const { return m_trayIcon; }
    QMenu *TrayPopup() const { return m_trayPopup; }
    QString CaptionText() const;

    // ---- Handlers -----------------------------------------------------
    void FormCreate();
    void ResizeForm();
    void TimerTimer();
    void ExitBtnClick();
    void HelpBtnClick();
    void ContextHelpExecute();
    void AboutBtnClick();
    void EnableComPort();
    void CfgBtnClick();
    void RXAudioBtnClick();
    void TxAdjBtnClick();
    void AdjustAudioProperties();
    // The buttons that need a track: the tool bar's and the macros.
    void ActiveButtons(bool enable);

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void BuildControls();
    void BuildTray();
    void ApplySetting(int id);
    void FitToScreen();
    bool CloseProgram();
    void SequenceFinished();

    Modem &m_modem;
    SettingsStore &m_store;
    Dialogs &m_dialogs;
    Clock &m_clock;
    RunningSettings m_settings;
    QString m_startupDir;
    QString m_dateFormatPattern;

    MainToolBar *m_toolBar = nullptr;
    StatusArea *m_status = nullptr;
    DisplayPanel *m_displays = nullptr;
    TrackPanel *m_tracks = nullptr;
    ReceiveTuning *m_tuning = nullptr;
    MacroBar *m_macros = nullptr;
    QsoBox *m_qso = nullptr;
    TransmitControl *m_transmit = nullptr;
    SoundCardLink *m_link = nullptr;
    SetupLauncher *m_setup = nullptr;
    HelpSystem *m_help = nullptr;
    ContextHelp *m_contextHelp = nullptr;
    UpdateNotice *m_update = nullptr;

    QTimer *m_timer = nullptr;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QMenu *m_trayPopup = nullptr;
    QTimer *m_trayTimer = nullptr;
    int m_trayFrame = 0;
    bool m_closeRequested = false;
    bool m_closing = false;
    bool m_loading = false;
    bool m_comPortAccepted = false;
};
