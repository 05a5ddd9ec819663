#include "TBandSelector.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace {
// Room at each end for the first and last scale labels.
constexpr int kMargin = 12;
constexpr int kBarTop = 4;
constexpr int kBarHeight = 16;
} // namespace

TBandSelector::TBandSelector(QWidget *parent) : QWidget(parent) {
    setCursor(Qt::SizeHorCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

int TBandSelector::scaleLeft() const {
    return kMargin;
}

int TBandSelector::scaleWidth() const {
    return std::max(1, width() - 2 * kMargin - 1);
}

int TBandSelector::frequencyAt(int x) const {
    const long long span = kHighest - kLowest;
    const long long offset = std::clamp(x - scaleLeft(), 0, scaleWidth());
    // Rounded to the nearest hertz, so both ends of the scale can be reached exactly.
    return kLowest + static_cast<int>((offset * span * 2 + scaleWidth()) / (2LL * scaleWidth()));
}

int TBandSelector::xOf(int hertz) const {
    const long long offset = std::clamp(hertz, kLowest, kHighest) - kLowest;
    const long long span = kHighest - kLowest;
    return scaleLeft() + static_cast<int>((offset * scaleWidth() * 2 + span) / (2 * span));
}

void TBandSelector::setEdges(int low, int high) {
    const int h = std::clamp(high, kLowest, kHighest);
    const int l = std::min(std::clamp(low, kLowest, kHighest), h);
    if (l == m_low && h == m_high)
        return;
    m_low = l;
    m_high = h;
    update();
    emit edgesChanged(m_low, m_high);
}

void TBandSelector::dragTo(int hertz) {
    if (m_dragging == Edge::Low)
        setEdges(std::min(hertz, m_high), m_high);
    else if (m_dragging == Edge::High)
        setEdges(m_low, std::max(hertz, m_low));
}

void TBandSelector::mousePressEvent(QMouseEvent *e) {
    if (e->button() != Qt::LeftButton)
        return;
    const int hertz = frequencyAt(e->position().toPoint().x());
    // On a tie (or a band of no width) the side of the press decides: below the band
    // the low edge, above it the high edge.
    const int toLow = std::abs(hertz - m_low);
    const int toHigh = std::abs(hertz - m_high);
    if (toLow < toHigh || (toLow == toHigh && hertz <= m_low))
        m_dragging = Edge::Low;
    else
        m_dragging = Edge::High;
    dragTo(hertz);
}

void TBandSelector::mouseMoveEvent(QMouseEvent *e) {
    if (m_dragging != Edge::None)
        dragTo(frequencyAt(e->position().toPoint().x()));
}

void TBandSelector::mouseReleaseEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton)
        m_dragging = Edge::None;
}

void TBandSelector::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Window));

    const int left = scaleLeft();
    const int right = scaleLeft() + scaleWidth();
    const QRect bar(left, kBarTop, right - left + 1, kBarHeight);
    p.fillRect(bar, Qt::black);
    const QRect band(xOf(m_low), kBarTop, xOf(m_high) - xOf(m_low) + 1, kBarHeight);
    p.fillRect(band, QColor(0, 128, 128));
    p.setPen(Qt::yellow);
    p.drawLine(band.left(), band.top(), band.left(), band.bottom());
    p.drawLine(band.right(), band.top(), band.right(), band.bottom());
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(bar.adjusted(-1, -1, 0, 0));

    QFont font(QStringLiteral("Small Fonts"), 7);
    font.setStyleHint(QFont::SansSerif);
    p.setFont(font);
    p.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics fm(font);
    const int markTop = kBarTop + kBarHeight + 1;
    for (int hz = kLowest; hz <= kHighest; hz += kMarkStep) {
        const int x = xOf(hz);
        p.drawLine(x, markTop, x, markTop + 3);
        const QString label = QString::number(hz);
        const int w = fm.horizontalAdvance(label);
        p.drawText(std::clamp(x - w / 2, 0, width() - w), markTop + 4 + fm.ascent(), label);
    }
}
