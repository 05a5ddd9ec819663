#include "tracks/TPSKEdit.h"

#include "lang/Strings.h"

#include <QFocusEvent>
#include <QMouseEvent>
#include <QPointer>
#include <cstdlib>

TPSKEdit::TPSKEdit(int slot, const QColor &background, const QColor &text, QWidget *parent)
    : QLineEdit(parent) {
    setObjectName(QStringLiteral("Track%1").arg(slot));
    setFrame(false);
    setGeometry(0, 0, 300, EditHeight);
    QFont f(QStringLiteral("Small Fonts"), 7);
    f.setStyleHint(QFont::SansSerif);
    setFont(f);
    setTextMargins(0, 0, 0, 0);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, background);
    pal.setColor(QPalette::Window, background);
    pal.setColor(QPalette::Text, text);
    setPalette(pal);
    setCursor(Qt::PointingHandCursor);
    setToolTip(hintFor(slot));
    // A right press asks whether to delete the track; a menu popping up
    // after that question would only be in the way.
    setContextMenuPolicy(Qt::NoContextMenu);
}

QString TPSKEdit::hintFor(int slot) {
    return LcfLoadString(Str::TrackHintPrefix) + QString::number(slot) + LcfLoadString(Str::TrackHintDrag) +
           QStringLiteral("\r\n") + LcfLoadString(Str::TrackHintDelete);
}

void TPSKEdit::mousePressEvent(QMouseEvent *e) {
    QLineEdit::mousePressEvent(e);
    // Every press arms a drag, whichever button it is.
    m_armed = true;
    m_pressPos = e->position().toPoint();
    // The handler may ask a question, and a repaint served meanwhile may
    // remove this very edit: call a copy, and touch nothing afterwards.
    if (auto handler = onMouseDown)
        handler(this, e->button(), e->modifiers(), m_pressPos);
}

void TPSKEdit::mouseMoveEvent(QMouseEvent *e) {
    const QPoint pos = e->position().toPoint();
    if (m_armed && e->buttons() == Qt::NoButton)
        m_armed = false; // released while a question was open
    const QPoint moved = pos - m_pressPos;
    // The drag starts once the mouse is 3 pixels away along either axis.
    if (m_armed && (std::abs(moved.x()) >= DragThreshold || std::abs(moved.y()) >= DragThreshold)) {
        m_armed = false;
        if (auto drag = onDrag) {
            drag(this, pos);
            return;
        }
    }
    QLineEdit::mouseMoveEvent(e);
}

void TPSKEdit::mouseReleaseEvent(QMouseEvent *e) {
    m_armed = false;
    QLineEdit::mouseReleaseEvent(e);
}

void TPSKEdit::focusInEvent(QFocusEvent *e) {
    // A line edit reached by Tab selects all its text, and the next decoded
    // character would then replace it: this happens whenever the focused
    // track is removed and the focus moves on to another. The text and the
    // caret stay as they were, whatever brought the focus.
    const int caret = cursorPosition();
    const bool hadSelection = hasSelectedText();
    QLineEdit::focusInEvent(e);
    if (!hadSelection && hasSelectedText()) {
        deselect();
        setCursorPosition(caret);
    }
}
