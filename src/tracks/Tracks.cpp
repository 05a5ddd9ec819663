// The track panel: opening a track by clicking the waterfall, selecting or
// deleting one by pressing its edit, and clearing them all.

#include "app/Dialogs.h"
#include "app/SettingsStore.h"
#include "app/TPSKForm.h"
#include "app/Widgets.h"
#include "displays/FrequencyMap.h"
#include "lang/Strings.h"
#include "modem/Modem.h"
#include "tracks/TControlDragObject.h"
#include "tracks/TPSKEdit.h"

#include <QCheckBox>
#include <QDrag>
#include <QFrame>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

int TPSKForm::FrequencyOfHeight(int y) const {
    return bandMap(*this).frequencyAt(y, WaterfallDisplay->height());
}

void TPSKForm::WaterfallMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int y) {
    if (button != Qt::LeftButton && button != Qt::MiddleButton)
        return;
    if (!SoundCardActive) {
        m_dialogs.message(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                          LcfLoadString(Str::ActivateSoundcardFirst));
        return;
    }
    int slot = -1;
    for (int i = 0; i < TrackSlots && slot < 0; ++i)
        if (!TrackTable[static_cast<size_t>(i)])
            slot = i;
    if (slot >= 0)
        ++TrackCount;
    ActiveButtons(TrackCount > 0);
    if (TrackCount > 0)
        Canal->setEnabled(true);
    // With every slot taken nothing new is made: the click retunes the
    // active track instead.
    if (slot >= 0) {
        ActiveTrack = slot;
        auto *edit =
            new TPSKEdit(slot, colorFromWin(settings.ACCColor), colorFromWin(settings.ACCFtColor), TBTerm);
        TrackTable[static_cast<size_t>(slot)] = edit;
        edit->onMouseDown = [this](TPSKEdit *e, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
            EditMouseDown(e, b, m, p.x(), p.y());
        };
        edit->onDrag = [this](TPSKEdit *e, QPoint grab) {
            // The drag belongs to the window, not to the edit, and owns the
            // drag object; the edit is not touched once the drag is over.
            TControlDragObject *object = EditStartDrag(e, grab);
            QDrag drag(this);
            drag.setMimeData(object);
            drag.setPixmap(object->dragImage());
            drag.setHotSpot(object->hotSpot());
            drag.exec(Qt::MoveAction);
            EditEndDrag();
        };
        edit->move(0, y - 5);
        edit->resize(TBTerm->width() - WaterPanel->width(), edit->height());
        edit->show();
    }
    m_modem.fnEnableRXChannel(ActiveTrack, 1);
    m_modem.fnSetRXPSKMode(settings.RXMode, ActiveTrack);
    Canal->setTabText(0, QLatin1Char(' ') + LcfLoadString(Str::ActiveTrackCaption) + QLatin1Char(' ') +
                             QString::number(ActiveTrack) + QLatin1Char(' '));
    const int f = FrequencyOfHeight(y);
    m_modem.fnSetRXFrequency(f, 0, ActiveTrack);
    m_modem.fnSetTXFrequency(f);
    RXSpin->setValue(f);
    TXSpin->setValue(f);
    // A new track gets a narrow AFC even with "AFC On" cleared, so it can
    // still pull in a signal clicked a few hertz off.
    m_modem.fnSetAFCLimit(AFCCheck->isChecked() ? AFCSpin->value() : 50, ActiveTrack);
    m_modem.fnSetSquelchThreshold(SQTrack->value(), SQSSPin->value(), ActiveTrack);
}

void TPSKForm::EditMouseDown(QLineEdit *sender, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    // The drag itself is armed by the edit on every press.
    int slot = -1;
    for (int i = 0; i < TrackSlots; ++i)
        if (sender && TrackTable[static_cast<size_t>(i)] == sender)
            slot = i;
    if (slot < 0)
        return;
    if (button == Qt::LeftButton) {
        ActiveTrack = slot;
        Canal->setTabText(0,
                          LcfLoadString(Str::ActiveTrackCaption) + QLatin1Char(' ') + QString::number(slot));
    } else if (button == Qt::RightButton) {
        m_dialogs.beep();
        const QString question = LcfLoadString(Str::DeleteTrackQuestion) + QLatin1Char(' ') +
                                 QString::number(slot) + LcfLoadString(Str::QuestionSuffix);
        if (m_dialogs.askYesNo(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning), question,
                               Dialogs::Answer::Yes) != Dialogs::Answer::Yes)
            return;
        PendingTrackDelete = slot;
        PostStatusMessage(LcfLoadString(Str::DeletingTrack) + QLatin1Char(' ') + QString::number(slot) +
                              LcfLoadString(Str::PleaseWait),
                          22);
    }
}

void TPSKForm::ClearTrckBtnClick() {
    if (m_dialogs.askYesNo(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                           LcfLoadString(Str::ClearAllTracksQuestion),
                           Dialogs::Answer::Yes) != Dialogs::Answer::Yes)
        return;
    // The same steps as when the sound card stops, and then the buttons that
    // need a track go grey.
    TrackTeardown();
    ActiveButtons(false);
}

void TPSKForm::KeepActiveTrackOpen() {
    if (TrackCount <= 0 ||
        (ActiveTrack >= 0 && ActiveTrack < TrackSlots && TrackTable[static_cast<size_t>(ActiveTrack)]))
        return;
    for (int i = 0; i < TrackSlots; ++i)
        if (TrackTable[static_cast<size_t>(i)]) {
            ActiveTrack = i;
            Canal->setTabText(0,
                              LcfLoadString(Str::ActiveTrackCaption) + QLatin1Char(' ') + QString::number(i));
            return;
        }
}
