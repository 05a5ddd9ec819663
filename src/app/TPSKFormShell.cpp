// The application shell of the main window: timer, tray icon, help, closing,
// the status bar's drawn panels and the indicator lamps.

#include "TPSKForm.h"

#include "app/AppImages.h"
#include "app/Clock.h"
#include "app/Dialogs.h"
#include "app/SettingsStore.h"
#include "app/StatusBar.h"
#include "app/Utilities.h"
#include "app/Widgets.h"
#include "lang/Strings.h"
#include "modem/Modem.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QLineEdit>
#include <QSlider>
#include <QSpinBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <QWhatsThis>

namespace {
// The desktop's mixer stands in for the sound control panels of the original
// platform: input levels, output levels, and the devices themselves.
const char *const MixerInput = "pavucontrol -t 4";
const char *const MixerOutput = "pavucontrol -t 3";
const char *const MixerDevices = "pavucontrol -t 5";
} // namespace

void TPSKForm::BuildTray() {
    TrayPopup = new QMenu(this);
    TrayPopup->setObjectName(QStringLiteral("TrayPopup"));
    struct Item {
        const char *text;
        int icon;
        void (TPSKForm::*handler)();
    };
    const Item items[] = {
        {"About VARNEK...", 15, &TPSKForm::AboutBtnClick},
        {"Setup dialog...", 13, &TPSKForm::CfgBtnClick},
        {"Soundcard input...", 11, &TPSKForm::RXAudioBtnClick},
        {"Soundcard output...", 12, &TPSKForm::TxAdjBtnClick},
        {"Exit VARNEK", 18, &TPSKForm::ExitBtnClick},
    };
    for (const Item &it : items) {
        QAction *a = TrayPopup->addAction(AppImages::icon(it.icon), QString::fromLatin1(it.text));
        connect(a, &QAction::triggered, this, it.handler);
    }
    CoolTrayIcon = new QSystemTrayIcon(AppImages::trayFrame(0), this);
    CoolTrayIcon->setObjectName(QStringLiteral("CoolTrayIcon"));
    CoolTrayIcon->setToolTip(LcfLoadString(Str::TrayHint));
    CoolTrayIcon->setContextMenu(TrayPopup);
    if (QSystemTrayIcon::isSystemTrayAvailable())
        CoolTrayIcon->show();
    m_trayTimer = new QTimer(this);
    m_trayTimer->setInterval(100);
    connect(m_trayTimer, &QTimer::timeout, this, [this] {
        m_trayFrame = (m_trayFrame + 1) % 20;
        CoolTrayIcon->setIcon(AppImages::trayFrame(m_trayFrame));
    });
    // Animating an icon nobody can see would only wake the process for nothing.
    if (CoolTrayIcon->isVisible())
        m_trayTimer->start();
}

void TPSKForm::TimerTimer() {
    const QDateTime now = m_clock.localNow();
    const QDateTime utc = m_clock.utcNow();
    if (settings.ShowUTCTime)
        StatusBar->setPanelText(0, FormatDateTime(QStringLiteral("hh:nn"), utc) + LcfLoadString(Str::UtcSuffix));
    else
        StatusBar->setPanelText(0, FormatDateTime(QStringLiteral("hh:nn"), now));
    TheDate->setText(FormatDateTime(QStringLiteral("yyyy/mm/dd"), utc));
    TheTime->setText(FormatDateTime(QStringLiteral("hh:nn"), utc));
    StatusMessage = LcfLoadString(Str::MakerNotice);
    StatusIcon = 22;
    LinkText = LcfLoadString(Str::MakerWebAddress);
    LinkIcon = 21;
    StatusBar->update();
    // The update check at ten-minute marks comes with the update notice.
}

void TPSKForm::PostStatusMessage(const QString &text, int icon) {
    StatusMessage = text;
    StatusIcon = icon;
    StatusBar->repaint();
}

void TPSKForm::StatusBarDrawPanel(QPainter &p, int panel, const QRect &r) {
    p.fillRect(r, palette().color(QPalette::Button));
    auto drawIconText = [&](int icon, const QString &text) {
        p.drawPixmap(r.left() + 2, r.top() - 1, AppImages::pixmap(icon, devicePixelRatioF()));
        p.setPen(palette().color(QPalette::WindowText));
        const QRect textRect(QPoint(r.left() + 22, r.top() + 2), r.bottomRight());
        p.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    };
    if (panel == 3)
        drawIconText(StatusIcon, StatusMessage);
    else if (panel == 4)
        drawIconText(LinkIcon, LinkText);
    else if (panel == 5)
        p.drawPixmap(r.left() + 2, r.top() - 1, AppImages::pixmap(SoundCardActive ? 2 : 1, devicePixelRatioF()));
}

void TPSKForm::StatusMouseMove(int x, int) {
    int w = 0;
    for (int i = 0; i <= 4; ++i)
        w += StatusBar->panelWidth(i);
    if (x > w + 2) {
        if (SoundCardActive)
            PostStatusMessage(LcfLoadString(Str::SoundcardActive), 2);
        else
            PostStatusMessage(LcfLoadString(Str::SoundcardInactive), 23);
    }
}

void TPSKForm::PanelMove(int x) {
    if (x > Infopanel->width() - 119)
        Infopanel->setCaption(LcfLoadString(Str::LibraryCredit));
}

void TPSKForm::SetComLed() {
    const bool lit = settings.PTTControl >= 1 && settings.PTTControl <= 3;
    LedTwo->setLit(lit);
    LedTwo->setToolTip(LcfLoadString(Str::ComPortPrefix) + QString::number(settings.ComPort) +
                       LcfLoadString(lit ? Str::ComPortOpen : Str::ComPortClosed));
}

void TPSKForm::ExitBtnClick() { close(); }

void TPSKForm::closeEvent(QCloseEvent *e) {
    if (m_connectBusy) {
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
    Timer->stop();
    m_trayTimer->stop();
    ExitValues v;
    v.WFMin = settings.WFMin;
    v.WFMax = settings.WFMax;
    v.Freq = RXSpin->value();
    v.AFCOn = AFCCheck->isChecked();
    v.AFCRange = AFCSpin->value();
    v.NetOn = NETCheck->isChecked();
    v.SQValue = SQTrack->value();
    v.SQSpeed = SQSSPin->value();
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
    if (SoundCardActive) {
        m_modem.fnStopSoundCard();
        SoundCardActive = false;
    }
    if (CoolTrayIcon)
        CoolTrayIcon->hide();
    return true;
}

void TPSKForm::HelpBtnClick() {
    const QString file = QDir(StartupDir).filePath(QStringLiteral("VARNEK.CHM"));
    if (!QFileInfo::exists(file) || !QDesktopServices::openUrl(QUrl::fromLocalFile(file)))
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::HelpFileMissing));
}

void TPSKForm::ContextHelpExecute() { QWhatsThis::enterWhatsThisMode(); }

void TPSKForm::AboutBtnClick() {
    m_dialogs.message(Dialogs::Icon::Information, LcfLoadString(Str::AppTitle), LcfLoadString(Str::TrayHint));
}

void TPSKForm::EnableComPort() { CfgBtnClick(); }

void TPSKForm::CfgBtnClick() {
    // The setup dialog arrives with the settings subsystem.
}

void TPSKForm::RXAudioBtnClick() { RunProgram(QString::fromLatin1(MixerInput)); }
void TPSKForm::TxAdjBtnClick() { RunProgram(QString::fromLatin1(MixerOutput)); }
void TPSKForm::AdjustAudioProperties() { RunProgram(QString::fromLatin1(MixerDevices)); }
