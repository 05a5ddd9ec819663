#include "app/TPSKForm.h"

#include "app/MainToolBar.h"
#include "base/AppFonts.h"
#include "base/AppImages.h"
#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "base/StatusBar.h"
#include "base/Utilities.h"
#include "base/Widgets.h"
#include "displays/DisplayPanel.h"
#include "help/ContextHelp.h"
#include "help/HelpSystem.h"
#include "lang/Lcf.h"
#include "lang/Strings.h"
#include "log/QsoBox.h"
#include "macros/MacroBar.h"
#include "modem/Modem.h"
#include "modem/ReceiveTuning.h"
#include "modem/SoundCardLink.h"
#include "modem/TransmitControl.h"
#include "settings/SetupLauncher.h"
#include "status/StatusArea.h"
#include "tracks/TrackPanel.h"
#include "update/UpdateNotice.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>

namespace {

// Design size of the client area; the layout rule in ResizeForm keeps the
// right-hand column and the panes in place when the window changes size.
constexpr int DesignWidth = 749;
constexpr int DesignHeight = 530;
constexpr int InfoPanelHeight = 19;
constexpr int StatusBarHeight = 22;
constexpr int ToolBarWidth = 32;
// What a window manager typically adds around the client area, assumed until
// the window is shown and its real frame is known.
constexpr QMargins AssumedFrame(8, 31, 8, 8);

} // namespace

TPSKForm::TPSKForm(Modem &modem, SettingsStore &store, Dialogs &dialogs, Clock &clock, QWidget *parent)
    : QMainWindow(parent), m_modem(modem), m_store(store), m_dialogs(dialogs), m_clock(clock) {
    setObjectName(QStringLiteral("PSKForm"));
    setWindowTitle(QStringLiteral("VARNEK"));
    setWindowIcon(AppImages::appIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    setFont(windowFont());
    BuildControls();
    // Translated before the settings and the string table fill in the texts
    // that change at run time.
    TranslateForm(this);
    resize(DesignWidth, DesignHeight);
    FormCreate();
}

TPSKForm::~TPSKForm() {
    // The library must not post to a window that is gone.
    m_link->Shutdown();
}

void TPSKForm::BuildControls() {
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    // Built in the order the controls have always been made, which is also
    // the order Tab walks through them.
    auto soundCardActive = [this] { return m_link->SoundCardActive; };
    m_status = new StatusArea(client, soundCardActive);
    m_toolBar = new MainToolBar(client);
    const MainToolBar &bar = *m_toolBar;
    m_tracks =
        new TrackPanel(client, bar.ClearTracks, m_modem, m_dialogs, m_settings, *m_status, soundCardActive);
    m_tuning = new ReceiveTuning(client, m_modem, [this] { return m_tracks->ActiveTrack; });
    m_macros = new MacroBar(client, m_store, m_dialogs, m_clock, m_settings);
    m_displays = new DisplayPanel(client, m_settings, *m_status, soundCardActive);
    m_qso = new QsoBox(client, this, m_dialogs, m_clock, [this] { return m_startupDir; });
    m_transmit = new TransmitControl(
        client, this, {bar.Transmit, bar.Tune, bar.CWIdentification, bar.SendText, bar.RewindSound}, m_modem,
        m_dialogs, m_settings, *m_status, *m_tuning, soundCardActive);
    m_link = new SoundCardLink(this, bar.Connection, m_modem, m_dialogs, m_clock, m_settings,
                               {*m_status, *m_displays, *m_tuning, *m_transmit, *m_tracks, m_qso->RXBuf});
    m_tracks->Attach(*m_displays, *m_tuning, m_qso->RXBuf);
    const ReceiveTuning &t = *m_tuning;
    const QsoBox &q = *m_qso;
    m_setup = new SetupLauncher(
        {m_modem, m_store, m_dialogs, m_clock, m_settings, m_dateFormatPattern},
        {this,
         {t.SQSSPin, t.RXSpin, t.TXSpin, t.AFCSpin, t.PPMd, t.IMDd},
         q.RXBuf,
         m_transmit->TXBuf,
         {q.HisCall, q.HisName, q.HisRep, q.TheDate, q.TheTime, q.TheInfo},
         m_displays->WaterfallDisplay,
         soundCardActive,
         [this] { return m_tracks->ActiveTrack; },
         [this] { m_displays->ComputeBandValues(); },
         [this] {
             // The dialog gave every port and activation to the library as it was
             // chosen and fell back to COM 1 and "Idle" on a refusal, so what it
             // leaves was accepted.
             m_comPortAccepted = true;
             m_status->SetComLed(m_settings.PTTControl, m_settings.ComPort, m_comPortAccepted);
         },
         [this] { m_toolBar->RewindSound->setToolTip(m_transmit->RewindHint()); },
         [this] { setWindowTitle(CaptionText()); }},
        this);
    m_macros->Attach({m_qso->HisCall, m_qso->HisName, m_qso->HisRep, m_qso->RXBuf, m_transmit,
                      soundCardActive, [this] { return m_tracks->TrackCount; },
                      [this] { return m_dateFormatPattern; }},
                     bar.MacroDialog, bar.WizardDialog);
    // The status area and its lamps stand last, above everything else.
    m_status->Infopanel->raise();
    m_status->StatusBar->raise();

    connect(m_tracks, &TrackPanel::ActiveButtons, this, &TPSKForm::ActiveButtons);
    connect(m_tracks, &TrackPanel::tracksClosed, m_macros, &MacroBar::DisableAll);
    connect(m_tuning, &ReceiveTuning::transmitSpinClicked, m_transmit, &TransmitControl::TransmitBtnClick);
    connect(m_link, &SoundCardLink::sequenceFinished, this, &TPSKForm::SequenceFinished);
    connect(m_status, &StatusArea::comLampClicked, this, &TPSKForm::EnableComPort);
    const std::pair<QAction *, void (TPSKForm::*)()> shell[] = {
        {bar.RXAudio, &TPSKForm::RXAudioBtnClick},
        {bar.TXAudio, &TPSKForm::TxAdjBtnClick},
        {bar.AdjustAudioProp, &TPSKForm::AdjustAudioProperties},
        {bar.SetupDialog, &TPSKForm::CfgBtnClick},
        {bar.OnLineHelp, &TPSKForm::HelpBtnClick},
        {bar.ContextHelp, &TPSKForm::ContextHelpExecute},
        {bar.AboutVarnek, &TPSKForm::AboutBtnClick},
        {bar.ExitProgram, &TPSKForm::ExitBtnClick},
    };
    for (const auto &[action, handler] : shell)
        connect(action, &QAction::triggered, this, handler);
    BuildTray();
    m_help = new HelpSystem(this);
    connect(m_help, &HelpSystem::failed, this, [this](const QString &why) {
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning), why);
    });
    m_contextHelp = new ContextHelp(*m_help, this);
    m_contextHelp->install();
    m_update = new UpdateNotice(this, m_dialogs, m_clock, *m_status, m_store, m_trayIcon);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer"));
    m_timer->setInterval(15000);
    connect(m_timer, &QTimer::timeout, this, &TPSKForm::TimerTimer);
}

bool TPSKForm::event(QEvent *e) {
    if (m_link && m_link->Dispatch(e))
        return true;
    return QMainWindow::event(e);
}

void TPSKForm::ActiveButtons(bool enable) {
    const MainToolBar &bar = *m_toolBar;
    for (QAction *a : {bar.Transmit, bar.Tune, bar.RewindSound, bar.SendText, bar.ClearTracks})
        a->setEnabled(enable);
    m_macros->ActiveButtons(enable, m_tracks->TrackCount > 0);
}

void TPSKForm::resizeEvent(QResizeEvent *e) {
    QMainWindow::resizeEvent(e);
    ResizeForm();
}

void TPSKForm::ResizeForm() {
    QWidget *client = centralWidget();
    if (!client || !m_link)
        return;
    const int cw = client->width();
    const int ch = client->height();
    const int bottom = std::max(0, ch - InfoPanelHeight - StatusBarHeight);
    m_status->StatusBar->setGeometry(0, ch - StatusBarHeight, cw, StatusBarHeight);
    m_status->StatusBar->setPanelWidth(4, cw - 570);
    m_status->Infopanel->setGeometry(0, bottom, cw, InfoPanelHeight);
    m_toolBar->ToolBar->setGeometry(0, 0, ToolBarWidth, bottom);

    const int pw = std::max(0, cw - 396);
    m_tracks->PageControl->setGeometry(ToolBarWidth, 0, pw, bottom);

    const int x = pw + 36;
    m_macros->MacroPage->setGeometry(pw + 216, 1, 180, 236);
    m_tuning->Canal->setGeometry(x, 1, 177, 236);
    m_displays->Monitor->setGeometry(x, 237, 355, 83);
    m_qso->QSOBox->setGeometry(x, 319, 356, 86);
    const int paneHeight = std::max(0, (ch - 455) / 2);
    m_qso->RXBuf->setGeometry(x - 1, 408, 357, paneHeight);
    m_transmit->TXBuf->setGeometry(x - 1, paneHeight + 410, 357, paneHeight);
    // The waterfall history is sized to its paint box and starts again blank.
    m_displays->ResetWaterfallHistory();
}

// Below the design size the layout rule squeezes the panes to nothing and the
// tool bar hides its last buttons, so that is the least size, unless the
// screen itself is smaller: then the whole window stays on it.
void TPSKForm::FitToScreen() {
    const QScreen *display = screen();
    if (!display)
        return;
    const QRect available = display->availableGeometry();
    const QRect frameNow = frameGeometry();
    const QMargins frame =
        frameNow == geometry()
            ? AssumedFrame
            : QMargins(geometry().left() - frameNow.left(), geometry().top() - frameNow.top(),
                       frameNow.right() - geometry().right(), frameNow.bottom() - geometry().bottom());
    const QSize room(available.width() - frame.left() - frame.right(),
                     available.height() - frame.top() - frame.bottom());
    const QSize design(DesignWidth, DesignHeight);
    setMinimumSize(design.boundedTo(room).expandedTo(QSize(1, 1)));
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
        return;
    // move() places the frame; the size is the client area's.
    const QRect wanted(pos() + QPoint(frame.left(), frame.top()), size());
    const QRect placed = FitWindow(wanted, design, available, frame);
    resize(placed.size());
    move(placed.topLeft() - QPoint(frame.left(), frame.top()));
}

QString TPSKForm::CaptionText() const {
    return LcfLoadString(Str::CaptionPrefix) + m_settings.MyCall.toUpper();
}

namespace {

void applyColors(QWidget *w, quint32 background, const FontSpec *font) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, colorFromWin(background));
    pal.setColor(QPalette::Window, colorFromWin(background));
    if (font) {
        pal.setColor(QPalette::Text, colorFromWin(font->color));
        pal.setColor(QPalette::WindowText, colorFromWin(font->color));
        w->setFont(fontFromSpec(*font));
    }
    w->setPalette(pal);
}

} // namespace

void TPSKForm::ApplySetting(int raw) {
    const auto id = static_cast<SettingId>(raw);
    const ReceiveTuning &t = *m_tuning;
    const QsoBox &q = *m_qso;
    const RunningSettings &settings = m_settings;
    const QList<QWidget *> stpGroup{t.SQSSPin, t.RXSpin, t.TXSpin, t.AFCSpin, t.PPMd, t.IMDd};
    const QList<QWidget *> qsoGroup{q.HisCall, q.HisName, q.HisRep, q.TheDate, q.TheTime, q.TheInfo};
    switch (id) {
    case SettingId::MyCall:
        setWindowTitle(CaptionText());
        break;
    case SettingId::AFCOn:
        t.AFCCheck->setChecked(settings.AFCOn);
        break;
    case SettingId::AFCRange:
        t.AFCSpin->setValue(settings.AFCRange);
        break;
    case SettingId::NetOn:
        t.NETCheck->setChecked(settings.NetOn);
        break;
    case SettingId::SQValue:
        t.SQTrack->setValue(settings.SQValue);
        break;
    case SettingId::SQSpeed:
        t.SQSSPin->setValue(settings.SQSpeed);
        break;
    case SettingId::WindowState:
        if (settings.WindowState)
            setWindowState(windowState() | Qt::WindowMaximized);
        break;
    case SettingId::Left:
    case SettingId::Top:
        move(settings.Left, settings.Top);
        break;
    case SettingId::Height:
    case SettingId::Width:
        // Stored sizes from another screen or a hand edit must still give a
        // usable window.
        resize(std::clamp(settings.Width, 200, 16384), std::clamp(settings.Height, 150, 16384));
        break;
    case SettingId::STPColor:
        for (QWidget *w : stpGroup)
            applyColors(w, settings.STPColor, nullptr);
        break;
    case SettingId::STPFontStyle:
        for (QWidget *w : stpGroup)
            applyColors(w, settings.STPColor, &settings.STPFont);
        break;
    case SettingId::RXBColor:
        applyColors(q.RXBuf, settings.RXBColor, nullptr);
        break;
    case SettingId::RXBFontStyle:
        applyColors(q.RXBuf, settings.RXBColor, &settings.RXBFont);
        break;
    case SettingId::TXBColor:
        applyColors(m_transmit->TXBuf, settings.TXBColor, nullptr);
        break;
    case SettingId::TXBFontStyle:
        applyColors(m_transmit->TXBuf, settings.TXBColor, &settings.TXBFont);
        break;
    case SettingId::QSOColor:
        for (QWidget *w : qsoGroup)
            applyColors(w, settings.QSOColor, nullptr);
        break;
    case SettingId::QSOFontStyle:
        for (QWidget *w : qsoGroup)
            applyColors(w, settings.QSOColor, &settings.QSOFont);
        m_status->SetComLed(settings.PTTControl, settings.ComPort, m_comPortAccepted);
        break;
    default:
        // Running values only; the track colours are used when tracks are drawn.
        break;
    }
}

void TPSKForm::FormCreate() {
    m_startupDir = QDir::currentPath();
    m_store.open();
    m_loading = true;
    const bool settingsRead = loadStartupSettings(
        m_store, m_settings, [this](SettingId id) { ApplySetting(static_cast<int>(id)); });
    if (!settingsRead)
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorReadingRegistry));
    m_loading = false;
    FitToScreen();
    // Values the load did not reach are zero; a zero band would make every
    // display divide by zero, and a zero COM port names no port.
    sanitizeBand(m_settings);
    m_tuning->Canal->setEnabled(m_tracks->TrackCount > 0);
    m_dateFormatPattern = dateFormatPattern(m_settings.DateFormat);
    m_displays->ComputeBandValues();
    m_tuning->RXSpin->setValue(100);
    m_tuning->TXSpin->setValue(100);
    m_displays->SpectrumScale = DisplayPanel::SpectrumScaleValue;
    m_comPortAccepted = (m_modem.fnSetComPort(m_settings.ComPort, m_settings.PTTControl) & 0xFF) != 0;
    if (!m_comPortAccepted)
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorSelectingComPort));
    // The lamp was set while the settings were read, before the library had
    // its say about the port.
    m_status->SetComLed(m_settings.PTTControl, m_settings.ComPort, m_comPortAccepted);
    QString version = QString::number(m_modem.fnGetDLLVersion());
    if (!version.isEmpty())
        version.insert(1, QLatin1Char('.'));
    m_status->Infopanel->setCaption(LcfLoadString(Str::LibraryVersion) + version + QStringLiteral("  "));
    m_link->SoundCardActive = false;
    m_toolBar->RewindSound->setToolTip(m_transmit->RewindHint());
    m_toolBar->OnLineHelp->setEnabled(HelpSystem::manualInstalled());
    m_qso->ViewBtn->setEnabled(
        QFileInfo::exists(QDir(m_startupDir).filePath(QStringLiteral("Varneklog.adi"))));
    m_status->setPanelText(2, LcfLoadString(Str::ProgramIdle));
    // Cursors 1..5 are built on demand by AppImages::cursor.
    // An unreadable store has been reported once already.
    if (!m_macros->LoadMacros() && settingsRead)
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorReadingRegistry));
    m_timer->start();
}
