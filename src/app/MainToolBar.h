#pragma once
// The main window's tool bar: seventeen actions with their buttons, in the
// order and with the pictures and hints they have always had. The parts that
// answer an action connect to it; the bar itself runs nothing.

#include <QObject>

class QAction;
class QToolBar;
class QToolButton;
class QWidget;

class MainToolBar : public QObject {
    Q_OBJECT
public:
    explicit MainToolBar(QWidget *parent);

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
};
