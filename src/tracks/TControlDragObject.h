#pragma once
// What a track edit carries while it is dragged: the edit itself and the
// point where the operator grabbed it, so the picture under the mouse and the
// place of the drop keep that point under the cursor.

#include <QMimeData>
#include <QPixmap>
#include <QPointer>

class QWidget;

class TControlDragObject : public QMimeData {
    Q_OBJECT
public:
    // grab is in the control's own coordinates.
    TControlDragObject(QWidget *control, QPoint grab);

    QWidget *control() const { return m_control; }
    int grabX() const { return m_grab.x(); }
    int grabY() const { return m_grab.y(); }

    // A picture of the control at its present size; its hot spot is the
    // grab point.
    QPixmap dragImage() const;
    QPoint hotSpot() const { return m_grab; }

    // The drag object of a drag, or null when the drag carries anything else.
    static const TControlDragObject *of(const QMimeData *data);

    static const QString MimeType;

private:
    QPointer<QWidget> m_control;
    QPoint m_grab;
};
