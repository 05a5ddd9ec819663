// Retuning a track by dragging its edit up or down the track panel and
// dropping it at the height of the new frequency.

#include "base/AppImages.h"
#include "modem/Modem.h"
#include "modem/ReceiveTuning.h"
#include "tracks/TControlDragObject.h"
#include "tracks/TrackPanel.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDrag>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

TControlDragObject *TrackPanel::EditStartDrag(QLineEdit *sender, QPoint grab) {
    DragObject = new TControlDragObject(sender, grab);
    return DragObject;
}

QDrag *TrackPanel::NewDrag(TControlDragObject *object) {
    auto *drag = new QDrag(this);
    drag->setMimeData(object);
    drag->setPixmap(object->dragImage());
    drag->setHotSpot(object->hotSpot());
    // The hand, from the program's own cursors, over the whole drag.
    const QPixmap hand = AppImages::cursor(AppImages::HandCursor).pixmap();
    for (Qt::DropAction action : {Qt::MoveAction, Qt::IgnoreAction})
        drag->setDragCursor(hand, action);
    return drag;
}

void TrackPanel::EditEndDrag() {
    // The drag that carried the object destroys it.
    DragObject = nullptr;
}

bool TrackPanel::TabDragOver(const QMimeData *source, QPoint pos) const {
    // Only the free area of the panel takes a track: over the waterfall strip
    // or another edit the drop does nothing.
    return TControlDragObject::of(source) && !TBTerm->childAt(pos);
}

void TrackPanel::TabDragDrop(const QMimeData *source, QPoint pos) {
    const TControlDragObject *object = TControlDragObject::of(source);
    if (!object || ActiveTrack < 0 || ActiveTrack >= TrackSlots)
        return;
    // A left press made the dragged track active, so the drop acts on the
    // active track whichever edit was carried.
    QLineEdit *edit = TrackTable[static_cast<size_t>(ActiveTrack)];
    if (!edit)
        return;
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    edit->setGeometry(0, pos.y() - object->grabY(), TBTerm->width(), 12);
    // What the track received so far moves to the receive pane by way of the
    // clipboard; the track starts afresh on its new frequency.
    edit->selectAll();
    edit->copy();
    edit->del();
    const int f = FrequencyOfHeight(edit->y() + 6);
    m_modem.fnSetRXFrequency(f, 0, ActiveTrack);
    m_modem.fnSetRXFrequency(f, 0, ActiveTrack);
    m_tuning->SetReceiveFrequency(f);
    if (m_tuning->NETCheck->isChecked())
        m_tuning->TXSpin->setValue(m_tuning->RXSpin->value());
    if (m_tuning->AFCCheck->isChecked())
        m_modem.fnSetAFCLimit(m_tuning->AFCSpin->value(), ActiveTrack);
    QTextCursor caret = m_receivePane->textCursor();
    caret.insertText(clipboard->text());
    m_receivePane->setTextCursor(caret);
}
