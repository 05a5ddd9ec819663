#include "displays/WaterfallRenderer.h"

#include "displays/DisplayFont.h"
#include "displays/Raster.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cstring>

QRgb WaterfallRenderer::color(int32_t magnitude) {
    const int v = std::clamp(magnitude, 0, 255);
    return qRgb(std::min(2 * v, 255), std::min(3 * v, 255), std::min(4 * v, 255));
}

const std::array<WaterfallRenderer::Mark, 7> &WaterfallRenderer::marks() {
    // "500" is one digit shorter, so its line reaches further right.
    static const std::array<Mark, 7> m{{{500, "500", 44},
                                        {1000, "1000", 39},
                                        {1500, "1500", 39},
                                        {2000, "2000", 39},
                                        {2500, "2500", 39},
                                        {3000, "3000", 39},
                                        {3500, "3500", 39}}};
    return m;
}

QRect WaterfallRenderer::labelRect(const Mark &mark, const FrequencyMap &band, QSize size) {
    const int h = size.height();
    const int y = band.markPosition(mark.frequency, h);
    if (y < 0 || y > h)
        return QRect();
    // The band's edges carry marks too (3500 on the bottom row of the default
    // band): half a label there would be unreadable.
    const QFontMetrics metrics(displayScaleFont());
    const QSize box(metrics.horizontalAdvance(QString::fromLatin1(mark.label)), metrics.height());
    return QRect(QPoint(mark.lineLength, std::clamp(y - 5, 0, std::max(0, h - box.height()))), box);
}

void WaterfallRenderer::reset(QSize size) {
    if (size.isEmpty()) {
        m_history = QImage();
        return;
    }
    if (m_history.size() != size)
        m_history = QImage(size, QImage::Format_RGB32);
    m_history.fill(Qt::black);
}

void WaterfallRenderer::addColumn(std::span<const int32_t> fft, const FrequencyMap &band) {
    if (m_history.isNull())
        return;
    const int w = m_history.width();
    const int h = m_history.height();
    // Scroll one pixel right; the oldest column falls off.
    for (int y = 0; y < h; ++y) {
        auto *row = reinterpret_cast<QRgb *>(m_history.scanLine(y));
        std::memmove(row + 1, row, sizeof(QRgb) * size_t(w - 1));
    }
    auto *bits = reinterpret_cast<QRgb *>(m_history.bits());
    const qsizetype stride = m_history.bytesPerLine() / qsizetype(sizeof(QRgb));
    auto put = [&](int y, QRgb c) {
        if (y >= 0 && y < h)
            bits[y * stride] = c;
    };
    const int first = band.firstDataBin();
    const int last = std::min(band.lastDataBin(), int(fft.size()) - 1);
    int previous = 0;
    for (int i = first; i <= last; ++i) {
        const int y = band.binPosition(i, h);
        const QRgb c = color(fft[size_t(i)]);
        // Rows between the previous bin's row and this one take this bin's
        // colour; only rows inside the image are visited.
        for (int g = std::max(previous + 1, 0), end = std::min(y, h); g < end; ++g)
            put(g, c);
        put(y, c);
        previous = y;
    }
}

void WaterfallRenderer::buildScale(QSize size, const FrequencyMap &band, QRgb color) {
    m_scale.clear();
    m_scaleSize = size;
    m_scaleBand = band;
    m_scaleColor = color;
    m_scaleValid = true;
    if (size.isEmpty())
        return;
    QImage layer(size, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    const QRgb opaque = qRgba(qRed(color), qGreen(color), qBlue(color), 255);
    {
        QPainter p(&layer);
        const QFont font = displayScaleFont();
        p.setFont(font);
        p.setPen(QColor::fromRgb(opaque));
        const int ascent = QFontMetrics(font).ascent();
        for (const Mark &m : marks()) {
            const QRect label = labelRect(m, band, size);
            if (!label.isEmpty())
                p.drawText(label.left(), label.top() + ascent, QString::fromLatin1(m.label));
        }
    }
    for (const Mark &m : marks())
        raster::hline(layer, 0, m.lineLength, band.markPosition(m.frequency, size.height()), opaque);
    for (int y = 0; y < size.height(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        for (int x = 0; x < size.width(); ++x)
            if (qAlpha(row[x]) != 0)
                m_scale.push_back({y * size.width() + x, row[x], uint8_t(qAlpha(row[x]))});
    }
}

void WaterfallRenderer::drawScale(QImage &frame, const FrequencyMap &band, QRgb color) {
    if (frame.isNull())
        return;
    if (!m_scaleValid || m_scaleSize != frame.size() || !(m_scaleBand == band) || m_scaleColor != color)
        buildScale(frame.size(), band, color);
    const int w = frame.width();
    const qsizetype stride = frame.bytesPerLine() / qsizetype(sizeof(QRgb));
    auto *bits = reinterpret_cast<QRgb *>(frame.bits());
    for (const Stamp &s : m_scale) {
        QRgb &dst = bits[(s.offset / w) * stride + s.offset % w];
        if (s.alpha == 255) {
            dst = s.color | 0xFF000000u;
            continue;
        }
        // Text edges, should the font be smoothed after all.
        const int a = s.alpha;
        auto mix = [a](int src, int d) { return (src * a + d * (255 - a)) / 255; };
        dst = qRgb(mix(qRed(s.color), qRed(dst)), mix(qGreen(s.color), qGreen(dst)),
                   mix(qBlue(s.color), qBlue(dst)));
    }
}

void WaterfallRenderer::drawTrackLine(QImage &frame, int y) {
    const int64_t row = int64_t{y} + 1;
    if (row >= 0 && row < frame.height())
        raster::hline(frame, 0, frame.width() - 1, int(row), qRgb(255, 255, 255));
}
