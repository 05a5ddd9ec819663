#pragma once
// The main window. It owns every control of the terminal and the running
// state shared by the subsystems; its handlers are short and call into the
// subsystem units (settings, modem, displays, ...). Handlers live in the
// .cpp file of their subsystem: TPSKForm.cpp (creation, layout),
// TPSKFormShell.cpp (timer, tray, help, closing, status bar), and
// modem/Connection.cpp (sound card and the modem's messages).
//
// Data flow: the modem library posts ModemEvents to this window; event()
// dispatches them to the five message handlers on the GUI thread, which fetch
// display data through the Modem interface and update the controls.

#include "app/RunningSettings.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSpinBox;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class QToolBar;
class QToolButton;
class QFrame;

class Clock;
class Dialogs;
class Modem;
class SettingsStore;
class TInfoPanel;
class TLed;
class TLevelBar;
class TPaintBox;
class TStatusBar;

class TPSKForm : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int TrackSlots = 25;
    static constexpr int SpectrumScaleValue = 100;

    TPSKForm(Modem &modem, SettingsStore &store, Dialogs &dialogs, Clock &clock, QWidget *parent = nullptr);
    ~TPSKForm() override;

    // ---- Shared state -------------------------------------------------
    RunningSettings settings; // the running copies of the stored settings
    QString StartupDir;
    QString DateFormatPattern;
    bool SoundCardActive = false;
    bool Transmitting = false;
    bool Tuning = false;
    bool InputOverload = false;

    std::array<QLineEdit *, TrackSlots> TrackTable{};
    int TrackCount = 0;
    int ActiveTrack = 0;
    int PendingTrackDelete = -1;

    int WFSpan = 0, FFTLowBin = 0, FFTHighBin = 0, FFTBinSpan = 0;
    int SpectrumScale = 0;
    std::array<int32_t, 1024> FFTData{};
    std::array<int32_t, 2048> RawData{};
    std::array<int32_t, 16> SyncData{};
    std::array<int32_t, 16> VectorData{};

    QString StatusMessage;
    int StatusIcon = 22;
    QString LinkText;
    int LinkIcon = 21;

    // ---- Controls (component names are their objectName) ---------------
    QToolBar *ToolBar = nullptr;
    QAction *Connection = nullptr, *Transmit = nullptr, *Tune = nullptr, *CWIdentification = nullptr,
            *MacroDialog = nullptr, *WizardDialog = nullptr, *SendText = nullptr, *RewindSound = nullptr,
            *RXAudio = nullptr, *TXAudio = nullptr, *AdjustAudioProp = nullptr, *ClearTracks = nullptr,
            *SetupDialog = nullptr, *OnLineHelp = nullptr, *ContextHelp = nullptr, *AboutVarnek = nullptr,
            *ExitProgram = nullptr;
    QToolButton *ConnectBtn = nullptr, *TransmitBtn = nullptr, *TuneBtn = nullptr, *CWIDBtn = nullptr,
                *MacroBtn = nullptr, *WizBtn = nullptr, *SndTxtBtn = nullptr, *RewindBtn = nullptr,
                *RXAudioBtn = nullptr, *TXAudioBtn = nullptr, *AAPropBtn = nullptr, *ClearTrackBtn = nullptr,
                *SetupBtn = nullptr, *HelpBtn = nullptr, *ContextBtn = nullptr, *AboutBtn = nullptr,
                *ExitBtn = nullptr;

    QTabWidget *PageControl = nullptr;
    QWidget *TBTerm = nullptr;
    QFrame *WaterPanel = nullptr;
    TPaintBox *WaterfallDisplay = nullptr;

    QTabWidget *Canal = nullptr;
    QWidget *ChannelTab = nullptr;
    QGroupBox *SignalBox = nullptr, *FreqBox = nullptr;
    TLevelBar *SIGTrack = nullptr;
    QLabel *SQLbl1 = nullptr, *SQLbl2 = nullptr;
    QSlider *SQTrack = nullptr;
    QSpinBox *SQSSPin = nullptr, *RXSpin = nullptr, *TXSpin = nullptr, *AFCSpin = nullptr;
    QCheckBox *AFCCheck = nullptr, *NETCheck = nullptr;
    QLabel *PPMd = nullptr, *IMDd = nullptr;

    QTabWidget *MacroPage = nullptr;
    QWidget *MacroSheet1 = nullptr, *MacroSheet2 = nullptr;
    std::array<QPushButton *, 40> MacroButtons{}; // M1..M40

    QTabWidget *Monitor = nullptr;
    TPaintBox *SpectrumDisplay = nullptr, *SignalDisplay = nullptr, *SyncDisplay = nullptr, *VECDisplay = nullptr;
    QFrame *VisuPanel = nullptr;

    QGroupBox *QSOBox = nullptr;
    QLineEdit *TheDate = nullptr, *TheTime = nullptr, *HisCall = nullptr, *HisName = nullptr, *HisRep = nullptr,
              *TheInfo = nullptr;
    QPushButton *ClearBtn = nullptr, *StoreBtn = nullptr, *ViewBtn = nullptr;

    QPlainTextEdit *RXBuf = nullptr, *TXBuf = nullptr;

    TInfoPanel *Infopanel = nullptr;
    TLed *LedOne = nullptr, *LedTwo = nullptr, *RXLed = nullptr, *TXLed = nullptr;
    TStatusBar *StatusBar = nullptr;

    QTimer *Timer = nullptr;
    QSystemTrayIcon *CoolTrayIcon = nullptr;
    QMenu *TrayPopup = nullptr;
    QMenu *TXPopup = nullptr;

    // ---- Handlers ------------------------------------------------------
    void FormCreate();
    void ResizeForm();
    void ConnectBtnClick();
    void ExitBtnClick();
    void TimerTimer();
    void HelpBtnClick();
    void ContextHelpExecute();
    void AboutBtnClick();
    void EnableComPort();
    void CfgBtnClick();
    void RXAudioBtnClick();
    void TxAdjBtnClick();
    void AdjustAudioProperties();
    void StatusMouseMove(int x, int y);
    void PanelMove(int x);
    void StatusBarDrawPanel(QPainter &painter, int panel, const QRect &rect);

    // The five library messages.
    void DataReadyMessage();
    void CharacterMessage(int32_t wParam, int32_t lParam);
    void StatusMessageHandler(int32_t code);
    void LevelMessage(int32_t wParam, int32_t lParam);
    void ClockErrorMessage(int32_t wParam);

    // Display paints (drawn by the display renderers).
    void SpectrumDisplayPaint();
    void WaterfallDisplayPaint();
    void SignalDisplayPaint();
    void SyncroDisplayPaint();
    void VectorDisplayPaint();

    // Shared helpers other subsystems call.
    void PostStatusMessage(const QString &text, int icon);
    void ActiveButtons(bool enable);
    void TrackTeardown();
    void SetComLed();
    void ComputeBandValues();
    QString RewindHint() const;
    QString CaptionText() const;
    // Delivers a character to a text window as if typed at its caret.
    static void DeliverCharacter(QPlainTextEdit *edit, int c);
    static void DeliverCharacter(QLineEdit *edit, int c);

    // ---- Subsystem hooks ---------------------------------------------
    // Each subsystem wires its controls in its own file; these run at the end
    // of BuildControls, before the stored settings are read.
    void SetupDisplays(); // src/displays
    void SetupTracks();   // src/tracks
    void SetupLog();      // src/log

    // ---- Displays (src/displays) -------------------------------------
    // The renderers own the off-screen images (the waterfall history, the
    // cached scales); the paint boxes only show the frames they make. Held
    // through shared_ptr so this header needs no more than their name.
    std::shared_ptr<class DisplayRenderers> Renderers;
    void WaterfallMouseMove(int y); // frequency readout in status panel 1
    void SpectrumMove(int x);       // the same, by column
    // A new, black waterfall history at the paint box's present size.
    void ResetWaterfallHistory();
    // The two steps of the waterfall paint that serve the track panel: each
    // open track's line on the frame and its edit beside the strip, then a
    // confirmed removal.
    void TrackLayout(QImage &frame);
    void RemovePendingTrack();

    // ---- Tracks, transmit and tuning (src/tracks, src/modem) ----------
    // A track is receive channel i of the library shown by the edit in slot
    // i. The frequency of a height of the waterfall strip is the one rule a
    // click, a drop and the track lines share.
    int FrequencyOfHeight(int y) const;
    void WaterfallMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void EditMouseDown(QLineEdit *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void ClearTrckBtnClick();
    // After a removal the active track moves to an open one, so whatever
    // follows the active track always has an edit and a channel.
    void KeepActiveTrackOpen();
    // Retuning by drag and drop. The drag object lives from the start of a
    // drag to its end; a removal waits until then.
    class TControlDragObject *DragObject = nullptr;
    class TControlDragObject *EditStartDrag(QLineEdit *sender, QPoint grab);
    void EditEndDrag();
    bool TabDragOver(const class QMimeData *source, QPoint pos) const;
    void TabDragDrop(const class QMimeData *source, QPoint pos);

    // Transmit. Every character for the library passes TXBufKeyPress;
    // TypeIntoTXBuf delivers one as if typed (files, macros). A key typed
    // into the pane leaves later keys queued while messages are served, so
    // fast typing keeps its order.
    void TXBufKeyPress(int &key, bool fromKeyboard = false);
    void TypeIntoTXBuf(int c);
    void ApplyNet();
    void TransmitBtnClick();
    void TuneBtnClick();
    void CWIDBtnClick();
    void SndTxtBtnClick();
    void RewindBtnClick();
    void ClearMenuClick();
    void CopyMenuClick();
    void PasteMenuClick();
    // Chooses the text file to send (title, filter); empty when cancelled.
    std::function<QString(const QString &, const QString &)> OpenDialog;
    bool SendingTextFile = false;

    // Receive tuning ("Active track" page).
    void RxSpinUpClick();
    void RxSpinDownClick();
    void AFCCheckClick();
    void AFCLimitChange();
    void SQLChange();

    // ---- QSO log (src/log) --------------------------------------------
    // The ADIF dialog is made by the first Store and kept for the run, so
    // the frequency typed in it is offered again next time.
    class TADIFForm *ADIFForm = nullptr;
    void ClearBtnClick();
    void StoreBtnClick();
    void ViewBtnClick();
    void ChangeCallSign();
    void CopyCallToQSO();
    QString LogFileName() const; // "Varneklog.adi" in StartupDir

    Modem &modem() { return m_modem; }
    Dialogs &dialogs() { return m_dialogs; }
    Clock &clock() { return m_clock; }
    bool connectSequenceRunning() const { return m_connectBusy; }

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void BuildControls();
    void BuildToolBar();
    void BuildTrackPanel();
    void BuildActiveTrackPage();
    void BuildMacroPage();
    void BuildMonitor();
    void BuildQsoBox();
    void BuildBottom();
    void BuildTray();
    void ApplySetting(int id);
    void ApplyLook();
    bool CloseProgram();
    void StartSoundCard();
    void StopSoundCard();
    void SetConnectIdle();
    void setActionIcon(QAction *action, int icon);

    Modem &m_modem;
    SettingsStore &m_store;
    Dialogs &m_dialogs;
    Clock &m_clock;
    bool m_connectBusy = false;
    bool m_closeRequested = false;
    bool m_closing = false;
    bool m_loading = false;
    int m_trayFrame = 0;
    QTimer *m_trayTimer = nullptr;
};
