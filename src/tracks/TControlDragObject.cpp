#include "tracks/TControlDragObject.h"

#include <QBitmap>
#include <QWidget>

// Other programs see a format of ours only, never text they could take for
// the track's contents.
const QString TControlDragObject::MimeType = QStringLiteral("application/x-varnek-track");

TControlDragObject::TControlDragObject(QWidget *control, QPoint grab) : m_control(control), m_grab(grab) {
    setData(MimeType, QByteArray());
}

QPixmap TControlDragObject::dragImage() const {
    if (!m_control)
        return QPixmap();
    QPixmap picture = m_control->grab();
    // Pixels of the button face colour are see-through, as a control's
    // picture has always been dragged.
    const QColor face = m_control->palette().color(QPalette::Button);
    picture.setMask(picture.createMaskFromColor(face, Qt::MaskInColor));
    return picture;
}

const TControlDragObject *TControlDragObject::of(const QMimeData *data) {
    return qobject_cast<const TControlDragObject *>(data);
}
