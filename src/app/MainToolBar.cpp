#include "app/MainToolBar.h"

#include "base/FormBuild.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

MainToolBar::MainToolBar(QWidget *parent) : QObject(parent->window()) {
    ToolBar = named(new QToolBar(parent), "ToolBar");
    ToolBar->setOrientation(Qt::Vertical);
    ToolBar->setIconSize(QSize(21, 21));
    ToolBar->setMovable(false);
    ToolBar->setFloatable(false);
    ToolBar->setContentsMargins(0, 0, 0, 0);
    setHelp(ToolBar, "", 0);

    struct Row {
        QAction **action;
        QToolButton **button;
        const char *actionName, *buttonName, *hint;
        int icon, tag;
        const char *keyword;
    };
    const Row rows[] = {
        {&Connection, &ConnectBtn, "Connection", "ConnectBtn", "Connect/activate soundcard", 1, 1, "ONF_BTN"},
        {&Transmit, &TransmitBtn, "Transmit", "TransmitBtn", "Toggle to transmission mode", 3, 2, "TX_BTN"},
        {&Tune, &TuneBtn, "Tune", "TuneBtn", "Send a Tune", 4, 3, "TUNE_BTN"},
        {&CWIdentification, &CWIDBtn, "CWIdentification", "CWIDBtn", "Send the CW identification", 5, 4,
         "CW_BTN"},
        {&MacroDialog, &MacroBtn, "MacroDialog", "MacroBtn", "Open the macro editor dialog", 6, 5, "MCR_BTN"},
        {&WizardDialog, &WizBtn, "WizardDialog", "WizBtn", "Open the macro wizard dialog", 7, 6, "WIZ_BTN"},
        {&SendText, &SndTxtBtn, "SendText", "SndTxtBtn", "Send a text (*.txt) file", 8, 7, "TXT_BTN"},
        {&RewindSound, &RewindBtn, "RewindSound", "RewindBtn", "Rewind the recorded sound", 9, 8, "RWD_BTN"},
        {&RXAudio, &RXAudioBtn, "RXAudio", "RXAudioBtn", "Adjust RX audio sound volume ", 11, 9, "IPT_BTN"},
        {&TXAudio, &TXAudioBtn, "TXAudio", "TXAudioBtn", "Adjust TX audio sound volume ", 12, 10, "OPT_BTN"},
        {&AdjustAudioProp, &AAPropBtn, "AdjustAudioProp", "AAPropBtn", "Adjust audio properties", 10, 16,
         "SND_BTN"},
        {&ClearTracks, &ClearTrackBtn, "ClearTracks", "ClearTrackBtn", "Clear all tracks", 14, 17, "RAZ_BTN"},
        {&SetupDialog, &SetupBtn, "SetupDialog", "SetupBtn", "Open the setup dialog", 13, 11, "CFG_BTN"},
        {&OnLineHelp, &HelpBtn, "OnLineHelp", "HelpBtn", "Help on VARNEK", 16, 13, "HLP_BTN"},
        {&ContextHelp, &ContextBtn, "ContextHelp", "ContextBtn", "Context Help", 17, 14, "CTX_BTN"},
        {&AboutVarnek, &AboutBtn, "AboutVarnek", "AboutBtn", "About VARNEK v1.6a...", 15, 12, "ABT_BTN"},
        {&ExitProgram, &ExitBtn, "ExitProgram", "ExitBtn", "Exit VARNEK...", 18, 15, "EXT_BTN"},
    };
    // The actions belong to the window, so their shortcuts and the tray's
    // menu reach them wherever the focus is.
    QWidget *window = parent->window();
    for (const Row &r : rows) {
        QAction *a = new QAction(window);
        a->setObjectName(QString::fromLatin1(r.actionName));
        a->setToolTip(QString::fromLatin1(r.hint));
        a->setText(QString::fromLatin1(r.hint));
        a->setProperty("tag", r.tag);
        a->setProperty("helpContext", r.tag);
        a->setProperty("helpKeyword", QString::fromLatin1(r.keyword));
        setActionIcon(a, r.icon);
        ToolBar->addAction(a);
        auto *b = qobject_cast<QToolButton *>(ToolBar->widgetForAction(a));
        b->setObjectName(QString::fromLatin1(r.buttonName));
        b->setFixedSize(28, 27);
        b->setProperty("tag", r.tag);
        b->setProperty("helpContext", r.tag);
        b->setProperty("helpKeyword", QString::fromLatin1(r.keyword));
        *r.action = a;
        *r.button = b;
    }
}
