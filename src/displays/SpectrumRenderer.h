#pragma once
// The spectrum's images: a black field with three grey grid lines and the
// frequency scale (drawn once per size and band), and over it the curve of
// the latest FFT magnitudes, filled down to the bottom or as an outline. Not
// a widget; the main window shows each frame with one copy.

#include "displays/FrequencyMap.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <span>

class SpectrumRenderer {
public:
    struct Input {
        QSize size;
        FrequencyMap band;
        std::span<const int32_t> fft; // indexed by bin
        bool active = false;          // the sound card runs: draw the curve
        bool plain = true;            // filled curve (else outline)
        int scale = 100;              // full-scale magnitude
    };

    // A new frame: the cached field and scale, plus the curve while active.
    QImage render(const Input &in);

    // The level row of a magnitude: H - v * H div scale (v = 0 gives row H,
    // just below the image; full scale gives row 0).
    static int levelRow(int32_t magnitude, int height, int scale);

    static constexpr int GridRows[3] = {14, 27, 40};

    // Where the label of the scale mark for f hertz (500, 1000, ... 3500)
    // stands: at the top, starting 10 pixels (8 for "500") left of the mark's
    // column, moved in from an edge where it would be cut. A mark beyond the
    // band shown has no label (an empty rectangle).
    static QRect labelRect(int frequency, const FrequencyMap &band, QSize size);

private:
    void buildBackground(QSize size, const FrequencyMap &band);

    QImage m_background;
    FrequencyMap m_backgroundBand;
    bool m_backgroundValid = false;
};
