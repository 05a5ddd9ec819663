#include "TTextDragObject.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QPainter>

const QString TTextDragObject::MimeType = QStringLiteral("application/x-varnek-macro-name");

TTextDragObject::TTextDragObject(const QString &text) : m_text(text) {
    // Another program would see a plain name; only our own list takes the drop.
    setData(MimeType, text.toUtf8());
}

QPixmap TTextDragObject::GetDragImages() {
    QFont font(QStringLiteral("Arial"));
    const QFontMetrics metrics(font);
    const QSize size(std::max(1, metrics.horizontalAdvance(m_text)), std::max(1, metrics.height()));
    QPixmap image(size);
    image.fill(QColor(0x00, 0x00, 0x80)); // navy
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(QPoint(0, 0), size), Qt::AlignLeft | Qt::AlignTop, m_text);
    }
    image.setMask(image.createMaskFromColor(QColor(0x80, 0x80, 0x00))); // olive
    m_dragImage = image;
    return m_dragImage;
}

const TTextDragObject *TTextDragObject::of(const QMimeData *data) {
    return qobject_cast<const TTextDragObject *>(data);
}
