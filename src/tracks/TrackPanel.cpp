// The track panel: opening a track by clicking the waterfall, selecting or
// deleting one by pressing its edit, clearing them all, and the panel's part
// of each waterfall paint.

#include "tracks/TrackPanel.h"

#include "base/Dialogs.h"
#include "base/FormBuild.h"
#include "base/RunningSettings.h"
#include "base/Widgets.h"
#include "displays/WaterfallRenderer.h"
#include "lang/Strings.h"
#include "modem/Modem.h"
#include "modem/ReceiveTuning.h"
#include "status/StatusArea.h"
#include "tracks/TControlDragObject.h"
#include "tracks/TPSKEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <algorithm>

TrackPanel::TrackPanel(QWidget *parent, QAction *clearTracks, Modem &modem, Dialogs &dialogs,
                       const RunningSettings &settings, StatusArea &status,
                       std::function<bool()> soundCardActive)
    : QObject(parent->window()), m_modem(modem), m_dialogs(dialogs), m_settings(settings), m_status(status),
      m_soundCardActive(std::move(soundCardActive)) {
    PageControl = named(new QTabWidget(parent), "PageControl");
    TBTerm = named(new QWidget, "TBTerm");
    TBTerm->setToolTip(QStringLiteral("Track display area"));
    setHelp(TBTerm, "TRK_PNL", 24);
    TBTerm->setAutoFillBackground(true);
    PageControl->addTab(TBTerm, QStringLiteral("Track panel"));
    WaterPanel = named(new QFrame(TBTerm), "WaterPanel");
    WaterPanel->setFrameStyle(QFrame::Box | QFrame::Plain);
    WaterPanel->setLineWidth(1);
    // The strip keeps to the right edge of the page at its fixed width; track
    // edits are placed by hand to its left.
    auto *pageLayout = new QHBoxLayout(TBTerm);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addStretch(1);
    pageLayout->addWidget(WaterPanel);
    WaterPanel->setFixedWidth(62);

    TBTerm->setAcceptDrops(true);
    TBTerm->installEventFilter(this);
    connect(clearTracks, &QAction::triggered, this, &TrackPanel::ClearTrckBtnClick);
}

void TrackPanel::Attach(DisplayPanel &displays, ReceiveTuning &tuning, QPlainTextEdit *receivePane) {
    m_displays = &displays;
    m_tuning = &tuning;
    m_receivePane = receivePane;
    auto *stripLayout = new QHBoxLayout(WaterPanel);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addWidget(displays.WaterfallDisplay);
    displays.WaterfallDisplay->onMousePress = [this](QMouseEvent *e) {
        const QPoint p = e->position().toPoint();
        WaterfallMouseDown(e->button(), e->modifiers(), p.x(), p.y());
    };
    displays.setOverlay(this);
}

bool TrackPanel::eventFilter(QObject *watched, QEvent *e) {
    if (watched != TBTerm)
        return false;
    switch (e->type()) {
    case QEvent::DragEnter: {
        // Taken while it carries a track, so the moves that follow say where
        // it may land.
        auto *de = static_cast<QDragEnterEvent *>(e);
        if (TControlDragObject::of(de->mimeData()))
            de->acceptProposedAction();
        else
            de->ignore();
        return true;
    }
    case QEvent::DragMove: {
        auto *de = static_cast<QDragMoveEvent *>(e);
        if (TabDragOver(de->mimeData(), de->position().toPoint()))
            de->acceptProposedAction();
        else
            de->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto *de = static_cast<QDropEvent *>(e);
        const QPoint pos = de->position().toPoint();
        if (!TabDragOver(de->mimeData(), pos)) {
            de->ignore();
            return true;
        }
        de->acceptProposedAction();
        TabDragDrop(de->mimeData(), pos);
        return true;
    }
    default:
        return false;
    }
}

QLineEdit *TrackPanel::trackEdit(int slot) const {
    return slot >= 0 && slot < TrackSlots ? TrackTable[static_cast<size_t>(slot)] : nullptr;
}

int TrackPanel::FrequencyOfHeight(int y) const {
    return m_displays->band().frequencyAt(y, m_displays->WaterfallDisplay->height());
}

void TrackPanel::WaterfallMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int, int y) {
    if (button != Qt::LeftButton && button != Qt::MiddleButton)
        return;
    if (!m_soundCardActive()) {
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
    emit ActiveButtons(TrackCount > 0);
    if (TrackCount > 0)
        m_tuning->Canal->setEnabled(true);
    // With every slot taken nothing new is made: the click retunes the
    // active track instead.
    if (slot >= 0) {
        ActiveTrack = slot;
        auto *edit = new TPSKEdit(slot, colorFromWin(m_settings.ACCColor),
                                  colorFromWin(m_settings.ACCFtColor), TBTerm);
        TrackTable[static_cast<size_t>(slot)] = edit;
        edit->onMouseDown = [this](TPSKEdit *e, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint p) {
            EditMouseDown(e, b, m, p.x(), p.y());
        };
        edit->onDrag = [this](TPSKEdit *e, QPoint grab) {
            // The drag belongs to the panel, not to the edit, and owns the
            // drag object; the edit is not touched once the drag is over.
            QDrag *drag = NewDrag(EditStartDrag(e, grab));
            drag->exec(Qt::MoveAction);
            delete drag;
            EditEndDrag();
        };
        edit->move(0, y - 5);
        edit->resize(TBTerm->width() - WaterPanel->width(), edit->height());
        edit->show();
    }
    m_modem.fnEnableRXChannel(ActiveTrack, 1);
    m_modem.fnSetRXPSKMode(m_settings.RXMode, ActiveTrack);
    m_tuning->ShowActiveTrack(QLatin1Char(' ') + LcfLoadString(Str::ActiveTrackCaption) + QLatin1Char(' ') +
                              QString::number(ActiveTrack) + QLatin1Char(' '));
    const int f = FrequencyOfHeight(y);
    m_modem.fnSetRXFrequency(f, 0, ActiveTrack);
    m_modem.fnSetTXFrequency(f);
    m_tuning->SetReceiveFrequency(f);
    m_tuning->TXSpin->setValue(f);
    // A new track gets a narrow AFC even with "AFC On" cleared, so it can
    // still pull in a signal clicked a few hertz off.
    m_modem.fnSetAFCLimit(m_tuning->AFCCheck->isChecked() ? m_tuning->AFCSpin->value() : 50, ActiveTrack);
    m_modem.fnSetSquelchThreshold(m_tuning->SQTrack->value(), m_tuning->SQSSPin->value(), ActiveTrack);
}

void TrackPanel::EditMouseDown(QLineEdit *sender, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    // The drag itself is armed by the edit on every press.
    int slot = -1;
    for (int i = 0; i < TrackSlots; ++i)
        if (sender && TrackTable[static_cast<size_t>(i)] == sender)
            slot = i;
    if (slot < 0)
        return;
    if (button == Qt::LeftButton) {
        ActiveTrack = slot;
        m_tuning->ShowActiveTrack(LcfLoadString(Str::ActiveTrackCaption) + QLatin1Char(' ') +
                                  QString::number(slot));
    } else if (button == Qt::RightButton) {
        m_dialogs.beep();
        const QString question = LcfLoadString(Str::DeleteTrackQuestion) + QLatin1Char(' ') +
                                 QString::number(slot) + LcfLoadString(Str::QuestionSuffix);
        if (m_dialogs.askYesNo(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning), question,
                               Dialogs::Answer::Yes) != Dialogs::Answer::Yes)
            return;
        PendingTrackDelete = slot;
        m_status.PostStatusMessage(LcfLoadString(Str::DeletingTrack) + QLatin1Char(' ') +
                                       QString::number(slot) + LcfLoadString(Str::PleaseWait),
                                   22);
    }
}

void TrackPanel::ClearTrckBtnClick() {
    if (m_dialogs.askYesNo(Dialogs::Icon::Warning, LcfLoadString(Str::CaptionWarning),
                           LcfLoadString(Str::ClearAllTracksQuestion),
                           Dialogs::Answer::Yes) != Dialogs::Answer::Yes)
        return;
    // The same steps as when the sound card stops, and then the buttons that
    // need a track go grey.
    TrackTeardown();
    emit ActiveButtons(false);
}

void TrackPanel::TrackTeardown() {
    emit tracksClosed();
    ActiveTrack = 0;
    for (int i = 0; i < TrackSlots; ++i) {
        if (QLineEdit *edit = TrackTable[static_cast<size_t>(i)]) {
            TrackTable[static_cast<size_t>(i)] = nullptr;
            delete edit;
            m_modem.fnEnableRXChannel(i, 0);
        }
    }
    TrackCount = 0;
    PendingTrackDelete = -1;
}

void TrackPanel::KeepActiveTrackOpen() {
    if (TrackCount <= 0 ||
        (ActiveTrack >= 0 && ActiveTrack < TrackSlots && TrackTable[static_cast<size_t>(ActiveTrack)]))
        return;
    for (int i = 0; i < TrackSlots; ++i)
        if (TrackTable[static_cast<size_t>(i)]) {
            ActiveTrack = i;
            m_tuning->ShowActiveTrack(LcfLoadString(Str::ActiveTrackCaption) + QLatin1Char(' ') +
                                      QString::number(i));
            return;
        }
}

void TrackPanel::TrackLayout(QImage &frame) {
    const int h = m_displays->WaterfallDisplay->height();
    const FrequencyMap band = m_displays->band();
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
        const QColor background = colorFromWin(active ? m_settings.ACCColor : m_settings.OTHColor);
        const QColor text = colorFromWin(active ? m_settings.ACCFtColor : m_settings.OTHFtColor);
        QPalette pal = edit->palette();
        if (pal.color(QPalette::Base) != background || pal.color(QPalette::Text) != text) {
            pal.setColor(QPalette::Base, background);
            pal.setColor(QPalette::Window, background);
            pal.setColor(QPalette::Text, text);
            edit->setPalette(pal);
        }
    }
}

void TrackPanel::RemovePendingTrack() {
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
    emit ActiveButtons(TrackCount > 0);
    QLineEdit *edit = TrackTable[static_cast<size_t>(slot)];
    TrackTable[static_cast<size_t>(slot)] = nullptr;
    // This may run inside a paint event; the widget goes once it is over.
    edit->hide();
    edit->deleteLater();
    m_modem.fnEnableRXChannel(slot, 0);
    KeepActiveTrackOpen();
}
