// Cost of one data-ready update of the main window: the handler fetches the
// display data and paints all five displays (spectrum, waterfall, signal,
// sync, vectors) and the level bar, each shown with one copy. The library
// posts 8 updates a second, so the budget is 128 ms; the figure that matters
// is the share of it one update takes.
//
// Usage: bench_displays [updates]   (default 2000; runs on the offscreen
// platform unless QT_QPA_PLATFORM says otherwise)

#include "app/MainToolBar.h"
#include "app/TPSKForm.h"
#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/SettingsStore.h"
#include "base/Widgets.h"
#include "displays/DisplayPanel.h"
#include "modem/Modem.h"
#include "modem/ModemEvent.h"
#include "modem/SoundCardLink.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

namespace {

constexpr double BudgetMs = 128.0;

// A modem that answers at once with data shaped like a real band: a noise
// floor, three signals, a sine on the raw input, sync and vectors.
class BenchModem : public Modem {
public:
    int32_t fnStartSoundCard(QObject *, int32_t, int32_t, int32_t) override { return 0; }
    void fnStopSoundCard() override {}
    int32_t fnGetDLLVersion() override { return 100; }
    int32_t fnSetComPort(int32_t, int32_t) override { return 1; }
    void fnSetClockErrorAdjustment(int32_t) override {}
    void fnSetFFTMode(int32_t, int32_t, int32_t) override {}
    int32_t fnGetFFTData(int32_t *buffer, int32_t first, int32_t last) override {
        for (int32_t i = std::max(first, 0); i <= last && i < 1024; ++i) {
            int v = int(m_rng() % 25);
            if (i == 256 || i == 384 || i == 512)
                v = 85;
            buffer[i] = v;
        }
        return 0;
    }
    int32_t fnGetRawData(int32_t *buffer, int32_t first, int32_t last) override {
        for (int32_t i = std::max(first, 0); i <= last && i < 2048; ++i)
            buffer[i] = int32_t(3000 * std::sin(i * 0.785398));
        return last - first + 1;
    }
    int32_t fnGetSignalLevel(int32_t) override { return int32_t(m_rng() % 101); }
    void fnGetSyncData(int32_t *buffer16, int32_t) override {
        for (int k = 0; k < 16; ++k)
            buffer16[k] = int32_t(m_rng() % 1001);
    }
    void fnGetVectorData(int32_t *buffer16, int32_t) override {
        for (int k = 0; k < 16; ++k)
            buffer16[k] = int32_t(m_rng() % 2001) - 1000;
    }
    void fnEnableRXChannel(int32_t, int32_t) override {}
    void fnSetRXFrequency(int32_t, int32_t, int32_t) override {}
    int32_t fnGetRXFrequency(int32_t) override { return 1000; }
    void fnSetRXPSKMode(int32_t, int32_t) override {}
    void fnSetAFCLimit(int32_t, int32_t) override {}
    void fnSetSquelchThreshold(int32_t, int32_t, int32_t) override {}
    void fnSetTXFrequency(int32_t) override {}
    void fnStartTX(int32_t) override {}
    void fnStopTX() override {}
    void fnAbortTX() override {}
    void fnClearTXBuffer() override {}
    int32_t fnGetTXCharsRemaining() override { return 0; }
    void fnSendTXCharacter(int32_t, int32_t) override {}
    void fnSetCWIDString(const char *) override {}
    void fnSetCWIDSpeed(int32_t) override {}
    void fnRewindInput(int32_t) override {}

private:
    std::minstd_rand m_rng{7};
};

class SilentDialogs : public Dialogs {
public:
    void message(Icon, const QString &, const QString &) override {}
    Answer askYesNo(Icon, const QString &, const QString &, Answer a) override { return a; }
    void beep() override {}
};

struct Figures {
    double meanUs, medianUs, p99Us;
};

Figures measure(TPSKForm &f, int updates) {
    auto update = [&f] {
        ModemEvent e(ModemEvent::DataReady, 0, 0);
        QCoreApplication::sendEvent(&f, &e);
    };
    for (int i = 0; i < 100; ++i)
        update();
    QCoreApplication::processEvents();
    std::vector<double> us;
    us.reserve(size_t(updates));
    QElapsedTimer t;
    for (int i = 0; i < updates; ++i) {
        t.start();
        update();
        us.push_back(double(t.nsecsElapsed()) / 1000.0);
        // The level bar and the status bar repaint from the event loop, as
        // between two real updates.
        if (i % 8 == 7)
            QCoreApplication::processEvents();
    }
    double sum = 0;
    for (double v : us)
        sum += v;
    std::sort(us.begin(), us.end());
    return {sum / double(us.size()), us[us.size() / 2], us[us.size() * 99 / 100]};
}

// One paint on its own, its copy to the screen included.
double paintUs(DisplayPanel &d, void (DisplayPanel::*paint)(), int updates) {
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < updates; ++i)
        (d.*paint)();
    return double(t.nsecsElapsed()) / 1000.0 / updates;
}

void report(const char *what, const Figures &fig) {
    std::printf("  %-34s mean %7.1f us  median %7.1f us  p99 %7.1f us  = %5.3f %% of 128 ms\n", what,
                fig.meanUs, fig.medianUs, fig.p99Us, fig.meanUs / (BudgetMs * 10.0));
}

} // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int updates = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;

    QTemporaryDir dir;
    BenchModem modem;
    SilentDialogs dialogs;
    Clock clock;
    SettingsStore store(dir.filePath(QStringLiteral("bench.conf")));
    TPSKForm form(modem, store, dialogs, clock);

    std::printf("One data-ready update, all displays, default band 100..3500 Hz, %d updates each\n", updates);
    const QSize sizes[] = {QSize(749, 530), QSize(1920, 1080)};
    for (const QSize &size : sizes) {
        form.resize(size);
        form.show();
        QCoreApplication::processEvents();
        if (!form.link().SoundCardActive)
            form.toolBar().Connection->trigger();
        QCoreApplication::processEvents();
        std::printf("window %dx%d (waterfall %dx%d):\n", size.width(), size.height(),
                    form.displays().WaterfallDisplay->width(), form.displays().WaterfallDisplay->height());
        // Page 0 shows the spectrum; on page 1 the raw data are fetched and
        // the signal trace is drawn as well.
        form.displays().Monitor->setCurrentIndex(0);
        QCoreApplication::processEvents();
        report("Spectrum page", measure(form, updates));
        form.displays().Monitor->setCurrentIndex(1);
        QCoreApplication::processEvents();
        report("Signal page (all five painted)", measure(form, updates));
        form.displays().Monitor->setCurrentIndex(2);
        QCoreApplication::processEvents();
        report("Sync page", measure(form, updates));
        std::printf("  each paint on the Sync page: spectrum %.1f us, waterfall %.1f us, sync %.1f us, "
                    "vectors %.1f us\n",
                    paintUs(form.displays(), &DisplayPanel::SpectrumDisplayPaint, updates),
                    paintUs(form.displays(), &DisplayPanel::WaterfallDisplayPaint, updates),
                    paintUs(form.displays(), &DisplayPanel::SyncroDisplayPaint, updates),
                    paintUs(form.displays(), &DisplayPanel::VectorDisplayPaint, updates));
        form.displays().Monitor->setCurrentIndex(1);
        QCoreApplication::processEvents();
        std::printf("  signal paint on its page: %.1f us\n",
                    paintUs(form.displays(), &DisplayPanel::SignalDisplayPaint, updates));
    }
    form.toolBar().Connection->trigger();
    return 0;
}
