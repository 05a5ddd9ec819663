#pragma once
// The small views of the receiver on the Monitor pages: the signal trace,
// the sync bar graph and the phase-vector view. Each draws a frame of the
// paint box's size from the latest data; none keeps history. Not widgets.

#include <QImage>
#include <QSize>
#include <cstdint>
#include <span>

// Oscilloscope trace of the raw samples: every second sample of the first
// 512 across the width, +-4000 filling the height, positive values downward.
QImage renderSignal(QSize size, std::span<const int32_t> raw, bool active);

// Sync values 1..15 as bars from the bottom row: bar k in column
// k * (W div 15), reaching row H - H * value div 1000 (excluded).
QImage renderSync(QSize size, std::span<const int32_t> sync, bool active);

class VectorRenderer {
public:
    // Navy field with the inscribed yellow circle; while active, the eight
    // (x, y) vectors as lines from (r, r) with r = W div 2 - 1, +-1000 being
    // r pixels, positive y pointing up.
    QImage render(QSize size, std::span<const int32_t> vectors, bool active);

    // End point of a vector, for the rule above.
    static QPoint endPoint(int width, int32_t x, int32_t y);

private:
    QImage m_background; // field and circle, drawn once per size
};
