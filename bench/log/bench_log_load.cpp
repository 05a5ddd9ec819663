// How long the log viewer takes to open a large log: the file is read and
// parsed, the grid filled, and the first screen painted.
// Usage: bench_log_load [records] [runs]   (default 20000 records, 7 runs)
// Run with QT_QPA_PLATFORM=offscreen where there is no display.

#include "base/Dialogs.h"
#include "log/AdifReader.h"
#include "log/AdifWriter.h"
#include "log/LogGrid.h"
#include "log/TVarnekForm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Any message box would stop the clock: count them instead.
class CountingDialogs : public Dialogs {
public:
    int shown = 0;
    void message(Icon, const QString &, const QString &) override { ++shown; }
    Answer askYesNo(Icon, const QString &, const QString &, Answer a) override { return a; }
    void beep() override {}
};

QByteArray sampleLog(int records) {
    QByteArray bytes = adif::header();
    const char *const names[] = {"Jean", "Hans", "", "Zbigniew", "Ola"};
    const char *const freqs[] = {"14070.150", "7035.15", "3580.15", "21080.150", "28120.150"};
    QDateTime t(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
    for (int i = 0; i < records; ++i) {
        adif::Contact c;
        c.call = QStringLiteral("DL%1ABC").arg(i % 10);
        c.name = QString::fromLatin1(names[i % 5]);
        c.frequency = QString::fromLatin1(freqs[i % 5]);
        c.rstReceived = QStringLiteral("599");
        c.rstSent = QStringLiteral("579");
        c.comment = i % 3 ? QString() : QStringLiteral("tnx for the nice QSO, 73 <3");
        bytes += adif::record(c, t);
        t = t.addSecs(420);
    }
    return bytes;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const int records = argc > 1 ? std::max(1, atoi(argv[1])) : 20000;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 7;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Varneklog.adi"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(sampleLog(records)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("log: %d records, %lld bytes\n", records, static_cast<long long>(f.size()));
    }

    std::vector<double> parse, open, paint;
    CountingDialogs dialogs;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        const adif::LogContents log = adif::readLogFile(path);
        parse.push_back(clock.nsecsElapsed() / 1e6);
        if (static_cast<int>(log.rows.size()) != records) {
            std::fprintf(stderr, "read %zu records, expected %d\n", log.rows.size(), records);
            return 1;
        }

        clock.restart();
        TVarnekForm viewer(path, dialogs);
        open.push_back(clock.nsecsElapsed() / 1e6);
        clock.restart();
        viewer.show();
        viewer.grab();
        paint.push_back(clock.nsecsElapsed() / 1e6);
        if (viewer.VarnekGrid->rowCount() != records + 1 || dialogs.shown != 0) {
            std::fprintf(stderr, "the viewer did not load the log\n");
            return 1;
        }
    }
    std::printf("read and parse only:            median %.1f ms\n", median(parse));
    std::printf("viewer created (file -> grid):  median %.1f ms, worst %.1f ms\n", median(open),
                *std::max_element(open.begin(), open.end()));
    std::printf("first paint of the viewer:      median %.1f ms\n", median(paint));
    std::printf("viewer open and painted:        median %.1f ms over %d runs\n", median(open) + median(paint),
                runs);
    return 0;
}
