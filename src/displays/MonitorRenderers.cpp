#include "displays/MonitorRenderers.h"

#include "displays/FrequencyMap.h"
#include "displays/Raster.h"

#include <QPainter>

namespace {

const QRgb Lime = qRgb(0, 255, 0);
const QRgb Yellow = qRgb(255, 255, 0);
const QRgb Navy = qRgb(0, 0, 128);

QImage blackFrame(QSize size) {
    QImage frame(size, QImage::Format_RGB32);
    frame.fill(Qt::black);
    return frame;
}

} // namespace

QImage renderSignal(QSize size, std::span<const int32_t> raw, bool active) {
    if (size.isEmpty())
        return QImage();
    QImage frame = blackFrame(size);
    if (!active || raw.size() < 511)
        return frame;
    const int w = size.width(), h = size.height();
    raster::Pen pen(frame, Lime);
    pen.moveTo(0, h / 2);
    for (int i = 0; i <= 510; i += 2) {
        const int y = FrequencyMap::mulDiv(h, raw[size_t(i)], 8000);
        pen.lineTo(FrequencyMap::mulDiv(i, w, 512), FrequencyMap::mulDiv(1, int64_t{y} + h / 2, 1));
    }
    return frame;
}

QImage renderSync(QSize size, std::span<const int32_t> sync, bool active) {
    if (size.isEmpty())
        return QImage();
    QImage frame = blackFrame(size);
    if (!active || sync.size() < 16)
        return frame;
    const int w = size.width(), h = size.height();
    for (int k = 1; k <= 15; ++k) {
        const int top =
            FrequencyMap::mulDiv(1, int64_t{h} - FrequencyMap::mulDiv(h, sync[size_t(k)], 1000), 1);
        raster::vline(frame, k * (w / 15), h - 1, top, Lime);
    }
    return frame;
}

QPoint VectorRenderer::endPoint(int width, int32_t x, int32_t y) {
    const int r = width / 2 - 1;
    return {FrequencyMap::mulDiv(1, int64_t{r} + FrequencyMap::mulDiv(x, r, 1000), 1),
            FrequencyMap::mulDiv(1, int64_t{r} - FrequencyMap::mulDiv(y, r, 1000), 1)};
}

QImage VectorRenderer::render(QSize size, std::span<const int32_t> vectors, bool active) {
    if (size.isEmpty())
        return QImage();
    if (m_background.size() != size) {
        m_background = QImage(size, QImage::Format_RGB32);
        m_background.fill(QColor::fromRgb(Navy));
        QPainter p(&m_background);
        p.setPen(QColor::fromRgb(Yellow));
        p.setBrush(QColor::fromRgb(Navy));
        // An aliased outline of a w x h rectangle covers w + 1 columns, so
        // this one touches both edges of the image and no further.
        p.drawEllipse(QRect(0, 0, size.width() - 1, size.height() - 1));
    }
    QImage frame = m_background.copy();
    if (!active || vectors.size() < 16)
        return frame;
    const int r = size.width() / 2 - 1;
    for (int k = 0; k < 8; ++k) {
        const QPoint end = endPoint(size.width(), vectors[size_t(2 * k)], vectors[size_t(2 * k + 1)]);
        raster::line(frame, r, r, end.x(), end.y(), Yellow);
    }
    return frame;
}
