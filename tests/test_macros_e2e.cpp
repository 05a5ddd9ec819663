// The wizard's general call on the real modem library, with its loopback:
// the transmitted audio comes back into the input and a track copies it.
// The call is launched once with the button M1 and once with F1.

#include "MainWindowParts.h"
#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/SettingsStore.h"
#include "base/Widgets.h"
#include "displays/FrequencyMap.h"
#include "macros/TWizForm.h"
#include "modem/PskModem.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int DecodeTimeout = 180000;

// The library, with the transmit controls it is given written down.
struct WatchedModem : PskModem {
    QStringList controls;
    int starts = 0;
    void fnStartTX(int32_t mode) override {
        ++starts;
        PskModem::fnStartTX(mode);
    }
    void fnSendTXCharacter(int32_t code, int32_t control) override {
        if (control)
            controls << (code == 2 ? QStringLiteral("CWID") : QStringLiteral("ETX"));
        PskModem::fnSendTXCharacter(code, control);
    }
};

struct RealWindow {
    WatchedModem modem;
    ScriptedDialogs dialogs;
    Clock clock;
    SettingsStore store;
    TPSKForm form;

    explicit RealWindow(const QString &ini) : store(ini), form(modem, store, dialogs, clock) {
        form.resize(749, 530);
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("the window never showed");
    }
};

int rowOf(TPSKForm &f, int hz) {
    const int h = f.displays().WaterfallDisplay->height();
    const FrequencyMap band = bandMap(f.displays());
    int y = band.positionOf(hz, h);
    if (qAbs(band.frequencyAt(y + 1, h) - hz) < qAbs(band.frequencyAt(y, h) - hz))
        ++y;
    return y;
}

} // namespace

class TestMacrosEndToEnd : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void generalCallOnTheLoopback() {
        const QString config = m_dir.filePath(QStringLiteral("pskmodem.conf"));
        QFile cfg(config);
        QVERIFY(cfg.open(QIODevice::WriteOnly));
        cfg.write("input = loopback\nsim_noise = -50\nsim_seed = 3\nwav_speed = 2\n");
        cfg.close();
        qputenv("PSKMODEM_CONFIG", config.toLocal8Bit());

        RealWindow w(m_dir.filePath(QStringLiteral("VARNEK.conf")));
        TPSKForm &f = w.form;
        MacroBar &bar = f.macros();
        bar.runWizard = [](TWizForm &wizard) {
            wizard.show();
            wizard.CallEdit->clear();
            QTest::keyClicks(wizard.CallEdit, QStringLiteral("Q7XYZ"));
            QTest::mouseClick(wizard.CreateBtn, Qt::LeftButton);
            return wizard.result();
        };
        f.toolBar().WizardDialog->trigger();
        QCOMPARE(bar.MacroButtons[0]->text(), QStringLiteral("CQ CQ..."));
        QVERIFY(!bar.MacroButtons[0]->isEnabled()); // the sound card is not running yet

        f.toolBar().Connection->trigger();
        QVERIFY2(f.link().SoundCardActive, qPrintable(w.dialogs.texts().join(", ")));
        QTest::mouseClick(f.displays().WaterfallDisplay, Qt::LeftButton, {}, QPoint(30, rowOf(f, 1200)));
        QCOMPARE(f.tracks().TrackCount, 1);
        QLineEdit *track = f.tracks().TrackTable[static_cast<size_t>(f.tracks().ActiveTrack)];
        QVERIFY(track);
        QVERIFY(qAbs(f.tuning().TXSpin->value() - 1200) < 8);
        QVERIFY(bar.MacroButtons[0]->isEnabled());

        const QString heard = QStringLiteral("cq cq cq de Q7XYZ");
        auto sendOnce = [&](const std::function<void()> &launch, int round) {
            QElapsedTimer timer;
            timer.start();
            track->clear();
            launch();
            QCOMPARE(w.modem.starts, round); // keyed by the macro's \t
            QTRY_VERIFY_WITH_TIMEOUT(f.transmit().Transmitting, 10000);
            QTRY_VERIFY_WITH_TIMEOUT(!f.transmit().Transmitting, DecodeTimeout);
            QCOMPARE(w.modem.controls.mid((round - 1) * 2), (QStringList{"CWID", "ETX"}));
            // Back in receive (status 0): the Transmit button offers to transmit again.
            QCOMPARE(f.toolBar().Transmit->toolTip(), QStringLiteral("Toggle to transmit mode"));
            QTRY_VERIFY2_WITH_TIMEOUT(track->text().contains(heard), qPrintable(track->text()), 10000);
            QVERIFY2(track->text().count(heard) >= 2, qPrintable(track->text()));
            qInfo("round %d: sent and copied in %lld ms: %s", round, timer.elapsed(),
                  qPrintable(track->text().left(120)));
        };
        sendOnce([&] { QTest::mouseClick(bar.MacroButtons[0], Qt::LeftButton); }, 1);
        sendOnce([&] { QTest::keyClick(f.windowHandle(), Qt::Key_F1); }, 2);
        // Both transmissions show in the receive pane. (The two line ends after
        // \z stay queued in the library for the next transmission, so it does
        // not report an emptied queue at the end.)
        QCOMPARE(f.qso().RXBuf->toPlainText().count(QStringLiteral("Transmission started...")), 2);
        f.toolBar().Connection->trigger();
    }
};

QTEST_MAIN(TestMacrosEndToEnd)
#include "test_macros_e2e.moc"
