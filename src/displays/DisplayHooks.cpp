// Wiring of the display paint boxes: the windowing system's repaints redraw
// each view from the data at hand, and mouse moves give the frequency readout.

#include "app/TPSKForm.h"
#include "app/Widgets.h"
#include "displays/DisplayRenderers.h"

#include <QMouseEvent>

void TPSKForm::SetupDisplays() {
    Renderers = std::make_shared<DisplayRenderers>();
    auto hook = [this](TPaintBox *box, void (TPSKForm::*paint)()) {
        box->onRepaint = [this, paint] {
            if (!Renderers->showing)
                (this->*paint)();
        };
    };
    // A windowing repaint of the waterfall adds a column like a data-ready
    // message does: the strip has always advanced when it was uncovered.
    hook(WaterfallDisplay, &TPSKForm::WaterfallDisplayPaint);
    hook(SpectrumDisplay, &TPSKForm::SpectrumDisplayPaint);
    hook(SignalDisplay, &TPSKForm::SignalDisplayPaint);
    hook(SyncDisplay, &TPSKForm::SyncroDisplayPaint);
    // The vector view keeps no history either, so redrawing it on a repaint
    // shows the idle circle at once instead of a black box until the first
    // data arrive.
    hook(VECDisplay, &TPSKForm::VectorDisplayPaint);

    WaterfallDisplay->onMouseMove = [this](QMouseEvent *e) {
        WaterfallMouseMove(e->position().toPoint().y());
    };
    SpectrumDisplay->onMouseMove = [this](QMouseEvent *e) { SpectrumMove(e->position().toPoint().x()); };
}
