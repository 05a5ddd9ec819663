// The track panel's part of each waterfall paint: every open track's line on
// the frame, its edit moved beside the strip at the height of its frequency
// and coloured as active or not, and then the removal the operator confirmed.
// The waterfall paint calls these between its new column and its scale, and
// last, while the sound card runs.

#include "app/SettingsStore.h"
#include "app/TPSKForm.h"
#include "app/Widgets.h"
#include "displays/FrequencyMap.h"
#include "displays/WaterfallRenderer.h"
#include "modem/Modem.h"

#include <QFrame>
#include <QLineEdit>
#include <algorithm>

void TPSKForm::TrackLayout(QImage &frame) {
    const int h = WaterfallDisplay->height();
    const FrequencyMap band = bandMap(*this);
    const int width = TBTerm->width() - WaterPanel->width();
    for (int i = 0; i < TrackSlots; ++i) {
        QLineEdit *edit = TrackTable[static_cast<size_t>(i)];
        if (!edit)
            continue;
        // The frequency lives in the library, which AFC may move.
        const int y = band.positionOf(m_modem.fnGetRXFrequency(i), h);
        WaterfallRenderer::drawTrackLine(frame, y);
        // The strip's row 0 is one pixel below the top of the track panel
        // (inside WaterPanel's border), so the edit's top stands at y - 4
        // there. A frequency far outside the band only parks the edit well
        // out of sight; its place is bounded so Qt's geometry cannot overflow.
        edit->move(0, std::clamp(y, -100000, 100000) - 4);
        edit->resize(width, edit->height());
        const bool active = i == ActiveTrack;
        const QColor background = colorFromWin(active ? settings.ACCColor : settings.OTHColor);
        const QColor text = colorFromWin(active ? settings.ACCFtColor : settings.OTHFtColor);
        QPalette pal = edit->palette();
        if (pal.color(QPalette::Base) != background || pal.color(QPalette::Text) != text) {
            pal.setColor(QPalette::Base, background);
            pal.setColor(QPalette::Window, background);
            pal.setColor(QPalette::Text, text);
            edit->setPalette(pal);
        }
    }
}

void TPSKForm::RemovePendingTrack() {
    // While a track is dragged its edit must stay; the removal waits for
    // the first repaint after the drop.
    if (PendingTrackDelete == -1 || DragObject)
        return;
    const int slot = PendingTrackDelete;
    PendingTrackDelete = -1;
    // A removal for a slot that is already empty (cleared in the meantime)
    // has nothing left to do: counting it would leave TrackCount below the
    // number of open tracks.
    if (slot < 0 || slot >= TrackSlots || !TrackTable[static_cast<size_t>(slot)])
        return;
    --TrackCount;
    ActiveButtons(TrackCount > 0);
    QLineEdit *edit = TrackTable[static_cast<size_t>(slot)];
    TrackTable[static_cast<size_t>(slot)] = nullptr;
    // This may run inside a paint event; the widget goes once it is over.
    edit->hide();
    edit->deleteLater();
    m_modem.fnEnableRXChannel(slot, 0);
    KeepActiveTrackOpen();
}
