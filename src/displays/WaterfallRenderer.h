#pragma once
// The waterfall's images: the history (one column per FFT, newest at the
// left) and the frequency scale drawn over each frame. Not a widget; the main
// window shows the frames it makes with one copy.
//
// The history never carries the scale or the track lines, so they never
// scroll. The scale is rendered once per size, band and colour and then only
// stamped onto each frame.

#include "displays/FrequencyMap.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

class WaterfallRenderer {
public:
    // The colour of an FFT magnitude: red min(2v, 255), green min(3v, 255),
    // blue min(4v, 255). The library never sends a negative magnitude; one
    // is shown black rather than as the wrapped bits of the product.
    static QRgb color(int32_t magnitude);

    // Discards the history and starts a black one of this size.
    void reset(QSize size);
    QSize size() const { return m_history.size(); }
    const QImage &history() const { return m_history; }

    // Moves the history one pixel to the right and draws column 0 from the
    // bins FFTLowBin..FFTHighBin of fft: bin i lands on row
    // (i - FFTLowBin) * H div FFTBinSpan; a gap between two bins' rows takes
    // the colour of the bin that ends it, and where bins share a row the
    // highest of them is what stays.
    void addColumn(std::span<const int32_t> fft, const FrequencyMap &band);

    // The frequency scale in the given colour: the marks 500 .. 3500 Hz, each
    // a line from the left edge and its label, placed at the row of f + 1 Hz.
    void drawScale(QImage &frame, const FrequencyMap &band, QRgb color);

    // The line of a track whose frequency is on row y: row y + 1, from
    // column 0 up to, but not including, column W - 1, in white.
    static void drawTrackLine(QImage &frame, int y);

    // Label and line length of each scale mark: the line covers columns
    // 0 .. lineLength - 1 of the mark's row and the label's top-left corner
    // is at (lineLength, row - 5).
    struct Mark {
        int frequency;
        const char *label;
        int lineLength;
    };
    static const std::array<Mark, 7> &marks();

    // Where a mark's label stands in a frame of this size: at (lineLength,
    // row - 5), moved in from the top or bottom edge where it would be cut. A
    // mark beyond the band shown has no label (an empty rectangle).
    static QRect labelRect(const Mark &mark, const FrequencyMap &band, QSize size);

private:
    struct Stamp {
        int offset; // y * width + x
        QRgb color;
        uint8_t alpha;
    };
    void buildScale(QSize size, const FrequencyMap &band, QRgb color);

    QImage m_history;
    // The cached scale and what it was drawn for.
    std::vector<Stamp> m_scale;
    QSize m_scaleSize;
    FrequencyMap m_scaleBand;
    QRgb m_scaleColor = 0;
    bool m_scaleValid = false;
};
