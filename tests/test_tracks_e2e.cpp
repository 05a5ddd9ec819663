// The track panel and the transmit pane on the real modem library, with no
// radio: its simulated band (stations holding contacts, with noise) and its
// loopback (the transmitted audio mixed back into the input). Tracks are
// opened with mouse clicks on the waterfall where the spectrum shows the
// stations, and their text is read back from the track edits and the
// receive pane.
//
// Set VARNEK_SCREENSHOT_DIR to keep a picture of three tracks decoding.

#include "MainWindowParts.h"
#include "ScriptedDialogs.h"
#include "base/Clock.h"
#include "base/SettingsStore.h"
#include "base/Widgets.h"
#include "displays/FrequencyMap.h"
#include "modem/ModemEvent.h"
#include "modem/PskModem.h"

#include <QAction>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <vector>

namespace {

// Decoding at several times real time keeps the test short; under the
// sanitizers the library simply runs behind.
constexpr int DecodeTimeout = 180000;

// A window on the real library, with its own settings file.
struct RealWindow {
    PskModem modem;
    ScriptedDialogs dialogs;
    Clock clock;
    SettingsStore store;
    TPSKForm form;

    explicit RealWindow(const QString &ini) : store(ini), form(modem, store, dialogs, clock) {
        form.resize(749, 530); // the design size
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qFatal("the window never showed");
    }
};

// A station's call after "de": text a receiver copied, never noise.
const QRegularExpression Copied(QStringLiteral("\\bde Q[A-Z]?[0-9][A-Z]{1,3}\\b"));

QStringList callsIn(const QString &text) {
    QStringList calls;
    for (const auto &m : Copied.globalMatch(text))
        calls << m.captured(0).mid(3);
    calls.removeDuplicates();
    return calls;
}

// Counts the library's data-ready updates as the window receives them. Each
// stands for 1024 samples of the band, so counting them measures band time,
// however far a loaded machine lets the library fall behind.
class UpdateCounter : public QObject {
public:
    explicit UpdateCounter(QObject *window) : QObject(window) { window->installEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject *, QEvent *e) override {
        if (ModemEvent::isModemEvent(e) && static_cast<ModemEvent *>(e)->message() == ModemEvent::DataReady)
            ++count;
        return false;
    }
};

// Band time in milliseconds as a number of updates.
int updatesIn(int bandMs) {
    return bandMs * FrequencyMap::SampleRate / 1024 / 1000;
}

// Frequencies of the `count` strongest signals the spectrum shows, from its
// energy summed over bandMs of the band (the stations pause between overs).
QList<int> stationFrequencies(TPSKForm &f, int count, int bandMs) {
    std::vector<double> energy(1024, 0.0);
    UpdateCounter updates(&f);
    int counted = 0;
    QDeadlineTimer deadline(DecodeTimeout);
    while (counted < updatesIn(bandMs) && !deadline.hasExpired()) {
        QTest::qWait(5);
        if (updates.count == counted)
            continue;
        counted = updates.count;
        for (int b = f.displays().FFTLowBin; b <= f.displays().FFTHighBin && b < 1024; ++b)
            energy[static_cast<size_t>(b)] += f.displays().FFTData[static_cast<size_t>(b)];
    }
    std::vector<double> band(energy.begin() + f.displays().FFTLowBin,
                             energy.begin() + std::min(f.displays().FFTHighBin + 1, 1024));
    std::vector<double> sorted = band;
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<long>(sorted.size() / 2), sorted.end());
    const double median = sorted[sorted.size() / 2];
    const double top = *std::max_element(band.begin(), band.end());
    QList<int> found;
    while (found.size() < count) {
        const auto it = std::max_element(band.begin(), band.end());
        if (*it <= median + 0.3 * (top - median))
            break;
        const int bin = f.displays().FFTLowBin + static_cast<int>(it - band.begin());
        found << qRound(bin * double(FrequencyMap::SampleRate) / FrequencyMap::FftLength);
        // Stations stand at least 180 Hz apart: forget this one's skirts.
        for (int b = std::max(0, bin - 30 - f.displays().FFTLowBin);
             b <= bin + 30 - f.displays().FFTLowBin && b < int(band.size()); ++b)
            band[static_cast<size_t>(b)] = median;
    }
    std::sort(found.begin(), found.end());
    QStringList seen;
    for (int hz : found)
        seen << QString::number(hz);
    qInfo("signals at %s Hz", qPrintable(seen.join(", ")));
    return found;
}

// The row of the waterfall whose frequency is nearest to hz.
int rowOf(TPSKForm &f, int hz) {
    const int h = f.displays().WaterfallDisplay->height();
    const FrequencyMap band = bandMap(f.displays());
    int y = band.positionOf(hz, h);
    if (qAbs(band.frequencyAt(y + 1, h) - hz) < qAbs(band.frequencyAt(y, h) - hz))
        ++y;
    return y;
}

QLineEdit *openTrack(TPSKForm &f, int hz) {
    QTest::mouseClick(f.displays().WaterfallDisplay, Qt::LeftButton, {}, QPoint(30, rowOf(f, hz)));
    return f.tracks().TrackTable[static_cast<size_t>(f.tracks().ActiveTrack)];
}

void rightClickYes(RealWindow &w, QLineEdit *edit) {
    w.dialogs.answers = {Dialogs::Answer::Yes};
    QTest::mouseClick(edit, Qt::RightButton);
}

} // namespace

class TestTracksEndToEnd : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void useConfig(const QByteArray &lines) {
        const QString path = m_dir.filePath("pskmodem.conf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(lines);
        f.close();
        qputenv("PSKMODEM_CONFIG", path.toLocal8Bit());
    }

    QString settingsFile(const QString &name) { return m_dir.filePath(name + ".conf"); }

    static void start(RealWindow &w) {
        w.form.toolBar().Connection->trigger();
        if (!w.form.link().SoundCardActive)
            qFatal("the library did not start: %s", qPrintable(w.dialogs.texts().join(", ")));
    }

private slots:
    // Two stations, each copied on its own track; the active one also in
    // the receive pane. Then one track is deleted and the rest cleared.
    void simulatedBand() {
        useConfig("input = simulated\nsim_stations = 2\nsim_seed = 11\nsim_noise = -45\nwav_speed = 4\n");
        RealWindow w(settingsFile("band"));
        TPSKForm &f = w.form;
        start(w);
        const QList<int> stations = stationFrequencies(f, 2, 32000);
        QCOMPARE(stations.size(), 2);

        QElapsedTimer timer;
        timer.start();
        QLineEdit *first = openTrack(f, stations[0]);
        QCOMPARE(f.tracks().ActiveTrack, 0);
        QTRY_VERIFY_WITH_TIMEOUT(callsIn(first->text()).size() > 0, DecodeTimeout);
        QTRY_VERIFY_WITH_TIMEOUT(callsIn(f.qso().RXBuf->toPlainText()).size() > 0, DecodeTimeout);
        qInfo("station at %d Hz copied after %lld ms: %s", stations[0], timer.elapsed(),
              qPrintable(first->text().left(80)));

        timer.restart();
        const QString firstSoFar = first->text();
        QLineEdit *second = openTrack(f, stations[1]);
        QCOMPARE(f.tracks().ActiveTrack, 1);
        QTRY_VERIFY_WITH_TIMEOUT(callsIn(second->text()).size() > 0, DecodeTimeout);
        qInfo("station at %d Hz copied after %lld ms: %s", stations[1], timer.elapsed(),
              qPrintable(second->text().left(80)));
        // Each track copies its own station: the calls heard on the second
        // are not the first one's, and the first goes on receiving.
        const QStringList firstCalls = callsIn(first->text());
        const QStringList secondCalls = callsIn(second->text());
        QVERIFY2(std::any_of(secondCalls.begin(), secondCalls.end(),
                             [&](const QString &c) { return !firstCalls.contains(c); }),
                 qPrintable(firstCalls.join(' ') + " / " + secondCalls.join(' ')));
        QTRY_VERIFY_WITH_TIMEOUT(first->text().size() > firstSoFar.size(), DecodeTimeout);

        rightClickYes(w, first);
        QCOMPARE(f.tracks().TrackTable[0], first);
        QTRY_COMPARE_WITH_TIMEOUT(f.tracks().TrackTable[0], nullptr, 5000);
        QCOMPARE(f.tracks().TrackCount, 1);
        QCOMPARE(f.tracks().ActiveTrack, 1);

        w.dialogs.answers = {Dialogs::Answer::Yes};
        QTest::mouseClick(f.toolBar().ClearTrackBtn, Qt::LeftButton);
        QCOMPARE(f.tracks().TrackCount, 0);
        QVERIFY(std::all_of(f.tracks().TrackTable.begin(), f.tracks().TrackTable.end(),
                            [](auto *e) { return !e; }));
        f.toolBar().Connection->trigger();
    }

    // What the operator types after Transmit goes out and comes back on 25
    // tracks tuned to the transmit frequency; ETX ends the transmission
    // after the text, and the receive pane marks its start and end.
    void loopback() {
        useConfig("input = loopback\nsim_noise = -50\nsim_seed = 3\nwav_speed = 2\n");
        RealWindow w(settingsFile("loopback"));
        TPSKForm &f = w.form;
        start(w);
        for (int i = 0; i < TrackPanel::TrackSlots; ++i)
            openTrack(f, 1200);
        QCOMPARE(f.tracks().TrackCount, 25);
        QCOMPARE(f.tracks().ActiveTrack, 24);
        QVERIFY(qAbs(f.tuning().TXSpin->value() - 1200) < 8);

        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(f.toolBar().TransmitBtn, Qt::LeftButton);
        QVERIFY(f.transmit().TXBuf->hasFocus());
        QTest::keyClicks(f.transmit().TXBuf, "CQ CQ de Q9ZZV Q9ZZV pse k");
        QTest::keyClick(f.transmit().TXBuf, Qt::Key_Return);
        f.transmit().TypeIntoTXBuf(3);
        QTRY_VERIFY_WITH_TIMEOUT(f.transmit().Transmitting, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!f.transmit().Transmitting, DecodeTimeout);
        qInfo("sent and back in receive after %lld ms", timer.elapsed());
        QCOMPARE(f.transmit().TXBuf->toPlainText(), QString()); // emptied once all was sent

        for (int i = 0; i < TrackPanel::TrackSlots; ++i)
            QTRY_VERIFY2_WITH_TIMEOUT(
                f.tracks().TrackTable[static_cast<size_t>(i)]->text().contains("de Q9ZZV Q9ZZV pse k"),
                qPrintable(f.tracks().TrackTable[static_cast<size_t>(i)]->text()), 10000);
        const QString stamp = QStringLiteral("[^\\n]+ \\d{1,2} [^\\n]+ \\d{4}, \\d\\dh\\d\\d \\d\\ds");
        const QRegularExpression pane(QStringLiteral("Transmission started...\\n") + stamp +
                                          QStringLiteral(".*CQ CQ de Q9ZZV Q9ZZV pse k.*") +
                                          QStringLiteral("Transmission stopped...\\n") + stamp,
                                      QRegularExpression::DotMatchesEverythingOption);
        QVERIFY2(pane.match(f.qso().RXBuf->toPlainText()).hasMatch(),
                 qPrintable(f.qso().RXBuf->toPlainText()));
        f.toolBar().Connection->trigger();
        QCOMPARE(f.tracks().TrackCount, 0);
    }

    // Three stations copied at once, for a look at the window.
    void threeTracksDecoding() {
        // Of five stations, three send BPSK31 (the others QPSK31 and BPSK63).
        useConfig("input = simulated\nsim_stations = 5\nsim_seed = 5\nsim_noise = -45\nwav_speed = 8\n");
        RealWindow w(settingsFile("three"));
        TPSKForm &f = w.form;
        start(w);
        const QList<int> stations = stationFrequencies(f, 5, 48000);
        QCOMPARE(stations.size(), 5);
        QList<QLineEdit *> tracks;
        for (int hz : stations)
            tracks << openTrack(f, hz);
        auto copying = [&] {
            return std::count_if(tracks.begin(), tracks.end(),
                                 [](QLineEdit *e) { return e && callsIn(e->text()).size() > 0; });
        };
        QTRY_VERIFY_WITH_TIMEOUT(copying() >= 3, DecodeTimeout);
        // The tracks on stations in other modes go, with a right click.
        for (QLineEdit *&e : tracks)
            if (callsIn(e->text()).isEmpty()) {
                rightClickYes(w, e);
                QTRY_VERIFY_WITH_TIMEOUT(std::find(f.tracks().TrackTable.begin(), f.tracks().TrackTable.end(),
                                                   e) == f.tracks().TrackTable.end(),
                                         5000);
                e = nullptr;
            }
        QCOMPARE(f.tracks().TrackCount, 3);
        // Let them run on a little, with the last one active: each of them
        // copies some more.
        QList<qsizetype> sizes;
        for (QLineEdit *e : tracks)
            sizes << (e ? e->text().size() : 0);
        for (int i = 0; i < tracks.size(); ++i)
            if (tracks[i])
                QTRY_VERIFY_WITH_TIMEOUT(tracks[i]->text().size() >= sizes[i] + 10, DecodeTimeout);
        const QByteArray dir = qgetenv("VARNEK_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            f.grab().save(QDir(QString::fromLocal8Bit(dir)).filePath("tracks-three.png"));
            f.tracks()
                .TBTerm->grab()
                .scaled(f.tracks().TBTerm->size() * 2)
                .save(QDir(QString::fromLocal8Bit(dir)).filePath("tracks-three-panel.png"));
        }
        for (QLineEdit *e : tracks)
            if (e)
                qInfo("track: %s", qPrintable(e->text().right(90)));
        f.toolBar().Connection->trigger();
    }
};

QTEST_MAIN(TestTracksEndToEnd)
#include "test_tracks_e2e.moc"
