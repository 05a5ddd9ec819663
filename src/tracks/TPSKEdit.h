#pragma once
// The edit that shows one track's decoded text beside the waterfall. It is an
// ordinary single-line edit set up for the track panel; what a press or a drag
// does is decided by the main window through the handlers it installs, as it
// does for its other controls.

#include <QLineEdit>
#include <functional>

class TPSKEdit : public QLineEdit {
    Q_OBJECT
public:
    // Height of a track edit, and how far the mouse must move with a button
    // held before a press becomes a drag.
    static constexpr int EditHeight = 12;
    static constexpr int DragThreshold = 3;

    // slot names the track in the tool tip; the colours are those of the
    // active track, which a new track always is.
    TPSKEdit(int slot, const QColor &background, const QColor &text, QWidget *parent);

    // The tool tip of the track in a slot.
    static QString hintFor(int slot);

    std::function<void(TPSKEdit *, Qt::MouseButton, Qt::KeyboardModifiers, QPoint)> onMouseDown;
    // Runs the drag from its start to its end; pos is where the mouse is in
    // the edit when the drag begins.
    std::function<void(TPSKEdit *, QPoint pos)> onDrag;

    bool dragArmed() const { return m_armed; }

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void focusInEvent(QFocusEvent *e) override;

private:
    bool m_armed = false;
    QPoint m_pressPos;
};
