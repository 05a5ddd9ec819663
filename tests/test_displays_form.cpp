// The displays in the main window, driven through a recording modem: what a
// data-ready message, a repaint, a resize, a mouse move and the sound card's
// start and stop do to them.

#include "FormFixture.h"
#include "base/AppImages.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"
#include "displays/FrequencyMap.h"
#include "displays/WaterfallRenderer.h"
#include "lang/Strings.h"
#include "modem/ModemEvent.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>

namespace {

const QRgb Lime = qRgb(0, 255, 0);
const QRgb White = qRgb(255, 255, 255);

QRgb px(const QImage &img, int x, int y) {
    return img.pixel(x, y) | 0xFF000000u;
}

bool hasColor(const QImage &img, QRgb color) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (px(img, x, y) == color)
                return true;
    return false;
}

// How many columns of the waterfall, from the left, show a colour (on a row
// the scale leaves alone).
int columnsOf(const QImage &img, QRgb color) {
    int n = 0;
    while (n < img.width() && px(img, n, 3) == color)
        ++n;
    return n;
}

void dataReady(TPSKForm &f) {
    ModemEvent e(ModemEvent::DataReady, 0, 0);
    QCoreApplication::sendEvent(&f, &e);
}

void moveMouse(QWidget *w, int x, int y) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

// A shown window at the design size with the sound card started.
TPSKForm &running(FormFixture &fx) {
    TPSKForm &f = fx.create();
    f.show();
    if (!QTest::qWaitForWindowExposed(&f))
        qFatal("the window never showed");
    fx.connect();
    return f;
}

} // namespace

class TestDisplaysForm : public QObject {
    Q_OBJECT

private slots:
    void idleLook() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        // Repaints of a stopped window draw the idle look of every view.
        const QImage wf = f.displays().WaterfallDisplay->image();
        QCOMPARE(wf.size(), f.displays().WaterfallDisplay->size());
        QVERIFY(!hasColor(wf, qRgb(64, 64, 64))); // no scale
        QCOMPARE(px(f.displays().SpectrumDisplay->image(), 0, 14), qRgb(128, 128, 128));
        QVERIFY(!hasColor(f.displays().SpectrumDisplay->image(), Lime));
        QCOMPARE(f.displays().WaterfallDisplay->cursor().shape(), Qt::ArrowCursor);
    }

    // One data-ready message: a column in the ramp's colour at the left of
    // the waterfall with the scale over it, the spectrum's curve, the sync
    // bars and the vectors.
    void dataReadyDrawsEveryView() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        fx.modem.fftFill = 64;
        // The recording modem leaves these as they are.
        f.displays().SyncData.fill(500);
        f.displays().VectorData[0] = 1000;
        dataReady(f);
        const QImage wf = f.displays().WaterfallDisplay->image();
        QCOMPARE(wf.size(), QSize(60, f.displays().WaterfallDisplay->height()));
        QCOMPARE(px(wf, 0, 5), WaterfallRenderer::color(64));
        QCOMPARE(px(wf, 1, 5), qRgb(0, 0, 0));
        const int row1000 = bandMap(f.displays()).markPosition(1000, wf.height());
        QCOMPARE(px(wf, 20, row1000), qRgb(64, 64, 64));
        // The history itself carries no scale: it would scroll otherwise.
        dataReady(f);
        QCOMPARE(px(f.displays().WaterfallDisplay->image(), 1, row1000 + 1), WaterfallRenderer::color(64));
        QCOMPARE(px(f.displays().SpectrumDisplay->image(), 100, 54), Lime);
        QCOMPARE(px(f.displays().SyncDisplay->image(), 19, 54), Lime);
        QCOMPARE(px(f.displays().VECDisplay->image(), 47, 24), qRgb(255, 255, 0));
    }

    // A repaint asked for by the windowing system adds a column too; the
    // copies of our own frames do not.
    void repaintAdvancesTheWaterfall() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        fx.modem.fftFill = 30;
        dataReady(f);
        dataReady(f);
        QCOMPARE(columnsOf(f.displays().WaterfallDisplay->image(), WaterfallRenderer::color(30)), 2);
        f.displays().WaterfallDisplay->repaint();
        QCOMPARE(columnsOf(f.displays().WaterfallDisplay->image(), WaterfallRenderer::color(30)), 3);
    }

    void resizeBlanksTheHistory() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        fx.modem.fftFill = 30;
        for (int i = 0; i < 5; ++i)
            dataReady(f);
        fx.modem.fftFill = 90;
        f.resize(900, 700);
        QCoreApplication::processEvents();
        dataReady(f);
        const QImage wf = f.displays().WaterfallDisplay->image();
        QCOMPARE(wf.size(), f.displays().WaterfallDisplay->size());
        QVERIFY(!hasColor(wf, WaterfallRenderer::color(30)));
        QCOMPARE(px(wf, 0, 3), WaterfallRenderer::color(90));
        QCOMPARE(px(wf, 40, wf.height() / 2 + 3), qRgb(0, 0, 0));
    }

    void stopLeavesTheIdleLook() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        fx.modem.fftFill = 50;
        dataReady(f);
        f.toolBar().Connection->trigger();
        QVERIFY(!f.link().SoundCardActive);
        QVERIFY(!hasColor(f.displays().WaterfallDisplay->image(), WaterfallRenderer::color(50)));
        QVERIFY(!hasColor(f.displays().WaterfallDisplay->image(), qRgb(64, 64, 64)));
        QVERIFY(!hasColor(f.displays().SpectrumDisplay->image(), Lime));
        QVERIFY(!hasColor(f.displays().SyncDisplay->image(), Lime));
        QCOMPARE(f.displays().WaterfallDisplay->cursor().shape(), Qt::ArrowCursor);
    }

    // The readout shows the frequency under the mouse, running or not.
    void readouts_data() {
        QTest::addColumn<bool>("active");
        QTest::addColumn<bool>("spectrum");
        QTest::addColumn<int>("pos");
        QTest::addColumn<QString>("text");
        QTest::newRow("waterfall top") << false << false << 0 << "100Hz";
        QTest::newRow("waterfall running") << true << false << 135 << "1100Hz";
        QTest::newRow("spectrum left") << false << true << 0 << "100Hz";
        QTest::newRow("spectrum column 100") << true << true << 100 << "1079Hz";
    }
    void readouts() {
        QFETCH(bool, active);
        QFETCH(bool, spectrum);
        QFETCH(int, pos);
        QFETCH(QString, text);
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        if (active)
            fx.connect();
        // The design height of the strip is 459; the rule is scaled to it.
        f.displays().WaterfallDisplay->setFixedHeight(459);
        QCoreApplication::processEvents();
        if (spectrum)
            moveMouse(f.displays().SpectrumDisplay, pos, 20);
        else
            moveMouse(f.displays().WaterfallDisplay, 30, pos);
        QCOMPARE(f.status().StatusBar->panelText(1), text);
    }

    // Each open track gets a white line one row below the row of its
    // frequency and its edit beside the strip, coloured as active or not; a
    // confirmed removal happens after this paint has drawn it one last time.
    void tracksOnTheWaterfall() {
        FormFixture fx;
        fx.storeText("[Look]\nACCColor=255\nACCFtColor=65535\nOTHColor=16711680\nOTHFtColor=65280\n");
        TPSKForm &f = running(fx);
        QLineEdit *active = fx.addTrack(0);
        QLineEdit *other = fx.addTrack(3);
        f.tracks().ActiveTrack = 0;
        fx.modem.rxFrequency = 1100;
        f.tracks().PendingTrackDelete = 3;
        fx.modem.calls.clear();
        dataReady(f);
        const int h = f.displays().WaterfallDisplay->height();
        const int y = (1100 - 100) * h / 3400;
        const QImage wf = f.displays().WaterfallDisplay->image();
        QCOMPARE(px(wf, 0, y + 1), White);
        QCOMPARE(px(wf, 58, y + 1), White);
        QVERIFY(px(wf, 59, y + 1) != White);
        QCOMPARE(active->y(), y - 4);
        QCOMPARE(active->width(), f.tracks().TBTerm->width() - f.tracks().WaterPanel->width());
        QCOMPARE(active->palette().color(QPalette::Base), QColor(255, 0, 0));
        QCOMPARE(active->palette().color(QPalette::Text), QColor(255, 255, 0));
        QCOMPARE(other->palette().color(QPalette::Base), QColor(0, 0, 255));
        QCOMPARE(other->palette().color(QPalette::Text), QColor(0, 255, 0));
        // The last read is the dispatch's own, for the receive spin box.
        QCOMPARE(fx.modem.callsOf({"fnGetRXFrequency", "fnEnableRXChannel"}),
                 QStringList({"fnGetRXFrequency(0)", "fnGetRXFrequency(3)", "fnEnableRXChannel(3,0)",
                              "fnGetRXFrequency(0)"}));
        QCOMPARE(f.tracks().TrackTable[3], nullptr);
        QCOMPARE(f.tracks().TrackCount, 1);
        QCOMPARE(f.tracks().PendingTrackDelete, -1);
        fx.modem.calls.clear();
        dataReady(f);
        QCOMPARE(fx.modem.callsOf({"fnGetRXFrequency"}),
                 QStringList({"fnGetRXFrequency(0)", "fnGetRXFrequency(0)"}));
    }

    void cursorFollowsTheSetting_data() {
        QTest::addColumn<int>("number");
        QTest::addColumn<QPoint>("hotSpot");
        QTest::newRow("CRMAIN") << 1 << QPoint(29, 12);
        QTest::newRow("CRPSK") << 2 << QPoint(21, 15);
        QTest::newRow("CRFLECHE") << 3 << QPoint(31, 15);
        QTest::newRow("CRCROIX") << 4 << QPoint(15, 15);
        QTest::newRow("CRSPLIT") << 5 << QPoint(16, 15);
    }
    void cursorFollowsTheSetting() {
        QFETCH(int, number);
        QFETCH(QPoint, hotSpot);
        FormFixture fx;
        fx.storeText(QStringLiteral("[Settings]\nWCursor=%1\n").arg(number).toLatin1());
        TPSKForm &f = fx.create();
        fx.connect();
        QCOMPARE(f.displays().WaterfallDisplay->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(f.displays().WaterfallDisplay->cursor().hotSpot(), hotSpot);
    }

    // The trace follows RawData only while the Signal page shows.
    void signalViewOnlyOnItsPage() {
        FormFixture fx;
        TPSKForm &f = running(fx);
        dataReady(f);
        QVERIFY(!hasColor(f.displays().SignalDisplay->image(), Lime));
        f.displays().Monitor->setCurrentIndex(1);
        dataReady(f);
        QCOMPARE(px(f.displays().SignalDisplay->image(), 100, 27), Lime); // silence: the middle row
        f.displays().Monitor->setCurrentIndex(0);
        f.displays().SignalDisplayPaint();
        QVERIFY(!hasColor(f.displays().SignalDisplay->image(), Lime));
    }

    // The rightmost 119 pixels of the information panel show the library's
    // credit line, which then stays.
    void creditLine() {
        FormFixture fx;
        TPSKForm &f = fx.create();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QString version = f.status().Infopanel->caption();
        const int w = f.status().Infopanel->width();
        moveMouse(f.status().Infopanel, w - 119, 5);
        QCOMPARE(f.status().Infopanel->caption(), version);
        moveMouse(f.status().Infopanel, w - 118, 5);
        QCOMPARE(f.status().Infopanel->caption(), LcfLoadString(Str::LibraryCredit));
        moveMouse(f.status().Infopanel, 10, 5);
        QCOMPARE(f.status().Infopanel->caption(), LcfLoadString(Str::LibraryCredit));
    }

    // Bands edited by hand and windows shrunk to nothing: every paint and
    // readout still runs.
    void oddBandsAndSizes_data() {
        QTest::addColumn<int>("wfMin");
        QTest::addColumn<int>("wfMax");
        QTest::addColumn<QSize>("size");
        QTest::newRow("zero span") << 1000 << 1000 << QSize(749, 530);
        QTest::newRow("reversed") << 3000 << 500 << QSize(749, 530);
        QTest::newRow("beyond the FFT") << 0 << 100000 << QSize(749, 530);
        QTest::newRow("negative") << -5000 << -100 << QSize(749, 530);
        QTest::newRow("extreme") << INT_MIN << INT_MAX << QSize(749, 530);
        QTest::newRow("shrunk to nothing") << 100 << 3500 << QSize(1, 1);
    }
    void oddBandsAndSizes() {
        QFETCH(int, wfMin);
        QFETCH(int, wfMax);
        QFETCH(QSize, size);
        FormFixture fx;
        TPSKForm &f = running(fx);
        // As if the band had reached the window unchecked.
        const FrequencyMap band = FrequencyMap::forBand(wfMin, wfMax);
        f.settings().WFMin = wfMin;
        f.settings().WFMax = wfMax;
        f.displays().WFSpan = band.wfSpan;
        f.displays().FFTLowBin = band.lowBin;
        f.displays().FFTHighBin = band.highBin;
        f.resize(size);
        f.displays().Monitor->setCurrentIndex(1);
        fx.modem.fftFill = 70;
        fx.modem.rxFrequency = 1500;
        fx.addTrack(0);
        for (int i = 0; i < 3; ++i)
            dataReady(f);
        QCoreApplication::processEvents();
        moveMouse(f.displays().WaterfallDisplay, 0, 10);
        moveMouse(f.displays().SpectrumDisplay, 10, 0);
        QVERIFY(f.status().StatusBar->panelText(1).endsWith("Hz"));
        f.toolBar().Connection->trigger();
        QVERIFY(!f.link().SoundCardActive);
    }
};

QTEST_MAIN(TestDisplaysForm)
#include "test_displays_form.moc"
