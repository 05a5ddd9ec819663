// The application shell of the main window: timer, tray icon, help and
// closing.

#include "app/TPSKForm.h"

#include "about/TAboutForm.h"
#include "app/MainToolBar.h"
#include "help/ContextHelp.h"
#include "help/HelpSystem.h"
#include "log/QsoBox.h"
#include "modem/ReceiveTuning.h"
#include "modem/SoundCardLink.h"
#include "modem/TransmitControl.h"
#include "settings/SetupLauncher.h"
#include "status/StatusArea.h"
#include "update/UpdateNotice.h"

#include "base/AppImages.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/RunningSettings.h"
#include "base/SettingsStore.h"
#include "base/Utilities.h"
#include "lang/Strings.h"
#include "modem/Modem.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSlider>
#include <QSpinBox>
#include <QSystemTrayIcon>
#include <QTimer>

void TPSKForm::BuildTray() {
    m_trayPopup = new QMenu(this);
    m_trayPopup->setObjectName(QStringLiteral("TrayPopup"));
    struct Item {
        const char *name, *text;
        int icon;
        void (TPSKForm::*handler)();
    };
    const Item items[] = {
        {"TrayAbout", "About VARNEK...", 15, &TPSKForm::AboutBtnClick},
        {"TraySetup", "Setup dialog...", 13, &TPSKForm::CfgBtnClick},
        {"TrayInput", "Soundcard input...", 11, &TPSKForm::RXAudioBtnClick},
        {"TrayOutput", "Soundcard output...", 12, &TPSKForm::TxAdjBtnClick},
        {"TrayExit", "Exit VARNEK", 18, &TPSKForm::ExitBtnClick},
    };
    for (const Item &it : items) {
        QAction *a = m_trayPopup->addAction(AppImages::icon(it.icon), QString::fromLatin1(it.text));
        a->setObjectName(QString::fromLatin1(it.name));
        connect(a, &QAction::triggered, this, it.handler);
    }
    m_trayIcon = new QSystemTrayIcon(AppImages::trayFrame(0), this);
    m_trayIcon->setObjectName(QStringLiteral("m_trayIcon"));
    m_trayIcon->setToolTip(LcfLoadString(Str::TrayHint));
    m_trayIcon->setContextMenu(m_trayPopup);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        m_trayIcon->show();
    m_trayTimer = new QTimer(this);
    m_trayTimer->setInterval(100);
    connect(m_trayTimer, &QTimer::timeout, this, [this] {
        m_trayFrame = (m_trayFrame + 1) % 20;
        m_trayIcon->setIcon(AppImages::trayFrame(m_trayFrame));
    });
    // Animating an icon nobody can see would only wake the process for nothing.
    if (m_trayIcon->isVisible())
        m_trayTimer->start();
}

void TPSKForm::TimerTimer() {
    const QDateTime now = m_clock.localNow();
    const QDateTime utc = m_clock.utcNow();
    if (m_settings.ShowUTCTime)
        m_status->setPanelText(0,
                               FormatDateTime(QStringLiteral("hh:nn"), utc) + LcfLoadString(Str::UtcSuffix));
    else
        m_status->setPanelText(0, FormatDateTime(QStringLiteral("hh:nn"), now));
    m_qso->ShowTime(utc);
    m_status->ShowRestingTexts();
    m_update->TimerTimer();
}

void TPSKForm::ExitBtnClick() {
    close();
}

void TPSKForm::SequenceFinished() {
    if (m_closeRequested) {
        m_closeRequested = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TPSKForm::closeEvent(QCloseEvent *e) {
    if (m_link->connectSequenceRunning()) {
        // The sound card is being stopped and its waits let this close in;
        // ask again once that sequence is over instead of interleaving.
        m_closeRequested = true;
        e->ignore();
        return;
    }
    if (CloseProgram())
        e->accept();
    else
        e->ignore();
}

bool TPSKForm::CloseProgram() {
    if (m_closing)
        return true;
    if (m_dialogs.askYesNo(Dialogs::Icon::Question, LcfLoadString(Str::CaptionConfirm),
                           LcfLoadString(Str::ExitQuestion), Dialogs::Answer::No) != Dialogs::Answer::Yes)
        return false;
    m_closing = true;
    // A file being sent would keep typing, and the program running, after
    // the window is gone.
    m_transmit->StopFileSend();
    m_link->setClosing();
    m_timer->stop();
    m_trayTimer->stop();
    ExitValues v;
    const ReceiveTuning &t = *m_tuning;
    v.WFMin = m_settings.WFMin;
    v.WFMax = m_settings.WFMax;
    v.Freq = t.RXSpin->value();
    v.AFCOn = t.AFCCheck->isChecked();
    v.AFCRange = t.AFCSpin->value();
    v.NetOn = t.NETCheck->isChecked();
    v.SQValue = t.SQTrack->value();
    v.SQSpeed = t.SQSSPin->value();
    v.WindowState = isMaximized();
    // Position of the frame and size of the window as move() and resize()
    // take them back at the next start; a maximised window keeps the
    // placement it will return to.
    const QRect normal = isMaximized() ? normalGeometry() : QRect(pos(), size());
    v.Left = normal.left();
    v.Top = normal.top();
    v.Height = normal.height();
    v.Width = normal.width();
    if (!saveExitSettings(m_store, v))
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorWritingRegistry));
    m_link->Shutdown();
    if (m_trayIcon)
        m_trayIcon->hide();
    return true;
}

void TPSKForm::HelpBtnClick() {
    m_help->showContents();
}

void TPSKForm::ContextHelpExecute() {
    m_contextHelp->ContextHelpExecute();
}

void TPSKForm::AboutBtnClick() {
    TAboutForm about(this);
    about.exec();
}

void TPSKForm::EnableComPort() {
    CfgBtnClick();
}

void TPSKForm::CfgBtnClick() {
    m_setup->CfgBtnClick();
}

// The mixer's commands are read at each click (an edit applies at once); the
// desktop's mixer is the default for input levels, output levels and devices.
void TPSKForm::RXAudioBtnClick() {
    RunProgram(mixerCommand(m_store, MixerCommand::Input), &m_dialogs);
}
void TPSKForm::TxAdjBtnClick() {
    RunProgram(mixerCommand(m_store, MixerCommand::Output), &m_dialogs);
}
void TPSKForm::AdjustAudioProperties() {
    RunProgram(mixerCommand(m_store, MixerCommand::Devices), &m_dialogs);
}
