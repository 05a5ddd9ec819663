#include "TPSKForm.h"

#include "app/AppImages.h"
#include "app/Clock.h"
#include "app/Dialogs.h"
#include "app/SettingsStore.h"
#include "app/StatusBar.h"
#include "app/Utilities.h"
#include "app/Widgets.h"
#include "displays/FrequencyMap.h"
#include "lang/Strings.h"
#include "modem/Modem.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

namespace {

// Design size of the client area; the layout rule in ResizeForm keeps the
// right-hand column and the panes in place when the window changes size.
constexpr int DesignWidth = 749;
constexpr int DesignHeight = 530;
constexpr int InfoPanelHeight = 19;
constexpr int StatusBarHeight = 22;
constexpr int ToolBarWidth = 32;

template <typename T> T *named(T *w, const char *name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QLabel *label(QWidget *parent, const QString &text, int x, int y, int w = -1) {
    auto *l = new QLabel(text, parent);
    l->adjustSize();
    l->move(x, y);
    if (w > 0)
        l->resize(w, l->height());
    return l;
}

// The window was designed around the classic Windows faces; on other
// systems use the closest metric-compatible ones so captions still fit.
void installFontSubstitutes() {
    static bool done = false;
    if (done)
        return;
    done = true;
    const QStringList sans{QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                           QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")};
    for (const char *face : {"MS Sans Serif", "Tahoma", "Small Fonts"})
        QFont::insertSubstitutions(QString::fromLatin1(face), sans);
}

void setHelp(QWidget *w, const char *keyword, int context) {
    w->setProperty("helpKeyword", QString::fromLatin1(keyword));
    w->setProperty("helpContext", context);
}

} // namespace

TPSKForm::TPSKForm(Modem &modem, SettingsStore &store, Dialogs &dialogs, Clock &clock, QWidget *parent)
    : QMainWindow(parent), m_modem(modem), m_store(store), m_dialogs(dialogs), m_clock(clock) {
    setObjectName(QStringLiteral("PSKForm"));
    setWindowTitle(QStringLiteral("VARNEK"));
    setWindowIcon(AppImages::appIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, true);
    installFontSubstitutes();
    QFont f(QStringLiteral("MS Sans Serif"), 8);
    f.setStyleHint(QFont::SansSerif);
    setFont(f);
    BuildControls();
    resize(DesignWidth, DesignHeight);
    FormCreate();
}

TPSKForm::~TPSKForm() {
    // The library must not post to a window that is gone.
    if (SoundCardActive) {
        SoundCardActive = false;
        m_modem.fnStopSoundCard();
    }
}

void TPSKForm::BuildControls() {
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(client);
    BuildToolBar();
    BuildTrackPanel();
    BuildActiveTrackPage();
    BuildMacroPage();
    BuildMonitor();
    BuildQsoBox();
    BuildBottom();
    BuildTray();

    SetupDisplays();
    SetupTracks();
    SetupLog();

    Timer = named(new QTimer(this), "Timer");
    Timer->setInterval(15000);
    connect(Timer, &QTimer::timeout, this, &TPSKForm::TimerTimer);
}

void TPSKForm::setActionIcon(QAction *action, int icon) {
    action->setIcon(AppImages::icon(icon));
    action->setProperty("imageIndex", icon);
}

void TPSKForm::BuildToolBar() {
    ToolBar = named(new QToolBar(centralWidget()), "ToolBar");
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
        void (TPSKForm::*handler)();
    };
    const Row rows[] = {
        {&Connection, &ConnectBtn, "Connection", "ConnectBtn", "Connect/activate soundcard", 1, 1, "ONF_BTN",
         &TPSKForm::ConnectBtnClick},
        {&Transmit, &TransmitBtn, "Transmit", "TransmitBtn", "Toggle to transmission mode", 3, 2, "TX_BTN", nullptr},
        {&Tune, &TuneBtn, "Tune", "TuneBtn", "Send a Tune", 4, 3, "TUNE_BTN", nullptr},
        {&CWIdentification, &CWIDBtn, "CWIdentification", "CWIDBtn", "Send the CW identification", 5, 4, "CW_BTN",
         nullptr},
        {&MacroDialog, &MacroBtn, "MacroDialog", "MacroBtn", "Open the macro editor dialog", 6, 5, "MCR_BTN", nullptr},
        {&WizardDialog, &WizBtn, "WizardDialog", "WizBtn", "Open the macro wizard dialog", 7, 6, "WIZ_BTN", nullptr},
        {&SendText, &SndTxtBtn, "SendText", "SndTxtBtn", "Send a text (*.txt) file", 8, 7, "TXT_BTN", nullptr},
        {&RewindSound, &RewindBtn, "RewindSound", "RewindBtn", "Rewind the recorded sound", 9, 8, "RWD_BTN", nullptr},
        {&RXAudio, &RXAudioBtn, "RXAudio", "RXAudioBtn", "Adjust RX audio sound volume ", 11, 9, "IPT_BTN",
         &TPSKForm::RXAudioBtnClick},
        {&TXAudio, &TXAudioBtn, "TXAudio", "TXAudioBtn", "Adjust TX audio sound volume ", 12, 10, "OPT_BTN",
         &TPSKForm::TxAdjBtnClick},
        {&AdjustAudioProp, &AAPropBtn, "AdjustAudioProp", "AAPropBtn", "Adjust audio properties", 10, 16, "SND_BTN",
         &TPSKForm::AdjustAudioProperties},
        {&ClearTracks, &ClearTrackBtn, "ClearTracks", "ClearTrackBtn", "Clear all tracks", 14, 17, "RAZ_BTN", nullptr},
        {&SetupDialog, &SetupBtn, "SetupDialog", "SetupBtn", "Open the setup dialog", 13, 11, "CFG_BTN",
         &TPSKForm::CfgBtnClick},
        {&OnLineHelp, &HelpBtn, "OnLineHelp", "HelpBtn", "Help on VARNEK", 16, 13, "HLP_BTN", &TPSKForm::HelpBtnClick},
        {&ContextHelp, &ContextBtn, "ContextHelp", "ContextBtn", "Context Help", 17, 14, "CTX_BTN",
         &TPSKForm::ContextHelpExecute},
        {&AboutVarnek, &AboutBtn, "AboutVarnek", "AboutBtn", "About VARNEK v1.6a...", 15, 12, "ABT_BTN",
         &TPSKForm::AboutBtnClick},
        {&ExitProgram, &ExitBtn, "ExitProgram", "ExitBtn", "Exit VARNEK...", 18, 15, "EXT_BTN",
         &TPSKForm::ExitBtnClick},
    };
    for (const Row &r : rows) {
        QAction *a = new QAction(this);
        a->setObjectName(QString::fromLatin1(r.actionName));
        a->setToolTip(QString::fromLatin1(r.hint));
        a->setText(QString::fromLatin1(r.hint));
        a->setProperty("tag", r.tag);
        a->setProperty("helpContext", r.tag);
        a->setProperty("helpKeyword", QString::fromLatin1(r.keyword));
        setActionIcon(a, r.icon);
        if (r.handler)
            connect(a, &QAction::triggered, this, r.handler);
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

void TPSKForm::BuildTrackPanel() {
    PageControl = named(new QTabWidget(centralWidget()), "PageControl");
    TBTerm = named(new QWidget, "TBTerm");
    TBTerm->setToolTip(QStringLiteral("Track display area"));
    setHelp(TBTerm, "TRK_PNL", 24);
    TBTerm->setAutoFillBackground(true);
    PageControl->addTab(TBTerm, QStringLiteral("Track panel"));
    WaterPanel = named(new QFrame(TBTerm), "WaterPanel");
    WaterPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    WaterPanel->setLineWidth(1);
    WaterfallDisplay = named(new TPaintBox(WaterPanel), "WaterfallDisplay");
    // The strip keeps to the right edge of the page at its fixed width; track
    // edits are placed by hand to its left.
    auto *pageLayout = new QHBoxLayout(TBTerm);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addStretch(1);
    pageLayout->addWidget(WaterPanel);
    WaterPanel->setFixedWidth(62);
    auto *stripLayout = new QHBoxLayout(WaterPanel);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addWidget(WaterfallDisplay);
    WaterfallDisplay->setToolTip(QStringLiteral("Click on panel to add a new track"));
    setHelp(WaterfallDisplay, "WTF_DSP", 18);
}

void TPSKForm::BuildActiveTrackPage() {
    Canal = named(new QTabWidget(centralWidget()), "Canal");
    ChannelTab = named(new QWidget, "ChannelTab");
    Canal->addTab(ChannelTab, QStringLiteral("Active track"));

    QFont bold = font();
    bold.setBold(true);
    SignalBox = named(new QGroupBox(QStringLiteral(" Signal "), ChannelTab), "SignalBox");
    SignalBox->setFont(bold);
    SignalBox->setGeometry(3, 2, 165, 100);
    setHelp(SignalBox, "SQL_PNL", 22);
    SIGTrack = named(new TLevelBar(SignalBox), "SIGTrack");
    SIGTrack->setGeometry(7, 20, 156, 15);
    SQLbl1 = named(label(SignalBox, QStringLiteral("Squelch threshold"), 8, 37, 150), "SQLbl1");
    SQTrack = named(new QSlider(Qt::Horizontal, SignalBox), "SQTrack");
    SQTrack->setRange(0, 100);
    SQTrack->setSingleStep(1);
    SQTrack->setTickInterval(5);
    SQTrack->setTickPosition(QSlider::TicksAbove);
    SQTrack->setGeometry(4, 50, 158, 24);
    SQLbl2 = named(label(SignalBox, QStringLiteral("Squelch speed (0-200)"), 6, 79, 114), "SQLbl2");
    SQSSPin = named(new QSpinBox(SignalBox), "SQSSPin");
    SQSSPin->setRange(0, 200);
    SQSSPin->setValue(200);
    SQSSPin->setGeometry(121, 75, 40, 20);
    for (QWidget *w : SignalBox->findChildren<QWidget *>())
        w->setFont(font());

    FreqBox = named(new QGroupBox(QStringLiteral(" Frequency settings "), ChannelTab), "FreqBox");
    FreqBox->setFont(bold);
    FreqBox->setGeometry(3, 104, 165, 104);
    setHelp(FreqBox, "FRQ_PNL", 23);
    label(FreqBox, QStringLiteral("Receive"), 8, 16);
    label(FreqBox, QStringLiteral("Transmit"), 60, 16);
    label(FreqBox, QStringLiteral("Width"), 112, 16);
    auto spin = [this](const char *name, int x, int max) {
        auto *s = named(new QSpinBox(FreqBox), name);
        s->setRange(name == std::string_view("AFCSpin") ? 0 : 1, max);
        s->setGeometry(x, 30, x == 112 ? 46 : 50, 20);
        return s;
    };
    RXSpin = spin("RXSpin", 8, 3500);
    TXSpin = spin("TXSpin", 60, 3500);
    AFCSpin = spin("AFCSpin", 112, 3500);
    AFCSpin->setValue(0);
    AFCCheck = named(new QCheckBox(QStringLiteral("AFC On"), FreqBox), "AFCCheck");
    AFCCheck->setGeometry(8, 55, 72, 18);
    NETCheck = named(new QCheckBox(QStringLiteral("NET On"), FreqBox), "NETCheck");
    NETCheck->setGeometry(84, 55, 72, 18);
    auto readout = [this](const char *name, int x, int w) {
        auto *l = named(new QLabel(FreqBox), name);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setAutoFillBackground(true);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(x, 78, w, 18);
        return l;
    };
    PPMd = readout("PPMd", 8, 72);
    IMDd = readout("IMDd", 84, 74);
    for (QWidget *w : FreqBox->findChildren<QWidget *>())
        w->setFont(font());
}

void TPSKForm::BuildMacroPage() {
    MacroPage = named(new QTabWidget(centralWidget()), "MacroPage");
    setHelp(MacroPage, "", 21);
    MacroSheet1 = named(new QWidget, "MacroSheet1");
    MacroSheet2 = named(new QWidget, "MacroSheet2");
    MacroPage->addTab(MacroSheet1, QStringLiteral("Macros 1"));
    MacroPage->addTab(MacroSheet2, QStringLiteral("Macros 2"));
    for (int n = 1; n <= 40; ++n) {
        QWidget *sheet = n <= 20 ? MacroSheet1 : MacroSheet2;
        const int k = (n - 1) % 20;
        auto *b = new QPushButton(sheet);
        b->setObjectName(QStringLiteral("M%1").arg(n));
        b->setGeometry(k < 10 ? 0 : 86, 4 + 20 * (k % 10), 86, 20);
        b->setEnabled(false);
        b->setProperty("tag", n - 1);
        MacroButtons[static_cast<size_t>(n - 1)] = b;
    }
}

void TPSKForm::BuildMonitor() {
    Monitor = named(new QTabWidget(centralWidget()), "Monitor");
    auto *spectrumPage = new QWidget;
    auto *signalPage = new QWidget;
    auto *syncPage = new QWidget;
    Monitor->addTab(spectrumPage, QStringLiteral(" Spectrum "));
    Monitor->addTab(signalPage, QStringLiteral(" Signal "));
    Monitor->addTab(syncPage, QStringLiteral(" Sync "));
    SpectrumDisplay = named(new TPaintBox(spectrumPage), "SpectrumDisplay");
    SpectrumDisplay->setGeometry(2, 2, 347, 55);
    setHelp(SpectrumDisplay, "SPC_DSP", 54);
    SignalDisplay = named(new TPaintBox(signalPage), "SignalDisplay");
    SignalDisplay->setGeometry(2, 2, 347, 55);
    VisuPanel = named(new QFrame(syncPage), "VisuPanel");
    VisuPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    VisuPanel->setGeometry(2, 2, 52, 55);
    VECDisplay = named(new TPaintBox(VisuPanel), "VECDisplay");
    VECDisplay->setGeometry(1, 1, 50, 53);
    SyncDisplay = named(new TPaintBox(syncPage), "SyncDisplay");
    SyncDisplay->setGeometry(54, 2, 295, 55);
}

void TPSKForm::BuildQsoBox() {
    QSOBox = named(new QGroupBox(QStringLiteral("QSO Box"), centralWidget()), "QSOBox");
    setHelp(QSOBox, "QSO_PNL", 25);
    auto edit = [this](const char *name, int x, int y, int w) {
        auto *e = named(new QLineEdit(QSOBox), name);
        e->setGeometry(x, y, w, 19);
        return e;
    };
    label(QSOBox, QStringLiteral("Date"), 6, 14);
    label(QSOBox, QStringLiteral("UTC"), 80, 14);
    label(QSOBox, QStringLiteral("His Callsign"), 126, 14);
    label(QSOBox, QStringLiteral("His name"), 210, 14);
    label(QSOBox, QStringLiteral("His Report"), 292, 14);
    label(QSOBox, QStringLiteral("Infos"), 6, 47);
    TheDate = edit("TheDate", 6, 27, 70);
    TheTime = edit("TheTime", 80, 27, 42);
    HisCall = edit("HisCall", 126, 27, 80);
    HisName = edit("HisName", 210, 27, 78);
    HisRep = edit("HisRep", 292, 27, 58);
    TheInfo = edit("TheInfo", 6, 60, 198);
    auto button = [this](const char *name, const QString &text, const QString &hint, int x) {
        auto *b = named(new QPushButton(text, QSOBox), name);
        b->setToolTip(hint);
        b->setGeometry(x, 59, 46, 21);
        return b;
    };
    ClearBtn = button("ClearBtn", QStringLiteral("&Clear"), QStringLiteral("Clear all fields"), 208);
    StoreBtn = button("StoreBtn", QStringLiteral("&Store"), QStringLiteral("Log this QSO in the ADIF database"), 256);
    ViewBtn = button("ViewBtn", QStringLiteral("&View"),
                     QStringLiteral("View the QSO already \r\nlogged in the database"), 304);
    setHelp(ClearBtn, "CLR_BTN", 52);
    setHelp(StoreBtn, "STO_BTN", 50);
    setHelp(ViewBtn, "INF_BTN", 51);
    ClearBtn->setEnabled(false);
    StoreBtn->setEnabled(false);

    RXBuf = named(new QPlainTextEdit(centralWidget()), "RXBuf");
    RXBuf->setToolTip(QStringLiteral("Double-click to pick-up your \r\ncorrespondent's callsign and name"));
    RXBuf->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHelp(RXBuf, "RX_WND", 20);
    TXBuf = named(new QPlainTextEdit(centralWidget()), "TXBuf");
    TXBuf->setToolTip(QStringLiteral("This is the TX Window"));
    TXBuf->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHelp(TXBuf, "TX_WND", 19);
}

void TPSKForm::BuildBottom() {
    Infopanel = named(new TInfoPanel(centralWidget()), "Infopanel");
    setHelp(Infopanel, "LED_PNL", 26);
    Infopanel->onMouseMove = [this](int x) { PanelMove(x); };
    struct Led {
        TLed **led;
        const char *name, *caption;
        QColor color;
        int left, width;
    };
    const Led leds[] = {
        {&LedOne, "LedOne", "SoundCard", QColor(0, 255, 0), 4, 70},
        {&LedTwo, "LedTwo", "COM Port", QColor(0, 255, 0), 83, 63},
        {&RXLed, "RXLed", "Reception", QColor(0, 255, 0), 201, 67},
        {&TXLed, "TXLed", "Transmission", QColor(255, 0, 0), 280, 79},
    };
    for (const Led &l : leds) {
        *l.led = named(new TLed(QString::fromLatin1(l.caption), l.color, Infopanel), l.name);
        (*l.led)->setGeometry(l.left, 2, l.width, InfoPanelHeight - 4);
    }
    LedOne->setToolTip(LcfLoadString(Str::SoundcardIdle));
    RXLed->setToolTip(LcfLoadString(Str::NoReception));
    TXLed->setToolTip(LcfLoadString(Str::NoTransmission));
    LedTwo->setCursor(Qt::PointingHandCursor);
    connect(LedTwo, &TLed::clicked, this, &TPSKForm::EnableComPort);

    StatusBar = named(new TStatusBar(centralWidget()), "StatusBar");
    setHelp(StatusBar, "STA_PNL", 27);
    StatusBar->onDrawPanel = [this](QPainter &p, int i, const QRect &r) { StatusBarDrawPanel(p, i, r); };
    StatusBar->onMouseMove = [this](int x, int y) { StatusMouseMove(x, y); };
    StatusMessage = LcfLoadString(Str::MakerNotice);
    StatusIcon = 22;
    LinkText = LcfLoadString(Str::MakerWebAddress);
    LinkIcon = 21;
}

void TPSKForm::resizeEvent(QResizeEvent *e) {
    QMainWindow::resizeEvent(e);
    ResizeForm();
}

void TPSKForm::ResizeForm() {
    QWidget *client = centralWidget();
    if (!client)
        return;
    const int cw = client->width();
    const int ch = client->height();
    const int bottom = std::max(0, ch - InfoPanelHeight - StatusBarHeight);
    StatusBar->setGeometry(0, ch - StatusBarHeight, cw, StatusBarHeight);
    StatusBar->setPanelWidth(4, cw - 570);
    Infopanel->setGeometry(0, bottom, cw, InfoPanelHeight);
    ToolBar->setGeometry(0, 0, ToolBarWidth, bottom);

    const int pw = std::max(0, cw - 396);
    PageControl->setGeometry(ToolBarWidth, 0, pw, bottom);

    const int x = pw + 36;
    MacroPage->setGeometry(pw + 216, 1, 180, 236);
    Canal->setGeometry(x, 1, 177, 236);
    Monitor->setGeometry(x, 237, 355, 83);
    QSOBox->setGeometry(x, 319, 356, 86);
    const int paneHeight = std::max(0, (ch - 455) / 2);
    RXBuf->setGeometry(x - 1, 408, 357, paneHeight);
    TXBuf->setGeometry(x - 1, paneHeight + 410, 357, paneHeight);
    // The waterfall history is sized to its paint box and starts again blank.
    ResetWaterfallHistory();
}

QString TPSKForm::CaptionText() const {
    return LcfLoadString(Str::CaptionPrefix) + settings.MyCall.toUpper();
}

QString TPSKForm::RewindHint() const {
    const double seconds = settings.Blocks * 0.256;
    return LcfLoadString(Str::ReplayHintPrefix) + QLocale::system().toString(seconds, 'g', 15) +
           LcfLoadString(Str::ReplayHintSuffix);
}

void TPSKForm::ComputeBandValues() {
    // One rule for the derived values, shared with the displays (and safe for
    // any stored band).
    const FrequencyMap band = FrequencyMap::forBand(settings.WFMin, settings.WFMax);
    WFSpan = band.wfSpan;
    FFTLowBin = band.lowBin;
    FFTHighBin = band.highBin;
    FFTBinSpan = band.binSpan();
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
    const QList<QWidget *> stpGroup{SQSSPin, RXSpin, TXSpin, AFCSpin, PPMd, IMDd};
    const QList<QWidget *> qsoGroup{HisCall, HisName, HisRep, TheDate, TheTime, TheInfo};
    switch (id) {
    case SettingId::MyCall:
        setWindowTitle(CaptionText());
        break;
    case SettingId::AFCOn:
        AFCCheck->setChecked(settings.AFCOn);
        break;
    case SettingId::AFCRange:
        AFCSpin->setValue(settings.AFCRange);
        break;
    case SettingId::NetOn:
        NETCheck->setChecked(settings.NetOn);
        break;
    case SettingId::SQValue:
        SQTrack->setValue(settings.SQValue);
        break;
    case SettingId::SQSpeed:
        SQSSPin->setValue(settings.SQSpeed);
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
        applyColors(RXBuf, settings.RXBColor, nullptr);
        break;
    case SettingId::RXBFontStyle:
        applyColors(RXBuf, settings.RXBColor, &settings.RXBFont);
        break;
    case SettingId::TXBColor:
        applyColors(TXBuf, settings.TXBColor, nullptr);
        break;
    case SettingId::TXBFontStyle:
        applyColors(TXBuf, settings.TXBColor, &settings.TXBFont);
        break;
    case SettingId::QSOColor:
        for (QWidget *w : qsoGroup)
            applyColors(w, settings.QSOColor, nullptr);
        break;
    case SettingId::QSOFontStyle:
        for (QWidget *w : qsoGroup)
            applyColors(w, settings.QSOColor, &settings.QSOFont);
        SetComLed();
        break;
    default:
        // Running values only; the track colours are used when tracks are drawn.
        break;
    }
}

void TPSKForm::FormCreate() {
    StartupDir = QDir::currentPath();
    m_store.open();
    m_loading = true;
    if (!loadStartupSettings(m_store, settings, [this](SettingId id) { ApplySetting(static_cast<int>(id)); }))
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorReadingRegistry));
    m_loading = false;
    // Values the load did not reach are zero; a zero band would make every
    // display divide by zero, and a zero COM port names no port.
    sanitizeBand(settings);
    Canal->setEnabled(TrackCount > 0);
    DateFormatPattern = dateFormatPattern(settings.DateFormat);
    ComputeBandValues();
    RXSpin->setValue(100);
    TXSpin->setValue(100);
    SpectrumScale = SpectrumScaleValue;
    if ((m_modem.fnSetComPort(settings.ComPort, settings.PTTControl) & 0xFF) == 0)
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ErrorSelectingComPort));
    QString version = QString::number(m_modem.fnGetDLLVersion());
    if (!version.isEmpty())
        version.insert(1, QLatin1Char('.'));
    Infopanel->setCaption(LcfLoadString(Str::LibraryVersion) + version + QStringLiteral("  "));
    SoundCardActive = false;
    RewindSound->setToolTip(RewindHint());
    OnLineHelp->setEnabled(QFileInfo::exists(QDir(StartupDir).filePath(QStringLiteral("VARNEK.CHM"))));
    ViewBtn->setEnabled(QFileInfo::exists(QDir(StartupDir).filePath(QStringLiteral("Varneklog.adi"))));
    StatusBar->setPanelText(2, LcfLoadString(Str::ProgramIdle));
    // Cursors 1..5 are built on demand by AppImages::cursor; macros load with
    // the macro store.
    Timer->start();
}
