#include "displays/SpectrumRenderer.h"

#include "displays/DisplayFont.h"
#include "displays/Raster.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

namespace {

const QRgb Grey = qRgb(128, 128, 128);
const QRgb Lime = qRgb(0, 255, 0);

struct Mark {
    int frequency;
    const char *label;
    int textOffset; // the label starts this far left of the mark's column
};
// "500" is a digit narrower, so it sits a little less to the left.
constexpr Mark Marks[] = {{500, "500", 8},    {1000, "1000", 10}, {1500, "1500", 10}, {2000, "2000", 10},
                          {2500, "2500", 10}, {3000, "3000", 10}, {3500, "3500", 10}};

} // namespace

QRect SpectrumRenderer::labelRect(int frequency, const FrequencyMap &band, QSize size) {
    const auto mark = std::find_if(std::begin(Marks), std::end(Marks),
                                   [frequency](const Mark &m) { return m.frequency == frequency; });
    const int w = size.width();
    const int x = band.markPosition(frequency, w);
    if (mark == std::end(Marks) || x < 0 || x > w)
        return QRect();
    // The band's own edges carry marks (3500 on the right of the default band):
    // a label half outside would read "35".
    const QFontMetrics metrics(displayScaleFont());
    const QSize box(metrics.horizontalAdvance(QString::fromLatin1(mark->label)), metrics.height());
    return QRect(QPoint(std::clamp(x - mark->textOffset, 0, std::max(0, w - box.width())), 0), box);
}

int SpectrumRenderer::levelRow(int32_t magnitude, int height, int scale) {
    return FrequencyMap::mulDiv(1, int64_t{height} - FrequencyMap::mulDiv(magnitude, height, scale), 1);
}

void SpectrumRenderer::buildBackground(QSize size, const FrequencyMap &band) {
    m_backgroundBand = band;
    m_backgroundValid = true;
    m_background = QImage(size, QImage::Format_RGB32);
    m_background.fill(Qt::black);
    const int w = size.width();
    for (int row : GridRows)
        raster::hline(m_background, 0, w, row, Grey);
    // Each label first, then its mark's line, which crosses the label's foot.
    QPainter p(&m_background);
    const QFont font = displayScaleFont();
    p.setFont(font);
    p.setPen(Qt::white);
    const int ascent = QFontMetrics(font).ascent();
    for (const Mark &m : Marks) {
        const QRect label = labelRect(m.frequency, band, size);
        if (!label.isEmpty())
            p.drawText(label.left(), label.top() + ascent, QString::fromLatin1(m.label));
        raster::vline(m_background, band.markPosition(m.frequency, w), 6, 51, Grey);
    }
}

QImage SpectrumRenderer::render(const Input &in) {
    if (in.size.isEmpty())
        return QImage();
    if (!m_backgroundValid || m_background.size() != in.size || !(m_backgroundBand == in.band))
        buildBackground(in.size, in.band);
    QImage frame = m_background.copy();
    if (!in.active)
        return frame;

    const int w = in.size.width();
    const int h = in.size.height();
    const int first = in.band.firstDataBin();
    const int last = std::min(in.band.lastDataBin(), int(in.fft.size()) - 1);
    if (first > last)
        return frame;
    auto magnitude = [&](int bin) { return in.fft[size_t(bin)]; };
    auto level = [&](int bin) { return levelRow(magnitude(bin), h, in.scale); };

    // The curve rises from just off the bottom-left corner to the first bin.
    raster::Pen pen(frame, Lime);
    pen.moveTo(-1, h);
    pen.lineTo(0, level(first));
    int previous = 0;
    for (int i = first; i <= last; ++i) {
        const int x = in.band.binPosition(i, w);
        const int r = level(i);
        if (!in.plain) {
            pen.lineTo(x, r);
            continue;
        }
        // Filled: the first bin of a column draws it, the others of that
        // column are skipped; a gap of several columns takes the level of
        // the bin that ends it. Column 0 is never filled.
        if (x - previous == 1) {
            raster::vline(frame, x, h - 1, r, Lime);
        } else if (x - previous > 1) {
            for (int c = std::max(previous + 1, 0), end = std::min(x, w - 1); c <= end; ++c)
                raster::vline(frame, c, h - 1, r, Lime);
        }
        previous = x;
    }
    return frame;
}
