#include "Widgets.h"

#include <QMouseEvent>
#include <QPainter>

TLed::TLed(const QString &caption, const QColor &litColor, QWidget *parent)
    : QWidget(parent), m_caption(caption), m_litColor(litColor) {}

void TLed::setLit(bool lit) {
    if (m_lit != lit) {
        m_lit = lit;
        update();
    }
}

void TLed::setCaption(const QString &caption) {
    m_caption = caption;
    update();
}

void TLed::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = qMin(9, height() - 4);
    const QRectF lamp(1, (height() - d) / 2.0, d, d);
    const QColor off = m_litColor.darker(350);
    QRadialGradient g(lamp.center() - QPointF(d / 5.0, d / 5.0), d * 0.7);
    const QColor base = m_lit ? m_litColor : off;
    g.setColorAt(0, m_lit ? base.lighter(160) : base.lighter(130));
    g.setColorAt(1, base);
    p.setBrush(g);
    p.setPen(QPen(palette().color(QPalette::Dark), 1));
    p.drawEllipse(lamp);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(QRect(d + 4, 0, width() - d - 4, height()), Qt::AlignVCenter | Qt::AlignLeft, m_caption);
}

void TLed::mouseReleaseEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
}

TPaintBox::TPaintBox(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TPaintBox::showImage(const QImage &image) {
    m_image = image;
    if (!m_inRepaint)
        repaint();
}

void TPaintBox::paintEvent(QPaintEvent *) {
    if (onRepaint && !m_inRepaint) {
        m_inRepaint = true;
        onRepaint();
        m_inRepaint = false;
    }
    QPainter p(this);
    if (m_image.isNull())
        p.fillRect(rect(), Qt::black);
    else
        p.drawImage(0, 0, m_image);
}

void TPaintBox::mouseMoveEvent(QMouseEvent *e) {
    if (onMouseMove)
        onMouseMove(e);
}

void TPaintBox::mousePressEvent(QMouseEvent *e) {
    if (onMousePress)
        onMousePress(e);
}

TLevelBar::TLevelBar(QWidget *parent) : QWidget(parent) {}

void TLevelBar::setPosition(int position) {
    position = std::clamp(position, 0, 100);
    if (position != m_position) {
        m_position = position;
        update();
    }
}

void TLevelBar::paintEvent(QPaintEvent *) {
    QPainter p(this);
    const QRect inner = rect().adjusted(1, 1, -1, -1);
    // Lowered border.
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(width() - 1, 0, width() - 1, height() - 1);
    p.drawLine(0, height() - 1, width() - 1, height() - 1);
    const int len = inner.width();
    if (len <= 0 || inner.height() <= 0)
        return;
    // One-pixel segments without gaps. The band edges are computed like the
    // lit length, so a level of 60 lights exactly the green part and 85
    // exactly the green and yellow parts.
    const int lit = len * m_position / 100;
    const int greenEnd = len * 60 / 100;
    const int yellowEnd = len * 85 / 100;
    struct Band {
        int from, to;
        QColor on, off;
    };
    const Band bands[] = {{0, greenEnd, QColor(0, 255, 0), QColor(0, 128, 0)},
                          {greenEnd, yellowEnd, QColor(255, 255, 0), QColor(128, 128, 0)},
                          {yellowEnd, len, QColor(255, 0, 0), QColor(128, 0, 0)}};
    for (const Band &b : bands) {
        const int split = std::clamp(lit, b.from, b.to);
        p.fillRect(inner.left() + b.from, inner.top(), split - b.from, inner.height(), b.on);
        p.fillRect(inner.left() + split, inner.top(), b.to - split, inner.height(), b.off);
    }
}

TInfoPanel::TInfoPanel(QWidget *parent) : QFrame(parent) {
    setMouseTracking(true);
    setFrameStyle(QFrame::Panel | QFrame::Raised);
}

void TInfoPanel::setCaption(const QString &caption) {
    m_caption = caption;
    update();
}

void TInfoPanel::paintEvent(QPaintEvent *e) {
    QFrame::paintEvent(e);
    QPainter p(this);
    p.drawText(contentsRect().adjusted(0, 0, -2, 0), Qt::AlignVCenter | Qt::AlignRight, m_caption);
}

void TInfoPanel::mouseMoveEvent(QMouseEvent *e) {
    if (onMouseMove)
        onMouseMove(e->position().toPoint().x());
}
