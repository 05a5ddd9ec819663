// The track panel driven with the mouse through a recording modem: opening
// tracks on the waterfall, selecting and deleting them, clearing them all,
// and retuning one by dropping its edit.

#include "FormFixture.h"
#include "base/AppImages.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"
#include "displays/FrequencyMap.h"
#include "modem/ModemEvent.h"
#include "tracks/TControlDragObject.h"
#include "tracks/TPSKEdit.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QDrag>
#include <QFrame>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

const QStringList TuningCalls{"fnEnableRXChannel", "fnSetRXPSKMode", "fnSetRXFrequency",
                              "fnSetTXFrequency",  "fnSetAFCLimit",  "fnSetSquelchThreshold"};

TPSKForm &running(FormFixture &fx) {
    TPSKForm &f = fx.create();
    f.show();
    if (!QTest::qWaitForWindowExposed(&f))
        qFatal("the window never showed");
    fx.connect();
    return f;
}

void dataReady(TPSKForm &f) {
    ModemEvent e(ModemEvent::DataReady, 0, 0);
    QCoreApplication::sendEvent(&f, &e);
}

void character(TPSKForm &f, int c, int channel) {
    ModemEvent e(ModemEvent::Character, c, channel);
    QCoreApplication::sendEvent(&f, &e);
}

// Opens a track with a left click on the waterfall at row y.
QLineEdit *clickWaterfall(TPSKForm &f, int y, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(f.displays().WaterfallDisplay, button, {}, QPoint(30, y));
    return f.tracks().TrackTable[static_cast<size_t>(f.tracks().ActiveTrack)];
}

int openSlots(const TPSKForm &f) {
    return static_cast<int>(
        std::count_if(f.tracks().TrackTable.begin(), f.tracks().TrackTable.end(), [](auto *e) { return e; }));
}

// A drag entering the track panel and dropped there, as the windowing
// system delivers them; true when the drop was taken.
bool drop(TPSKForm &f, QMimeData *data, QPoint pos) {
    QDragEnterEvent enter(pos, Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.tracks().TBTerm, &enter);
    QDropEvent e(QPointF(pos), Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.tracks().TBTerm, &e);
    delete data;
    return e.isAccepted();
}

} // namespace

class TestTracksPanel : public QObject {
    Q_OBJECT

private slots:
    // What a press on the waterfall sends, by button and AFC state.
    void openingATrack_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<bool>("afcOn");
        QTest::addColumn<QStringList>("expected"); // %1 is the clicked frequency
        QTest::newRow("left, AFC off gets width 50")
            << Qt::LeftButton << false
            << QStringList{"fnEnableRXChannel(0,1)",   "fnSetRXPSKMode(9,0)",
                           "fnSetRXFrequency(%1,0,0)", "fnSetTXFrequency(%1)",
                           "fnSetAFCLimit(50,0)",      "fnSetSquelchThreshold(30,120,0)"};
        QTest::newRow("middle, AFC on gets its width")
            << Qt::MiddleButton << true
            << QStringList{"fnEnableRXChannel(0,1)",   "fnSetRXPSKMode(9,0)",
                           "fnSetRXFrequency(%1,0,0)", "fnSetTXFrequency(%1)",
                           "fnSetAFCLimit(75,0)",      "fnSetSquelchThreshold(30,120,0)"};
        QTest::newRow("right does nothing") << Qt::RightButton << true << QStringList{};
    }
    void openingATrack() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(bool, afcOn);
        QFETCH(QStringList, expected);
        FormFixture fx;
        TPSKForm &f = running(fx);
        f.settings().RXMode = 9;
        f.tuning().AFCSpin->setValue(75);
        f.tuning().AFCCheck->setChecked(afcOn);
        f.tuning().SQTrack->setValue(30);
        f.tuning().SQSSPin->setValue(120);
        fx.modem.calls.clear();
        const int y = 135;
        const int hz = bandMap(f.displays()).frequencyAt(y, f.displays().WaterfallDisplay->height());
        QTest::mouseClick(f.displays().WaterfallDisplay, button, {}, QPoint(30, y));
        QCOMPARE(fx.modem.callsOf(TuningCalls), expected.replaceInStrings("%1", QString::number(hz)));
        if (expected.isEmpty()) {
            QCOMPARE(f.tracks().TrackCount, 0);
            return;
        }
        QCOMPARE(f.tracks().TrackCount, 1);
        auto *edit = qobject_cast<TPSKEdit *>(f.tracks().TrackTable[0]);
        QVERIFY(edit);
        QCOMPARE(edit->toolTip(),
                 QString("Track #0- Drag me to change frequency\r\nRight click to delete me"));
        QCOMPARE(edit->geometry(),
                 QRect(0, y - 5, f.tracks().TBTerm->width() - f.tracks().WaterPanel->width(), 12));
        QVERIFY(edit->isVisible());
        QCOMPARE(f.tuning().Canal->tabText(0), QString(" Active track 0 "));
        QVERIFY(f.tuning().Canal->isEnabled());
        QVERIFY(f.toolBar().Transmit->isEnabled() && f.toolBar().Tune->isEnabled() &&
                f.toolBar().ClearTracks->isEnabled());
        QCOMPARE(f.tuning().RXSpin->value(), hz);
        QCOMPARE(f.tuning().TXSpin->value(), hz);
    }

    void theTopRowIsTheBottomOfTheBand() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        clickWaterfall(f, 0);
        QCOMPARE(fx.modem.callsOf({"fnSetRXFrequency"}), QStringList{"fnSetRXFrequency(100,0,0)"});
    }

    void aClickWhileStoppedOnlyWarns() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        fx.modem.calls.clear();
        clickWaterfall(f, 50);
        QCOMPARE(fx.dialogs.texts(), QStringList{"Activate the soundcard before creating a new track !"});
        QCOMPARE(fx.dialogs.shown[0].caption, QString("Warning"));
        QCOMPARE(fx.modem.callsOf(TuningCalls), QStringList{});
        QCOMPARE(f.tracks().TrackCount, 0);
        QCOMPARE(openSlots(f), 0);
    }

    // All 25 channels at once: each edit gets its own channel's text, and a
    // further click retunes the active track instead of opening a 26th.
    void twentyFiveTracks() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        for (int i = 0; i < TrackPanel::TrackSlots; ++i)
            clickWaterfall(f, 10 + 15 * i);
        QCOMPARE(f.tracks().TrackCount, 25);
        QCOMPARE(openSlots(f), 25);
        QCOMPARE(f.tracks().ActiveTrack, 24);
        for (int i = 0; i < TrackPanel::TrackSlots; ++i)
            character(f, 'A' + i, i);
        for (int i = 0; i < TrackPanel::TrackSlots; ++i)
            QCOMPARE(f.tracks().TrackTable[static_cast<size_t>(i)]->text(), QString(QChar('A' + i)));

        QTest::mouseClick(f.tracks().TrackTable[7], Qt::LeftButton);
        QCOMPARE(f.tracks().ActiveTrack, 7);
        QCOMPARE(f.tuning().Canal->tabText(0), QString("Active track 7"));
        fx.modem.calls.clear();
        const int hz = bandMap(f.displays()).frequencyAt(300, f.displays().WaterfallDisplay->height());
        clickWaterfall(f, 300);
        QCOMPARE(f.tracks().TrackCount, 25);
        QCOMPARE(f.tracks().ActiveTrack, 7);
        QCOMPARE(fx.modem.callsOf({"fnEnableRXChannel", "fnSetRXFrequency"}),
                 QStringList({"fnEnableRXChannel(7,1)", QString("fnSetRXFrequency(%1,0,7)").arg(hz)}));
        QCOMPARE(f.tracks().TrackTable[7]->text(), QString("H")); // retuned, not replaced
    }

    // A right press asks first; Yes removes the track at the next repaint
    // and its slot is the next one taken.
    void deletingATrack_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void deletingATrack() {
        QFETCH(bool, yes);
        FormFixture fx;
        TPSKForm &f = running(fx);
        for (int y : {40, 80, 120})
            clickWaterfall(f, y);
        QPointer<QLineEdit> second = f.tracks().TrackTable[1];
        fx.dialogs.answers = {yes ? Dialogs::Answer::Yes : Dialogs::Answer::No};
        fx.modem.calls.clear();
        QTest::mouseClick(second, Qt::RightButton);
        QCOMPARE(fx.dialogs.beeps, 1);
        QCOMPARE(fx.dialogs.texts(), QStringList{"Delete track 1 ?"});
        QCOMPARE(f.tracks().ActiveTrack, 2);
        QCOMPARE(f.tracks().PendingTrackDelete, yes ? 1 : -1);
        if (yes) {
            QCOMPARE(f.status().StatusMessage, QString("Deleting track 1. Please wait..."));
            QCOMPARE(f.status().StatusIcon, 22);
        }
        QCOMPARE(f.tracks().TrackTable[1], second.data()); // still there until the repaint
        dataReady(f);
        QCOMPARE(fx.modem.callsOf({"fnEnableRXChannel"}),
                 yes ? QStringList{"fnEnableRXChannel(1,0)"} : QStringList{});
        QCOMPARE(f.tracks().TrackCount, yes ? 2 : 3);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(second.isNull(), yes);
        if (!yes)
            return;
        clickWaterfall(f, 200);
        QCOMPARE(f.tracks().ActiveTrack, 1);
        QCOMPARE(f.tracks().TrackCount, 3);
    }

    // The removal of the active track moves the active track to an open
    // one, so the receive pane and the tuning page never follow an empty
    // slot; removing the last one greys what needs a track.
    void removingTheActiveTrack() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        clickWaterfall(f, 40);
        clickWaterfall(f, 80);
        clickWaterfall(f, 120);
        QCOMPARE(f.tracks().ActiveTrack, 2);
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        QTest::mouseClick(f.tracks().TrackTable[2], Qt::RightButton);
        dataReady(f);
        QCOMPARE(f.tracks().ActiveTrack, 0);
        QCOMPARE(f.tuning().Canal->tabText(0), QString("Active track 0"));
        character(f, 'x', 0);
        QCOMPARE(f.qso().RXBuf->toPlainText(), QString("x"));

        for (int slot : {0, 1}) {
            fx.dialogs.answers = {Dialogs::Answer::Yes};
            QTest::mouseClick(f.tracks().TrackTable[static_cast<size_t>(slot)], Qt::RightButton);
            dataReady(f);
        }
        QCOMPARE(f.tracks().TrackCount, 0);
        QVERIFY(!f.toolBar().Transmit->isEnabled() && !f.toolBar().Tune->isEnabled() &&
                !f.toolBar().SendText->isEnabled());
        QVERIFY(!f.macros().MacroSheet1->isEnabled());
        QVERIFY(f.tuning().Canal->isEnabled()); // a removal leaves the page alone
    }

    // The edit removed had the focus: the focus moves on to another track,
    // whose text must stay as it was and keep growing at its end.
    void removingAFocusedTrackKeepsTheOthersText() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        for (int y : {40, 80, 120})
            clickWaterfall(f, y);
        for (int slot : {0, 1, 2})
            for (QChar c : QString("CQ %1").arg(slot))
                character(f, c.unicode(), slot);
        QLineEdit *second = f.tracks().TrackTable[1];
        QTest::mouseClick(second, Qt::LeftButton);
        QTRY_VERIFY(second->hasFocus());
        fx.dialogs.answers = {Dialogs::Answer::Yes};
        QTest::mouseClick(second, Qt::RightButton);
        dataReady(f);
        QCOMPARE(f.tracks().TrackCount, 2);
        for (int slot : {0, 2})
            character(f, 'k', slot);
        QCOMPARE(f.tracks().TrackTable[0]->text(), QString("CQ 0k"));
        QCOMPARE(f.tracks().TrackTable[2]->text(), QString("CQ 2k"));
    }

    void clearingAllTracks_data() {
        QTest::addColumn<bool>("yes");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }
    void clearingAllTracks() {
        QFETCH(bool, yes);
        FormFixture fx;
        TPSKForm &f = running(fx);
        for (int y : {40, 80, 120})
            clickWaterfall(f, y);
        QTest::mouseClick(f.tracks().TrackTable[1], Qt::LeftButton);
        f.tracks().PendingTrackDelete = 2;
        fx.modem.calls.clear();
        fx.dialogs.answers = {yes ? Dialogs::Answer::Yes : Dialogs::Answer::No};
        QTest::mouseClick(f.toolBar().ClearTrackBtn, Qt::LeftButton);
        QCOMPARE(fx.dialogs.texts(), QStringList{"Clear all tracks ?"});
        if (!yes) {
            QCOMPARE(f.tracks().TrackCount, 3);
            QCOMPARE(f.tracks().ActiveTrack, 1);
            QCOMPARE(fx.modem.calls, QStringList{});
            return;
        }
        QCOMPARE(fx.modem.calls,
                 QStringList({"fnEnableRXChannel(0,0)", "fnEnableRXChannel(1,0)", "fnEnableRXChannel(2,0)"}));
        QCOMPARE(f.tracks().TrackCount, 0);
        QCOMPARE(openSlots(f), 0);
        QCOMPARE(f.tracks().ActiveTrack, 0);
        QCOMPARE(f.tracks().PendingTrackDelete, -1);
        QVERIFY(!f.toolBar().ClearTracks->isEnabled() && !f.toolBar().Transmit->isEnabled());
        QVERIFY(f.tuning().Canal->isEnabled());
        clickWaterfall(f, 60);
        QCOMPARE(f.tracks().ActiveTrack, 0);
    }

    // Dropping the active track's edit on the free area of the panel
    // retunes its channel to the height of the drop and moves its text to
    // the receive pane through the clipboard.
    void droppingATrack_data() {
        QTest::addColumn<bool>("afcOn");
        QTest::addColumn<bool>("netOn");
        QTest::newRow("AFC off, NET off") << false << false;
        QTest::newRow("AFC on, NET on") << true << true;
    }
    void droppingATrack() {
        QFETCH(bool, afcOn);
        QFETCH(bool, netOn);
        FormFixture fx;
        TPSKForm &f = running(fx);
        clickWaterfall(f, 40);
        QLineEdit *edit = clickWaterfall(f, 200);
        QTest::mouseClick(edit, Qt::LeftButton);
        f.tuning().AFCSpin->setValue(60);
        f.tuning().AFCCheck->setChecked(afcOn);
        f.tuning().NETCheck->setChecked(netOn);
        f.tuning().TXSpin->setValue(900);
        edit->setText("CQ CQ de Q9ZZV");
        f.qso().RXBuf->setPlainText("before|after");
        QTextCursor caret = f.qso().RXBuf->textCursor();
        caret.setPosition(7);
        f.qso().RXBuf->setTextCursor(caret);
        QGuiApplication::clipboard()->setText("old clipboard");
        fx.modem.calls.clear();

        const QPoint at(50, 300);
        QVERIFY(drop(f, new TControlDragObject(edit, QPoint(20, 4)), at));
        const int hz =
            bandMap(f.displays()).frequencyAt(at.y() - 4 + 6, f.displays().WaterfallDisplay->height());
        const QString set = QString("fnSetRXFrequency(%1,0,1)").arg(hz);
        QCOMPARE(fx.modem.calls,
                 afcOn ? QStringList({set, set, "fnSetAFCLimit(60,1)"}) : QStringList({set, set}));
        QCOMPARE(edit->text(), QString());
        QCOMPARE(edit->geometry(), QRect(0, at.y() - 4, f.tracks().TBTerm->width(), 12));
        QCOMPARE(f.qso().RXBuf->toPlainText(), QString("before|CQ CQ de Q9ZZVafter"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("CQ CQ de Q9ZZV"));
        QCOMPARE(f.tuning().RXSpin->value(), hz);
        QCOMPARE(f.tuning().TXSpin->value(), netOn ? hz : 900);
        dataReady(f); // the next repaint narrows it again
        QCOMPARE(edit->width(), f.tracks().TBTerm->width() - f.tracks().WaterPanel->width());
    }

    // Only a track dropped on the free area counts: not over the waterfall
    // strip, not over another edit, and nothing but a track.
    void dropsThatAreRefused() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        QLineEdit *first = clickWaterfall(f, 40);
        QLineEdit *second = clickWaterfall(f, 200);
        second->setText("kept");
        fx.modem.calls.clear();
        const QPoint overStrip = f.tracks().WaterPanel->geometry().center();
        const QPoint overEdit = first->geometry().center();
        QVERIFY(!drop(f, new TControlDragObject(second, QPoint(5, 5)), overStrip));
        QVERIFY(!drop(f, new TControlDragObject(second, QPoint(5, 5)), overEdit));
        auto *text = new QMimeData;
        text->setText("hello");
        QVERIFY(!drop(f, text, QPoint(50, 300)));
        QCOMPARE(fx.modem.calls, QStringList{});
        QCOMPARE(second->text(), QString("kept"));
    }

    // The picture dragged is the edit itself, held where it was grabbed; a
    // removal confirmed meanwhile waits until the drag is over.
    void theDragObject() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        QLineEdit *edit = clickWaterfall(f, 100);
        TControlDragObject *object = f.tracks().EditStartDrag(edit, QPoint(17, 5));
        QCOMPARE(f.tracks().DragObject, object);
        QCOMPARE(object->dragImage().size(), edit->size());
        QCOMPARE(object->hotSpot(), QPoint(17, 5));
        f.tracks().PendingTrackDelete = 0;
        dataReady(f);
        QCOMPARE(f.tracks().TrackTable[0], edit);
        delete object; // the drag that carried it would
        f.tracks().EditEndDrag();
        QCOMPARE(f.tracks().DragObject, nullptr);
        dataReady(f);
        QCOMPARE(f.tracks().TrackTable[0], nullptr);
    }

    // A press arms the drag; moving three pixels along either axis with the
    // button held starts it, and it ends (offscreen at once) with the object
    // forgotten.
    void aPressThenAMoveDrags_data() {
        QTest::addColumn<QPoint>("move");
        QTest::addColumn<bool>("drags");
        QTest::newRow("(1,1) stays") << QPoint(1, 1) << false;
        QTest::newRow("(2,1) stays") << QPoint(2, 1) << false;
        QTest::newRow("(2,2) stays") << QPoint(2, 2) << false;
        QTest::newRow("(3,0) drags") << QPoint(3, 0) << true;
        QTest::newRow("(0,-3) drags") << QPoint(0, -3) << true;
    }
    void aPressThenAMoveDrags() {
        QFETCH(QPoint, move);
        QFETCH(bool, drags);
        FormFixture fx;
        TPSKForm &f = running(fx);
        auto *edit = qobject_cast<TPSKEdit *>(clickWaterfall(f, 100));
        QTest::mousePress(edit, Qt::LeftButton, {}, QPoint(10, 5));
        QVERIFY(edit->dragArmed());
        const QPointF to = QPointF(QPoint(10, 5) + move);
        QMouseEvent e(QEvent::MouseMove, to, edit->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(edit, &e);
        QCOMPARE(edit->dragArmed(), !drags);
        QCOMPARE(f.tracks().DragObject, nullptr);
        QCOMPARE(f.tracks().TrackTable[0], edit);
    }

    // While a track is dragged the mouse shows the hand.
    void theDragShowsTheHand() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        QLineEdit *edit = clickWaterfall(f, 100);
        std::unique_ptr<QDrag> drag(f.tracks().NewDrag(f.tracks().EditStartDrag(edit, QPoint(4, 3))));
        const QImage hand = AppImages::cursor(AppImages::HandCursor).pixmap().toImage();
        QVERIFY(!hand.isNull());
        for (Qt::DropAction action : {Qt::MoveAction, Qt::IgnoreAction})
            QCOMPARE(drag->dragCursor(action).toImage(), hand);
        QCOMPARE(drag->hotSpot(), QPoint(4, 3));
        f.tracks().EditEndDrag();
    }
};

QTEST_MAIN(TestTracksPanel)
#include "test_tracks_panel.moc"
