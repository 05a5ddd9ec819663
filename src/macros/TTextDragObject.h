#pragma once
// What a macro's name carries while it is dragged in the macro editor's list:
// the name itself and its picture, the name in white on navy.

#include <QMimeData>
#include <QPixmap>

class TTextDragObject : public QMimeData {
    Q_OBJECT
public:
    explicit TTextDragObject(const QString &text);

    const QString &dragText() const { return m_text; }

    // The name in white in Arial on navy, exactly as large as the text;
    // olive is the transparent colour. Its hot spot is its top-left corner.
    QPixmap GetDragImages();
    static QPoint hotSpot() { return {0, 0}; }

    // The drag object of a drag, or null when the drag carries anything else.
    static const TTextDragObject *of(const QMimeData *data);

    static const QString MimeType;

private:
    QPixmap m_dragImage;
    QString m_text;
};
