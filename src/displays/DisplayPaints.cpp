// The main window's display paints: each asks its renderer for a frame of the
// paint box's present size and shows it with one copy.

#include "app/SettingsStore.h"
#include "app/StatusBar.h"
#include "app/TPSKForm.h"
#include "app/Widgets.h"
#include "displays/DisplayRenderers.h"
#include "lang/Strings.h"

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

} // namespace

void TPSKForm::SpectrumDisplayPaint() {
    if (!Renderers)
        return;
    SpectrumRenderer::Input in;
    in.size = SpectrumDisplay->size();
    in.band = bandMap(*this);
    in.fft = FFTData;
    in.active = SoundCardActive;
    in.plain = settings.SpectrumPlain;
    in.scale = SpectrumScale;
    showFrame(*Renderers, SpectrumDisplay, Renderers->spectrum.render(in));
}

void TPSKForm::WaterfallDisplayPaint() {
    if (!Renderers)
        return;
    const QSize size = WaterfallDisplay->size();
    if (!SoundCardActive) {
        showFrame(*Renderers, WaterfallDisplay, blackFrame(size));
        return;
    }
    WaterfallRenderer &wf = Renderers->waterfall;
    // A paint box resized without passing through ResizeForm (a layout
    // settling later) starts a blank history as a resize would.
    if (wf.size() != size)
        wf.reset(size);
    FFTBinSpan = FFTHighBin - FFTLowBin;
    const FrequencyMap band = bandMap(*this);
    wf.addColumn(FFTData, band);
    // From here on the frame gets overlays that must not scroll.
    QImage frame = wf.history().copy();
    TrackLayout(frame);
    wf.drawScale(frame, band, colorFromWin(settings.WColor).rgb());
    RemovePendingTrack();
    showFrame(*Renderers, WaterfallDisplay, frame);
}

void TPSKForm::ResetWaterfallHistory() {
    if (!Renderers)
        return;
    Renderers->waterfall.reset(WaterfallDisplay->size());
    showFrame(*Renderers, WaterfallDisplay, Renderers->waterfall.history());
}

void TPSKForm::SignalDisplayPaint() {
    if (!Renderers)
        return;
    // RawData is only fetched while the Signal page shows.
    const bool active = SoundCardActive && Monitor->currentIndex() == 1;
    showFrame(*Renderers, SignalDisplay, renderSignal(SignalDisplay->size(), RawData, active));
}

void TPSKForm::SyncroDisplayPaint() {
    if (!Renderers)
        return;
    showFrame(*Renderers, SyncDisplay, renderSync(SyncDisplay->size(), SyncData, SoundCardActive));
}

void TPSKForm::VectorDisplayPaint() {
    if (!Renderers)
        return;
    showFrame(*Renderers, VECDisplay,
              Renderers->vector.render(VECDisplay->size(), VectorData, SoundCardActive));
}

void TPSKForm::WaterfallMouseMove(int y) {
    const int f = bandMap(*this).frequencyAt(y, WaterfallDisplay->height());
    StatusBar->setPanelText(1, QString::number(f) + LcfLoadString(Str::HertzSuffix));
}

void TPSKForm::SpectrumMove(int x) {
    const int f = bandMap(*this).frequencyAt(x, SpectrumDisplay->width());
    StatusBar->setPanelText(1, QString::number(f) + LcfLoadString(Str::HertzSuffix));
}
