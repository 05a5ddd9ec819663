// Retuning a track by dragging its edit up or down the track panel and
// dropping it at the height of the new frequency.

#include "app/TPSKForm.h"
#include "modem/Modem.h"
#include "tracks/TControlDragObject.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>

TControlDragObject *TPSKForm::EditStartDrag(QLineEdit *sender, QPoint grab) {
    DragObject = new TControlDragObject(sender, grab);
    return DragObject;
}

void TPSKForm::EditEndDrag() {
    // The drag that carried the object destroys it.
    DragObject = nullptr;
}

bool TPSKForm::TabDragOver(const QMimeData *source, QPoint pos) const {
    // Only the free area of the panel takes a track: over the waterfall strip
    // or another edit the drop does nothing.
    return TControlDragObject::of(source) && !TBTerm->childAt(pos);
}

void TPSKForm::TabDragDrop(const QMimeData *source, QPoint pos) {
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
    RXSpin->setValue(f);
    if (NETCheck->isChecked())
        TXSpin->setValue(RXSpin->value());
    if (AFCCheck->isChecked())
        m_modem.fnSetAFCLimit(AFCSpin->value(), ActiveTrack);
    QTextCursor caret = RXBuf->textCursor();
    caret.insertText(clipboard->text());
    RXBuf->setTextCursor(caret);
}
