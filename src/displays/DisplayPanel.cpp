// The display paints: each asks its renderer for a frame of the paint box's
// present size and shows it with one copy.

#include "displays/DisplayPanel.h"

#include "base/RunningSettings.h"
#include "base/Widgets.h"
#include "displays/DisplayRenderers.h"
#include "lang/Strings.h"
#include "status/StatusArea.h"

#include <QFrame>
#include <QMouseEvent>
#include <QTabWidget>

namespace {

// Shows a frame without letting the paint box's repaint hook draw again.
void showFrame(DisplayRenderers &r, TPaintBox *box, const QImage &frame) {
    struct Flag {
        bool &b;
        explicit Flag(bool &f) : b(f) { b = true; }
        ~Flag() { b = false; }
    } flag(r.showing);
    box->showImage(frame);
}

QImage blackFrame(QSize size) {
    if (size.isEmpty())
        return QImage();
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(Qt::black);
    return frame;
}

TPaintBox *paintBox(QWidget *parent, const char *name) {
    auto *box = new TPaintBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

DisplayPanel::DisplayPanel(QWidget *parent, const RunningSettings &settings, StatusArea &status,
                           std::function<bool()> soundCardActive)
    : QObject(parent->window()), m_settings(settings), m_status(status),
      m_soundCardActive(std::move(soundCardActive)) {
    Monitor = new QTabWidget(parent);
    Monitor->setObjectName(QStringLiteral("Monitor"));
    auto *spectrumPage = new QWidget;
    auto *signalPage = new QWidget;
    auto *syncPage = new QWidget;
    Monitor->addTab(spectrumPage, QStringLiteral(" Spectrum "));
    Monitor->addTab(signalPage, QStringLiteral(" Signal "));
    Monitor->addTab(syncPage, QStringLiteral(" Sync "));
    SpectrumDisplay = paintBox(spectrumPage, "SpectrumDisplay");
    SpectrumDisplay->setGeometry(2, 2, 347, 55);
    SpectrumDisplay->setProperty("helpKeyword", QStringLiteral("SPC_DSP"));
    SpectrumDisplay->setProperty("helpContext", 54);
    SignalDisplay = paintBox(signalPage, "SignalDisplay");
    SignalDisplay->setGeometry(2, 2, 347, 55);
    VisuPanel = new QFrame(syncPage);
    VisuPanel->setObjectName(QStringLiteral("VisuPanel"));
    VisuPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    VisuPanel->setGeometry(2, 2, 52, 55);
    VECDisplay = paintBox(VisuPanel, "VECDisplay");
    VECDisplay->setGeometry(1, 1, 50, 53);
    SyncDisplay = paintBox(syncPage, "SyncDisplay");
    SyncDisplay->setGeometry(54, 2, 295, 55);

    // The track panel moves the waterfall into its strip.
    WaterfallDisplay = paintBox(parent, "WaterfallDisplay");
    WaterfallDisplay->setToolTip(QStringLiteral("Click on panel to add a new track"));
    WaterfallDisplay->setProperty("helpKeyword", QStringLiteral("WTF_DSP"));
    WaterfallDisplay->setProperty("helpContext", 18);

    Renderers = std::make_unique<DisplayRenderers>();
    auto hook = [this](TPaintBox *box, void (DisplayPanel::*paint)()) {
        box->onRepaint = [this, paint] {
            if (!Renderers->showing)
                (this->*paint)();
        };
    };
    // A windowing repaint of the waterfall adds a column like a data-ready
    // message does: the strip has always advanced when it was uncovered.
    hook(WaterfallDisplay, &DisplayPanel::WaterfallDisplayPaint);
    hook(SpectrumDisplay, &DisplayPanel::SpectrumDisplayPaint);
    hook(SignalDisplay, &DisplayPanel::SignalDisplayPaint);
    hook(SyncDisplay, &DisplayPanel::SyncroDisplayPaint);
    // The vector view keeps no history either, so redrawing it on a repaint
    // shows the idle circle at once instead of a black box until the first
    // data arrive.
    hook(VECDisplay, &DisplayPanel::VectorDisplayPaint);

    WaterfallDisplay->onMouseMove = [this](QMouseEvent *e) {
        WaterfallMouseMove(e->position().toPoint().y());
    };
    SpectrumDisplay->onMouseMove = [this](QMouseEvent *e) { SpectrumMove(e->position().toPoint().x()); };
}

DisplayPanel::~DisplayPanel() = default;

FrequencyMap DisplayPanel::band() const {
    FrequencyMap m;
    m.wfMin = m_settings.WFMin;
    m.wfSpan = WFSpan;
    m.lowBin = FFTLowBin;
    m.highBin = FFTHighBin;
    return m;
}

void DisplayPanel::ComputeBandValues() {
    // One rule for the derived values, shared with the track panel (and safe
    // for any stored band).
    const FrequencyMap band = FrequencyMap::forBand(m_settings.WFMin, m_settings.WFMax);
    WFSpan = band.wfSpan;
    FFTLowBin = band.lowBin;
    FFTHighBin = band.highBin;
    FFTBinSpan = band.binSpan();
}

bool DisplayPanel::SignalPageShown() const {
    return Monitor->currentIndex() == 1;
}

void DisplayPanel::SpectrumDisplayPaint() {
    SpectrumRenderer::Input in;
    in.size = SpectrumDisplay->size();
    in.band = band();
    in.fft = FFTData;
    in.active = m_soundCardActive();
    in.plain = m_settings.SpectrumPlain;
    in.scale = SpectrumScale;
    showFrame(*Renderers, SpectrumDisplay, Renderers->spectrum.render(in));
}

void DisplayPanel::WaterfallDisplayPaint() {
    const QSize size = WaterfallDisplay->size();
    if (!m_soundCardActive()) {
        showFrame(*Renderers, WaterfallDisplay, blackFrame(size));
        return;
    }
    WaterfallRenderer &wf = Renderers->waterfall;
    // A paint box resized without passing through the window's layout (a
    // layout settling later) starts a blank history as a resize would.
    if (wf.size() != size)
        wf.reset(size);
    FFTBinSpan = FFTHighBin - FFTLowBin;
    const FrequencyMap map = band();
    wf.addColumn(FFTData, map);
    // From here on the frame gets overlays that must not scroll.
    QImage frame = wf.history().copy();
    if (m_overlay)
        m_overlay->TrackLayout(frame);
    wf.drawScale(frame, map, colorFromWin(m_settings.WColor).rgb());
    if (m_overlay)
        m_overlay->RemovePendingTrack();
    showFrame(*Renderers, WaterfallDisplay, frame);
}

void DisplayPanel::ResetWaterfallHistory() {
    Renderers->waterfall.reset(WaterfallDisplay->size());
    showFrame(*Renderers, WaterfallDisplay, Renderers->waterfall.history());
}

void DisplayPanel::SignalDisplayPaint() {
    // RawData is only fetched while the Signal page shows.
    const bool active = m_soundCardActive() && SignalPageShown();
    showFrame(*Renderers, SignalDisplay, renderSignal(SignalDisplay->size(), RawData, active));
}

void DisplayPanel::SyncroDisplayPaint() {
    showFrame(*Renderers, SyncDisplay, renderSync(SyncDisplay->size(), SyncData, m_soundCardActive()));
}

void DisplayPanel::VectorDisplayPaint() {
    showFrame(*Renderers, VECDisplay,
              Renderers->vector.render(VECDisplay->size(), VectorData, m_soundCardActive()));
}

void DisplayPanel::WaterfallMouseMove(int y) {
    const int f = band().frequencyAt(y, WaterfallDisplay->height());
    m_status.setPanelText(1, QString::number(f) + LcfLoadString(Str::HertzSuffix));
}

void DisplayPanel::SpectrumMove(int x) {
    const int f = band().frequencyAt(x, SpectrumDisplay->width());
    m_status.setPanelText(1, QString::number(f) + LcfLoadString(Str::HertzSuffix));
}
