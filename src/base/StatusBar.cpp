#include "StatusBar.h"

#include "base/AppFonts.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

TStatusBar::TStatusBar(QWidget *parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFont(statusBarFont());
}

void TStatusBar::setPanelText(int index, const QString &text) {
    if (index < 0 || index >= PanelCount || m_texts[index] == text)
        return;
    m_texts[index] = text;
    update();
}

QString TStatusBar::panelText(int index) const {
    return index >= 0 && index < PanelCount ? m_texts[index] : QString();
}

int TStatusBar::panelWidth(int index) const {
    return index >= 0 && index < PanelCount ? m_widths[index] : 0;
}

void TStatusBar::setPanelWidth(int index, int width) {
    if (index < 0 || index >= PanelCount)
        return;
    width = std::max(0, width);
    if (m_widths[index] != width) {
        m_widths[index] = width;
        update();
    }
}

QRect TStatusBar::panelRect(int index) const {
    int left = 0;
    for (int i = 0; i < index; ++i)
        left += m_widths[i];
    const int w = index == PanelCount - 1 ? std::max(m_widths[index], width() - left) : m_widths[index];
    // One pixel of bevel around the panel's content, two pixels between panels.
    return QRect(left + 1, 2, std::max(0, w - 3), std::max(0, height() - 3));
}

void TStatusBar::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QColor face = palette().color(QPalette::Button);
    p.fillRect(rect(), face);
    for (int i = 0; i < PanelCount; ++i) {
        const QRect r = panelRect(i);
        if (i != PanelCount - 1) {
            // Lowered bevel; the sound-card panel has none.
            p.setPen(palette().color(QPalette::Dark));
            p.drawLine(r.left() - 1, r.top() - 1, r.right() + 1, r.top() - 1);
            p.drawLine(r.left() - 1, r.top() - 1, r.left() - 1, r.bottom() + 1);
            p.setPen(palette().color(QPalette::Light));
            p.drawLine(r.right() + 1, r.top() - 1, r.right() + 1, r.bottom() + 1);
            p.drawLine(r.left() - 1, r.bottom() + 1, r.right() + 1, r.bottom() + 1);
        }
        p.save();
        p.setClipRect(r);
        if (i >= 3 && onDrawPanel) {
            onDrawPanel(p, i, r);
        } else {
            p.setPen(palette().color(QPalette::WindowText));
            p.drawText(r.adjusted(2, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
                       m_texts[i]);
        }
        p.restore();
    }
}

void TStatusBar::mouseMoveEvent(QMouseEvent *e) {
    if (onMouseMove) {
        const QPoint pt = e->position().toPoint();
        onMouseMove(pt.x(), pt.y());
    }
}
