#pragma once
// What the main window keeps for its displays: one renderer per view.

#include "displays/MonitorRenderers.h"
#include "displays/SpectrumRenderer.h"
#include "displays/WaterfallRenderer.h"

class DisplayRenderers {
public:
    WaterfallRenderer waterfall;
    SpectrumRenderer spectrum;
    VectorRenderer vector;
    // True while one of our own frames is being copied to its paint box. The
    // paint box calls its repaint hook for that copy too; only a repaint the
    // windowing system asks for may redraw (and advance the waterfall).
    bool showing = false;
};
