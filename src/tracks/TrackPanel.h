#pragma once
// The track panel: up to 25 tracks, each an edit beside the waterfall strip
// showing what its receive channel decodes. It owns the slots, the active
// track, a removal waiting for the next waterfall paint, and retuning by drag
// and drop. It draws its part of each waterfall frame (WaterfallOverlay) and
// tells the modem's parts about the tracks (TrackChannels).

#include "displays/DisplayPanel.h"
#include "modem/TrackChannels.h"

#include <QObject>
#include <QPoint>
#include <array>

class QAction;
class QDrag;
class QFrame;
class QLineEdit;
class QMimeData;
class QPlainTextEdit;
class QTabWidget;
class QWidget;
class Dialogs;
class Modem;
class ReceiveTuning;
class StatusArea;
class TControlDragObject;
struct RunningSettings;

class TrackPanel : public QObject, public WaterfallOverlay, public TrackChannels {
    Q_OBJECT
public:
    TrackPanel(QWidget *parent, QAction *clearTracks, Modem &modem, Dialogs &dialogs,
               const RunningSettings &settings, StatusArea &status, std::function<bool()> soundCardActive);
    // The parts built after the panel: the waterfall goes into the strip, a
    // new track tunes the tuning page, a drop moves text to the receive pane.
    void Attach(DisplayPanel &displays, ReceiveTuning &tuning, QPlainTextEdit *receivePane);

    QTabWidget *PageControl = nullptr;
    QWidget *TBTerm = nullptr;
    QFrame *WaterPanel = nullptr;

    std::array<QLineEdit *, TrackSlots> TrackTable{};
    int TrackCount = 0;
    int ActiveTrack = 0;
    int PendingTrackDelete = -1;
    // The drag object lives from the start of a drag to its end; a removal
    // waits until then.
    TControlDragObject *DragObject = nullptr;

    // The frequency of a height of the waterfall strip: the one rule a
    // click, a drop and the track lines share.
    int FrequencyOfHeight(int y) const;
    void WaterfallMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void EditMouseDown(QLineEdit *sender, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void ClearTrckBtnClick();
    // After a removal the active track moves to an open one, so whatever
    // follows the active track always has an edit and a channel.
    void KeepActiveTrackOpen();
    TControlDragObject *EditStartDrag(QLineEdit *sender, QPoint grab);
    // The drag that carries a track: the edit's picture held where it was
    // grabbed, under the hand cursor.
    QDrag *NewDrag(TControlDragObject *object);
    void EditEndDrag();
    bool TabDragOver(const QMimeData *source, QPoint pos) const;
    void TabDragDrop(const QMimeData *source, QPoint pos);

    // WaterfallOverlay
    void TrackLayout(QImage &frame) override;
    void RemovePendingTrack() override;
    // TrackChannels
    int activeTrack() const override { return ActiveTrack; }
    int trackCount() const override { return TrackCount; }
    QLineEdit *trackEdit(int slot) const override;
    void TrackTeardown() override;

signals:
    // The buttons that need a track go grey or come back.
    void ActiveButtons(bool enable);
    // Every track is closed.
    void tracksClosed();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    Modem &m_modem;
    Dialogs &m_dialogs;
    const RunningSettings &m_settings;
    StatusArea &m_status;
    std::function<bool()> m_soundCardActive;
    DisplayPanel *m_displays = nullptr;
    ReceiveTuning *m_tuning = nullptr;
    QPlainTextEdit *m_receivePane = nullptr;
};
