// The displays on the real modem library reading a recorded 1000 Hz tone:
// the waterfall scrolls with the tone at its row, the spectrum peaks at its
// column, and the readouts name the frequency the scale shows there.
//
// Set VARNEK_SCREENSHOT_DIR to keep pictures of the window.

#include "MainWindowParts.h"
#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/SettingsStore.h"
#include "base/StatusBar.h"
#include "base/Widgets.h"
#include "displays/DisplayRenderers.h"
#include "modem/PskModem.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QRgb Lime = qRgb(0, 255, 0);

int brightness(QRgb c) {
    return qRed(c) + qGreen(c) + qBlue(c);
}

// Row of the brightest pixel of a history column.
int brightestRow(const QImage &img, int x) {
    int best = 0;
    for (int y = 1; y < img.height(); ++y)
        if (brightness(img.pixel(x, y)) > brightness(img.pixel(x, best)))
            best = y;
    return best;
}

// Column whose filled bar reaches highest.
int peakColumn(const QImage &img) {
    int best = -1, bestTop = img.height();
    for (int x = 1; x < img.width(); ++x)
        for (int y = 0; y < bestTop; ++y)
            if ((img.pixel(x, y) | 0xFF000000u) == Lime) {
                best = x;
                bestTop = y;
                break;
            }
    return best;
}

int readoutHz(const TStatusBar *bar) {
    QString t = bar->panelText(1);
    t.chop(2); // "Hz"
    return t.toInt();
}

void moveMouse(QWidget *w, int x, int y) {
    QMouseEvent e(QEvent::MouseMove, QPointF(x, y), w->mapToGlobal(QPointF(x, y)), Qt::NoButton, Qt::NoButton,
                  Qt::NoModifier);
    QCoreApplication::sendEvent(w, &e);
}

} // namespace

class TestDisplaysWav : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // The window, and its displays three times enlarged.
    void keepPicture(TPSKForm &f, const QString &name) {
        const QByteArray env = qgetenv("VARNEK_SCREENSHOT_DIR");
        if (env.isEmpty())
            return;
        const QDir dir(QString::fromLocal8Bit(env));
        f.grab().save(dir.filePath(name + ".png"));
        auto enlarged = [](QWidget *w) { return w->grab().toImage().scaled(w->size() * 3); };
        enlarged(f.displays().WaterfallDisplay).save(dir.filePath(name + "-waterfall.png"));
        enlarged(f.displays().Monitor).save(dir.filePath(name + "-monitor.png"));
    }

private slots:
    void initTestCase() {
        const QString path = m_dir.filePath("pskmodem.conf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        // Four times real time, so the strip fills in a few seconds.
        f.write("input = wav\nwav_file = " VARNEK_TEST_WAV "\nwav_loop = true\nwav_speed = 4\n");
        f.close();
        qputenv("PSKMODEM_CONFIG", path.toLocal8Bit());
    }

    void toneOnEveryDisplay() {
        PskModem modem;
        ScriptedDialogs dialogs;
        Clock clock;
        SettingsStore store(m_dir.filePath("varnek.conf"));
        TPSKForm f(modem, store, dialogs, clock);
        f.resize(749, 530); // the design size
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        f.toolBar().Connection->trigger();
        QVERIFY2(f.link().SoundCardActive, qPrintable(dialogs.texts().join(", ")));

        const WaterfallRenderer &wf = f.displays().Renderers->waterfall;
        const int h = f.displays().WaterfallDisplay->height();
        const FrequencyMap band = bandMap(f.displays());
        const int toneRow = band.positionOf(1000, h);
        // The strip fills up from the left with the tone at its row.
        QTRY_VERIFY_WITH_TIMEOUT(brightness(wf.history().pixel(40, toneRow)) > 300, 15000);
        for (int x : {0, 10, 20, 30, 40}) {
            const int row = brightestRow(wf.history(), x);
            QVERIFY2(qAbs(band.frequencyAt(row, h) - 1000) <= 8, qPrintable(QString::number(row)));
            QVERIFY(brightness(wf.history().pixel(x, band.positionOf(1500, h))) <
                    brightness(wf.history().pixel(x, row)) / 2);
        }
        // The 1000 Hz mark stands where the tone is, and the readout agrees.
        QVERIFY(qAbs(band.markPosition(1000, h) - toneRow) <= 1);
        moveMouse(f.displays().WaterfallDisplay, 30, brightestRow(wf.history(), 0));
        QVERIFY(qAbs(readoutHz(f.status().StatusBar) - 1000) <= 8);

        // The spectrum peaks in the column of bin 256 (1000 Hz), next to the
        // 1000 Hz mark, and its readout says so.
        const int peak = peakColumn(f.displays().SpectrumDisplay->image());
        QCOMPARE(peak, band.binPosition(256, f.displays().SpectrumDisplay->width()));
        QVERIFY(qAbs(band.markPosition(1000, f.displays().SpectrumDisplay->width()) - peak) <= 1);
        moveMouse(f.displays().SpectrumDisplay, peak, 30);
        QVERIFY(qAbs(readoutHz(f.status().StatusBar) - 1000) <= 10);
        keepPicture(f, "displays-spectrum");

        f.displays().Monitor->setCurrentIndex(1);
        QTRY_VERIFY_WITH_TIMEOUT(peakColumn(f.displays().SignalDisplay->image()) >= 0, 5000);
        keepPicture(f, "displays-signal");
        f.displays().Monitor->setCurrentIndex(2);
        QTest::qWait(300);
        keepPicture(f, "displays-sync");

        f.toolBar().Connection->trigger();
        QVERIFY(!f.link().SoundCardActive);
        keepPicture(f, "displays-stopped");
    }
};

QTEST_MAIN(TestDisplaysWav)
#include "test_displays_wav.moc"
