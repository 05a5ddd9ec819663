#pragma once
// Opens the setup dialog from the main window and carries what it changed into the
// running program: the previews come from the window's present look, the dialog runs
// modally, an OK brings the edited values, colours and fonts into the window, and in
// every case (OK or Cancel) the waterfall cursor, the caption and the modem library are
// brought up to the running values, some of which the dialog changed at once.
//
// The window hands over the controls whose look the dialog edits and small functions
// for what other parts own (band values, the COM lamp, the rewind hint, the caption).

#include "TSetForm.h"

#include <QList>
#include <QObject>

#include <functional>

class QWidget;

struct SetupTargets {
    QWidget *window = nullptr;  // owns the dialog, which is centred over it
    QList<QWidget *> controls;  // the active-track controls; the first is the preview's model
    QWidget *rxPane = nullptr;  // receive pane
    QWidget *txPane = nullptr;  // transmit pane
    QList<QWidget *> qsoFields; // the QSO box's fields; the first is the preview's model
    QWidget *waterfall = nullptr;
    std::function<bool()> soundCardActive;
    std::function<int()> activeTrack;
    std::function<void()> bandChanged;       // derived band values from WFMin/WFMax
    std::function<void()> comLampChanged;    // the COM lamp from ComPort/PTTControl
    std::function<void()> rewindHintChanged; // the rewind hint from Blocks
    std::function<void()> captionChanged;    // the caption from MyCall
};

class SetupLauncher : public QObject {
    Q_OBJECT
public:
    static constexpr int SpectrumScale = 100;

    SetupLauncher(const SetupContext &context, SetupTargets targets, QObject *parent);

    // The tool bar's setup button, the tray menu's "Setup dialog..." and the COM lamp.
    void CfgBtnClick();

    // Shows the prepared dialog and returns its result; the dialog's own modal loop
    // unless a test drives the dialog itself.
    std::function<int(TSetForm &)> showModal;

private:
    void PreparePreviews(TSetForm &form);
    void TakeOver(TSetForm &form);

    SetupContext m_ctx;
    SetupTargets m_targets;
};
