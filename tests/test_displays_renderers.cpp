// The display renderers on their own, without a window: the band mapping,
// the waterfall's colours, column and scale, the spectrum's curves, the sync
// bars, the phase vectors, the signal trace and the level bar.

#include "base/Widgets.h"
#include "displays/DisplayFont.h"
#include "displays/FrequencyMap.h"
#include "displays/MonitorRenderers.h"
#include "displays/SpectrumRenderer.h"
#include "displays/WaterfallRenderer.h"

#include <QPainter>
#include <QTest>
#include <array>
#include <climits>
#include <functional>
#include <set>

namespace {

const QRgb Lime = qRgb(0, 255, 0);
const QRgb Yellow = qRgb(255, 255, 0);

QRgb px(const QImage &img, int x, int y) {
    return img.pixel(x, y) | 0xFF000000u;
}

// A band given by its bins directly, for small hand-checked geometries.
FrequencyMap bins(int low, int high) {
    FrequencyMap m;
    m.lowBin = low;
    m.highBin = high;
    return m;
}

// Rows of one column that hold a colour.
QList<int> rowsOf(const QImage &img, int x, QRgb color) {
    QList<int> rows;
    for (int y = 0; y < img.height(); ++y)
        if (px(img, x, y) == (color | 0xFF000000u))
            rows << y;
    return rows;
}

QList<int> range(int first, int last) {
    QList<int> r;
    for (int i = first; i <= last; ++i)
        r << i;
    return r;
}

} // namespace

class TestDisplayRenderers : public QObject {
    Q_OBJECT

private slots:
    void bandValues_data() {
        QTest::addColumn<int>("wfMin");
        QTest::addColumn<int>("wfMax");
        QTest::addColumn<int>("span");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::newRow("default") << 100 << 3500 << 3400 << 25 << 896;
        QTest::newRow("narrowest") << 1000 << 1400 << 400 << 256 << 358;
        QTest::newRow("zero span") << 1000 << 1000 << 0 << 256 << 256;
        QTest::newRow("reversed") << 3000 << 1000 << -2000 << 768 << 256;
        QTest::newRow("extreme") << INT_MIN << INT_MAX << INT_MAX << -549755813 << 549755813;
    }
    void bandValues() {
        QFETCH(int, wfMin);
        QFETCH(int, wfMax);
        QFETCH(int, span);
        QFETCH(int, low);
        QFETCH(int, high);
        const FrequencyMap m = FrequencyMap::forBand(wfMin, wfMax);
        QCOMPARE(m.wfSpan, span);
        QCOMPARE(m.lowBin, low);
        QCOMPARE(m.highBin, high);
    }

    // Rows and frequencies both ways, with the guards that keep a zero span
    // or a zero height from dividing by zero.
    void rowsAndFrequencies_data() {
        QTest::addColumn<int>("wfMin");
        QTest::addColumn<int>("wfMax");
        QTest::addColumn<int>("extent");
        QTest::addColumn<int>("pos");
        QTest::addColumn<int>("frequency");
        QTest::addColumn<int>("posOfFrequency");
        QTest::newRow("top") << 100 << 3500 << 459 << 0 << 100 << 0;
        QTest::newRow("click at 135") << 100 << 3500 << 459 << 135 << 1100 << 135;
        QTest::newRow("truncates") << 100 << 3500 << 459 << 458 << 3492 << 457;
        QTest::newRow("spectrum column") << 100 << 3500 << 347 << 100 << 1079 << 99;
        QTest::newRow("above band") << 1000 << 3500 << 459 << -20 << 892 << -19;
        QTest::newRow("zero span") << 1000 << 1000 << 459 << 200 << 1000 << 0;
        QTest::newRow("zero height") << 100 << 3500 << 0 << 0 << 100 << 0;
        QTest::newRow("reversed") << 3500 << 100 << 340 << 34 << 3160 << 34;
    }
    void rowsAndFrequencies() {
        QFETCH(int, wfMin);
        QFETCH(int, wfMax);
        QFETCH(int, extent);
        QFETCH(int, pos);
        QFETCH(int, frequency);
        QFETCH(int, posOfFrequency);
        const FrequencyMap m = FrequencyMap::forBand(wfMin, wfMax);
        QCOMPARE(m.frequencyAt(pos, extent), frequency);
        QCOMPARE(m.positionOf(frequency, extent), posOfFrequency);
    }

    void colourRamp_data() {
        QTest::addColumn<int>("v");
        QTest::addColumn<QColor>("color");
        QTest::newRow("zero") << 0 << QColor(0, 0, 0);
        QTest::newRow("steel blue") << 32 << QColor(64, 96, 128);
        QTest::newRow("light blue") << 64 << QColor(128, 192, 255);
        QTest::newRow("blue saturates first") << 70 << QColor(140, 210, 255);
        QTest::newRow("full scale") << 100 << QColor(200, 255, 255);
        QTest::newRow("white") << 128 << QColor(255, 255, 255);
        QTest::newRow("beyond") << 100000 << QColor(255, 255, 255);
        QTest::newRow("negative") << -3 << QColor(0, 0, 0);
    }
    void colourRamp() {
        QFETCH(int, v);
        QFETCH(QColor, color);
        QCOMPARE(QColor(WaterfallRenderer::color(v)), color);
    }

    // One column from known magnitudes. Bins 10..14 over 10 rows land on rows
    // 0, 2, 5, 7 and 10: each gap takes the colour of the bin below it and
    // row 10 is outside. Over 2 rows two bins share each row and the higher
    // one stays.
    void column_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<int>>("binOfRow");
        QTest::newRow("sparse bins") << 10 << QList<int>{10, 11, 11, 12, 12, 12, 13, 13, 14, 14};
        QTest::newRow("overlapping bins") << 2 << QList<int>{11, 13};
        QTest::newRow("one bin per row") << 4 << QList<int>{10, 11, 12, 13};
    }
    void column() {
        QFETCH(int, height);
        QFETCH(QList<int>, binOfRow);
        std::array<int32_t, 1024> fft{};
        for (int i = 10; i <= 14; ++i)
            fft[size_t(i)] = 10 * (i - 9); // 10, 20, .. 50: every bin its own colour
        fft[9] = fft[15] = 127;            // neighbours outside the band must not show
        WaterfallRenderer wf;
        wf.reset(QSize(3, height));
        wf.addColumn(fft, bins(10, 14));
        for (int y = 0; y < height; ++y) {
            QCOMPARE(px(wf.history(), 0, y), WaterfallRenderer::color(fft[size_t(binOfRow[y])]));
            QCOMPARE(px(wf.history(), 1, y), qRgb(0, 0, 0));
        }
    }

    void historyScrollsRight() {
        std::array<int32_t, 1024> fft{};
        WaterfallRenderer wf;
        wf.reset(QSize(3, 4));
        for (int v : {20, 40, 60, 80}) {
            fft.fill(v);
            wf.addColumn(fft, bins(0, 4));
        }
        // Newest at the left; the first column (20) has fallen off.
        QCOMPARE(px(wf.history(), 0, 2), WaterfallRenderer::color(80));
        QCOMPARE(px(wf.history(), 1, 2), WaterfallRenderer::color(60));
        QCOMPARE(px(wf.history(), 2, 2), WaterfallRenderer::color(40));
    }

    // Rows of the scale lines in column 0 (labels start further right). The
    // 3500 mark of the default band falls on row H and the 500 mark of a band
    // from 1000 Hz above row 0: both are clipped away.
    void scaleMarks_data() {
        QTest::addColumn<int>("wfMin");
        QTest::addColumn<int>("wfMax");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("default") << 100 << 3500 << QList<int>{54, 121, 189, 256, 324, 391};
        QTest::newRow("from 1000 Hz") << 1000 << 3500 << QList<int>{0, 91, 183, 275, 367};
        QTest::newRow("zero span") << 1000 << 1000 << QList<int>{0};
    }
    void scaleMarks() {
        QFETCH(int, wfMin);
        QFETCH(int, wfMax);
        QFETCH(QList<int>, rows);
        const FrequencyMap band = FrequencyMap::forBand(wfMin, wfMax);
        const QRgb grey = qRgb(64, 64, 64);
        QImage frame(60, 459, QImage::Format_RGB32);
        frame.fill(Qt::black);
        WaterfallRenderer wf;
        wf.drawScale(frame, band, grey);
        QCOMPARE(rowsOf(frame, 0, grey), rows);
        // The 500 line is longer than the others, and each label stands to
        // the right of its line.
        const int row500 = band.markPosition(500, 459);
        const int row1000 = band.markPosition(1000, 459);
        if (row500 >= 0 && row500 < 459 && row500 != row1000) {
            QCOMPARE(px(frame, 43, row500), grey);
            QCOMPARE(px(frame, 38, row1000), grey);
            int label = 0;
            for (int x = 39; x < 60; ++x)
                label += rowsOf(frame, x, grey).count();
            QVERIFY(label > 40);
        }
    }

    // Where each scale label stands: on the waterfall its top 5 pixels above
    // its line, starting where the line ends; on the spectrum at the top,
    // starting 10 pixels (8 for the narrower "500") left of its mark. A label
    // that would be cut at an edge of the image is moved in to that edge, and
    // a mark beyond the band has no label. The labels' pixels are compared
    // with the text drawn at those places; the lines, drawn over them, are
    // left out of the comparison.
    void scaleLabelPositions_data() {
        QTest::addColumn<int>("wfMin");
        QTest::addColumn<int>("wfMax");
        QTest::addColumn<int>("waterfallHeight");
        QTest::addColumn<int>("spectrumWidth");
        QTest::newRow("default band") << 100 << 3500 << 459 << 347;
        QTest::newRow("band from 500 Hz") << 500 << 3500 << 459 << 347;
        QTest::newRow("narrow band, short strip") << 950 << 1550 << 100 << 200;
        QTest::newRow("wide spectrum") << 400 << 3000 << 300 << 1000;
    }
    void scaleLabelPositions() {
        QFETCH(int, wfMin);
        QFETCH(int, wfMax);
        QFETCH(int, waterfallHeight);
        QFETCH(int, spectrumWidth);
        const QFont font = displayScaleFont();
        const QFontMetrics metrics(font);
        const int ascent = metrics.ascent();
        const FrequencyMap band = FrequencyMap::forBand(wfMin, wfMax);
        auto text = [&](QImage &img, QRgb color, int x, int baseline, const char *label) {
            QPainter p(&img);
            p.setFont(font);
            p.setPen(QColor::fromRgb(color));
            p.drawText(x, baseline, QString::fromLatin1(label));
        };
        auto inkOf = [](const QImage &img, QRgb color, const std::function<bool(int, int)> &skip) {
            QList<QPoint> ink;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x)
                    if (!skip(x, y) && px(img, x, y) == (color | 0xFF000000u))
                        ink << QPoint(x, y);
            return ink;
        };

        const QRgb grey = qRgb(64, 64, 64);
        QImage waterfall(60, waterfallHeight, QImage::Format_RGB32);
        waterfall.fill(Qt::black);
        WaterfallRenderer().drawScale(waterfall, band, grey);
        QImage expected(waterfall.size(), QImage::Format_RGB32);
        expected.fill(Qt::black);
        std::set<int> lineRows;
        for (const auto &m : WaterfallRenderer::marks()) {
            const int row = band.markPosition(m.frequency, waterfallHeight);
            lineRows.insert(row);
            if (row < 0 || row > waterfallHeight)
                continue;
            const int top = std::clamp(row - 5, 0, waterfallHeight - metrics.height());
            text(expected, grey, m.lineLength, top + ascent, m.label);
        }
        auto onLine = [&](int x, int y) { return x < 44 && lineRows.count(y) > 0; };
        const QList<QPoint> waterfallInk = inkOf(waterfall, grey, onLine);
        QVERIFY(waterfallInk.size() > 20);
        QCOMPARE(waterfallInk, inkOf(expected, grey, onLine));

        SpectrumRenderer s;
        std::array<int32_t, 1024> fft{};
        const QImage spectrum = s.render({QSize(spectrumWidth, 55), band, fft, false, true, 100});
        QImage expectedSpectrum(spectrum.size(), QImage::Format_RGB32);
        expectedSpectrum.fill(Qt::black);
        std::set<int> markColumns;
        for (int f : {500, 1000, 1500, 2000, 2500, 3000, 3500}) {
            const int x = band.markPosition(f, spectrumWidth);
            markColumns.insert(x);
            if (x < 0 || x > spectrumWidth)
                continue;
            const QByteArray label = QByteArray::number(f);
            const int left =
                std::clamp(x - (f == 500 ? 8 : 10), 0,
                           spectrumWidth - metrics.horizontalAdvance(QString::fromLatin1(label)));
            text(expectedSpectrum, qRgb(255, 255, 255), left, ascent, label.constData());
        }
        auto onMark = [&](int x, int y) { return y >= 6 && markColumns.count(x) > 0; };
        const QRgb white = qRgb(255, 255, 255);
        const QList<QPoint> spectrumInk = inkOf(spectrum, white, onMark);
        QVERIFY(spectrumInk.size() > 20);
        QCOMPARE(spectrumInk, inkOf(expectedSpectrum, white, onMark));
    }

    // No scale label is ever cut: each label of a mark within the band lies
    // wholly inside the waterfall strip (60 pixels wide) or the spectrum, the
    // band's own edges included; marks beyond the band have none.
    void scaleLabelsStayInside_data() {
        QTest::addColumn<int>("wfMin");
        QTest::addColumn<int>("wfMax");
        QTest::addColumn<QSize>("waterfall");
        QTest::addColumn<QSize>("spectrum");
        QTest::newRow("default band, design size") << 100 << 3500 << QSize(60, 459) << QSize(347, 55);
        QTest::newRow("band edges on marks") << 500 << 3500 << QSize(60, 459) << QSize(347, 55);
        QTest::newRow("edges 1 Hz inside marks") << 1001 << 2999 << QSize(60, 200) << QSize(347, 55);
        QTest::newRow("narrowest band") << 1000 << 1400 << QSize(60, 459) << QSize(347, 55);
        QTest::newRow("short strip") << 100 << 3500 << QSize(60, 40) << QSize(120, 55);
    }
    void scaleLabelsStayInside() {
        QFETCH(int, wfMin);
        QFETCH(int, wfMax);
        QFETCH(QSize, waterfall);
        QFETCH(QSize, spectrum);
        const FrequencyMap band = FrequencyMap::forBand(wfMin, wfMax);
        for (const auto &m : WaterfallRenderer::marks()) {
            const QRect r = WaterfallRenderer::labelRect(m, band, waterfall);
            const int row = band.markPosition(m.frequency, waterfall.height());
            const bool inBand = row >= 0 && row <= waterfall.height();
            QCOMPARE(!r.isEmpty(), inBand);
            QVERIFY2(!inBand || QRect(QPoint(), waterfall).contains(r), m.label);
            QVERIFY2(!inBand || std::abs(r.center().y() - row) <= r.height(), m.label);
        }
        for (int f : {500, 1000, 1500, 2000, 2500, 3000, 3500}) {
            const QRect r = SpectrumRenderer::labelRect(f, band, spectrum);
            const int x = band.markPosition(f, spectrum.width());
            const bool inBand = x >= 0 && x <= spectrum.width();
            QCOMPARE(!r.isEmpty(), inBand);
            QVERIFY2(!inBand || QRect(QPoint(), spectrum).contains(r), qPrintable(QString::number(f)));
            QVERIFY2(!inBand || std::abs(r.center().x() - x) <= r.width(), qPrintable(QString::number(f)));
        }
    }

    void trackLineLeavesTheLastColumn() {
        QImage frame(60, 100, QImage::Format_RGB32);
        frame.fill(Qt::black);
        WaterfallRenderer::drawTrackLine(frame, 41);
        QCOMPARE(rowsOf(frame, 0, qRgb(255, 255, 255)), QList<int>{42});
        QCOMPARE(rowsOf(frame, 58, qRgb(255, 255, 255)), QList<int>{42});
        QVERIFY(rowsOf(frame, 59, qRgb(255, 255, 255)).isEmpty());
        WaterfallRenderer::drawTrackLine(frame, INT_MAX); // far below: nothing, no overflow
        WaterfallRenderer::drawTrackLine(frame, -1);
        QCOMPARE(rowsOf(frame, 0, qRgb(255, 255, 255)), (QList<int>{0, 42}));
    }

    // The idle spectrum: grey grid rows, grey mark columns from row 6 to 50,
    // no curve.
    void spectrumField() {
        SpectrumRenderer s;
        std::array<int32_t, 1024> fft{};
        fft.fill(50);
        const FrequencyMap band = FrequencyMap::forBand(100, 3500);
        const QImage img = s.render({QSize(347, 55), band, fft, false, true, 100});
        const QRgb grey = qRgb(128, 128, 128);
        for (int x : {0, 100, 346})
            for (int row : {14, 27, 40})
                QCOMPARE(px(img, x, row), grey);
        // Mark columns: 40 (500 Hz), 91 (1000 Hz) ... 347 (3500 Hz, outside).
        for (int x : {40, 91, 142, 194, 245, 296}) {
            QCOMPARE(px(img, x, 6), grey);
            QCOMPARE(px(img, x, 50), grey);
            QCOMPARE(px(img, x, 51), qRgb(0, 0, 0));
        }
        QCOMPARE(rowsOf(img, 60, grey), (QList<int>{14, 27, 40}));
        for (int x = 0; x < 347; ++x)
            QVERIFY(rowsOf(img, x, Lime).isEmpty());
    }

    // Filled curve over a 10 x 20 display from bins 0..4 (columns 0, 2, 5, 7
    // and 10): each column's bar rises from row 19 to just below its level
    // row 20 - v * 20 div 100; gap columns take the level of the bin that
    // ends the gap; column 0 is never filled.
    void spectrumFilled_data() {
        QTest::addColumn<QList<int>>("magnitudes");
        QTest::addColumn<QList<int>>("barHeights"); // lime pixels in columns 1..9
        QTest::newRow("levels") << QList<int>{0, 50, 25, 100, 10} << QList<int>{9, 9, 4, 4, 4, 19, 19, 1, 1};
        QTest::newRow("zero leaves a pixel")
            << QList<int>{0, 0, 0, 0, 0} << QList<int>{1, 1, 1, 1, 1, 1, 1, 1, 1};
        QTest::newRow("beyond full scale")
            << QList<int>{0, 300, 0, 0, 0} << QList<int>{20, 20, 1, 1, 1, 1, 1, 1, 1};
    }
    void spectrumFilled() {
        QFETCH(QList<int>, magnitudes);
        QFETCH(QList<int>, barHeights);
        std::array<int32_t, 1024> fft{};
        for (int i = 0; i < 5; ++i)
            fft[size_t(i)] = magnitudes[i];
        SpectrumRenderer s;
        const QImage img = s.render({QSize(10, 20), bins(0, 4), fft, true, true, 100});
        for (int x = 1; x < 10; ++x) {
            const QList<int> rows = rowsOf(img, x, Lime);
            QCOMPARE(rows, range(20 - barHeights[x - 1], 19));
        }
    }

    // Where several bins share a column the filled curve shows the first of
    // them, the outline passes through all their levels.
    void spectrumColumnsShared() {
        std::array<int32_t, 1024> fft{};
        const int levels[9] = {0, 0, 80, 20, 40, 60, 10, 90, 0};
        for (int i = 0; i < 9; ++i)
            fft[size_t(i)] = levels[i];
        SpectrumRenderer s;
        const QImage filled = s.render({QSize(4, 100), bins(0, 8), fft, true, true, 100});
        QCOMPARE(rowsOf(filled, 1, Lime), range(21, 99)); // bin 2 (80), not bin 3
        QCOMPARE(rowsOf(filled, 2, Lime), range(61, 99)); // bin 4 (40)
        QCOMPARE(rowsOf(filled, 3, Lime), range(91, 99)); // bin 6 (10)

        const QImage outline = s.render({QSize(4, 100), bins(0, 8), fft, true, false, 100});
        for (int i = 0; i < 8; ++i)
            QVERIFY2(levels[i] == 0 || px(outline, i / 2, 100 - levels[i]) == Lime,
                     qPrintable(QString::number(i)));
        // Column 3 runs from bin 6's level up to bin 7's, then on toward bin 8.
        QVERIFY(rowsOf(outline, 3, Lime).contains(10));
        QVERIFY(rowsOf(outline, 3, Lime).contains(90));
        QCOMPARE(rowsOf(outline, 2, Lime).first(), 40);
    }

    void spectrumOutlineOfSilenceIsInvisible() {
        std::array<int32_t, 1024> fft{};
        SpectrumRenderer s;
        const QImage img =
            s.render({QSize(347, 55), FrequencyMap::forBand(100, 3500), fft, true, false, 100});
        for (int x = 0; x < 347; ++x)
            QVERIFY(rowsOf(img, x, Lime).isEmpty());
    }

    // Bars stand in columns k * (W div 15); a value v reaches row
    // H - H * v div 1000 (excluded); sync value 0 is never drawn.
    void syncBars_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("full") << 1000 << range(1, 54);
        QTest::newRow("half") << 500 << range(29, 54);
        QTest::newRow("zero") << 0 << QList<int>{54};
        QTest::newRow("above full is clipped") << 1200 << range(0, 54);
        QTest::newRow("negative") << -100 << QList<int>{54};
    }
    void syncBars() {
        QFETCH(int, value);
        QFETCH(QList<int>, rows);
        std::array<int32_t, 16> sync{};
        sync.fill(value);
        const QImage img = renderSync(QSize(295, 55), sync, true);
        std::set<int> barColumns;
        for (int k = 1; k <= 15; ++k)
            barColumns.insert(19 * k);
        for (int x = 0; x < 295; ++x)
            QCOMPARE(rowsOf(img, x, Lime), barColumns.count(x) ? rows : QList<int>{});
        QVERIFY(rowsOf(renderSync(QSize(295, 55), sync, false), 19, Lime).isEmpty());
    }

    void vectorField() {
        VectorRenderer v;
        std::array<int32_t, 16> vectors{};
        const QImage img = v.render(QSize(50, 53), vectors, false);
        const QRgb navy = qRgb(0, 0, 128);
        // The circle touches every edge of the image.
        QCOMPARE(px(img, 0, 26), Yellow);
        QCOMPARE(px(img, 49, 26), Yellow);
        QCOMPARE(px(img, 24, 0), Yellow);
        QCOMPARE(px(img, 24, 52), Yellow);
        QCOMPARE(px(img, 0, 0), navy);
        QCOMPARE(px(img, 25, 26), navy);
    }

    // A vector from the centre (r, r) towards its end point, the end point
    // itself not drawn.
    void vectorEndPoints_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QPoint>("end");
        QTest::addColumn<QPoint>("lastDrawn");
        QTest::newRow("right") << 1000 << 0 << QPoint(48, 24) << QPoint(47, 24);
        QTest::newRow("up") << 0 << 1000 << QPoint(24, 0) << QPoint(24, 1);
        QTest::newRow("down left") << -1000 << -1000 << QPoint(0, 48) << QPoint(1, 47);
        QTest::newRow("half") << 500 << 500 << QPoint(36, 12) << QPoint(35, 13);
    }
    void vectorEndPoints() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QPoint, end);
        QFETCH(QPoint, lastDrawn);
        QCOMPARE(VectorRenderer::endPoint(50, x, y), end);
        std::array<int32_t, 16> vectors{};
        for (int k = 0; k < 8; ++k) {
            vectors[size_t(2 * k)] = x;
            vectors[size_t(2 * k + 1)] = y;
        }
        VectorRenderer v;
        const QImage idle = v.render(QSize(50, 53), vectors, false);
        const QImage drawn = v.render(QSize(50, 53), vectors, true);
        QCOMPARE(px(drawn, 24, 24), Yellow);
        QCOMPARE(px(drawn, lastDrawn.x(), lastDrawn.y()), Yellow);
        QCOMPARE(px(drawn, end.x(), end.y()), px(idle, end.x(), end.y()));
    }

    // 256 points of the first 512 samples across the width, +-4000 filling
    // the height, positive downward: a steady value gives one row.
    void signalTrace_data() {
        QTest::addColumn<int>("sample");
        QTest::addColumn<int>("row");
        QTest::newRow("zero") << 0 << 50;
        QTest::newRow("positive goes down") << 2000 << 75;
        QTest::newRow("negative goes up") << -2000 << 25;
        QTest::newRow("top") << -4000 << 0;
        QTest::newRow("bottom is outside") << 4000 << -1;
    }
    void signalTrace() {
        QFETCH(int, sample);
        QFETCH(int, row);
        std::array<int32_t, 2048> raw{};
        raw.fill(sample);
        raw[511] = 100000; // odd samples are never drawn
        const QImage img = renderSignal(QSize(512, 100), raw, true);
        for (int x : {1, 200, 509})
            QCOMPARE(rowsOf(img, x, Lime), row < 0 ? QList<int>{} : QList<int>{row});
        QVERIFY(rowsOf(img, 510, Lime).isEmpty()); // the last point ends the line
        QVERIFY(rowsOf(renderSignal(QSize(512, 100), raw, false), 200, Lime).isEmpty());
    }

    // Nothing to draw on: every renderer copes with an empty size.
    void emptySizes() {
        std::array<int32_t, 1024> fft{};
        std::array<int32_t, 2048> raw{};
        WaterfallRenderer wf;
        wf.reset(QSize(0, 0));
        wf.addColumn(fft, FrequencyMap::forBand(100, 3500));
        QImage frame;
        wf.drawScale(frame, FrequencyMap::forBand(100, 3500), 0);
        SpectrumRenderer s;
        QVERIFY(s.render({QSize(347, 0), FrequencyMap::forBand(100, 3500), fft, true, true, 100}).isNull());
        QVERIFY(renderSignal(QSize(0, 55), raw, true).isNull());
        QVERIFY(renderSync(QSize(), std::span(raw).first(16), true).isNull());
        VectorRenderer v;
        QVERIFY(v.render(QSize(0, 0), std::span(raw).first(16), true).isNull());
        // One pixel wide: the sync bars all fall on column 0, none crashes.
        QVERIFY(!renderSync(QSize(1, 1), std::span(raw).first(16), true).isNull());
    }

    // Green for the first 60 % of the bar, yellow for the next 25 %, red for
    // the last 15 %; lit up to the position, the dim shade beyond.
    void levelBar_data() {
        QTest::addColumn<int>("position");
        QTest::addColumn<QList<QColor>>("bands"); // green, yellow, red parts
        const QColor lime(0, 255, 0), green(0, 128, 0), yellow(255, 255, 0), olive(128, 128, 0),
            red(255, 0, 0), maroon(128, 0, 0);
        QTest::newRow("0") << 0 << QList<QColor>{green, olive, maroon};
        QTest::newRow("60") << 60 << QList<QColor>{lime, olive, maroon};
        QTest::newRow("85") << 85 << QList<QColor>{lime, yellow, maroon};
        QTest::newRow("100") << 100 << QList<QColor>{lime, yellow, red};
        QTest::newRow("clamped high") << 250 << QList<QColor>{lime, yellow, red};
        QTest::newRow("clamped low") << -5 << QList<QColor>{green, olive, maroon};
    }
    void levelBar() {
        QFETCH(int, position);
        QFETCH(QList<QColor>, bands);
        TLevelBar bar;
        bar.resize(156, 15);
        bar.setPosition(position);
        const QImage img = bar.grab().toImage();
        // 154 segments inside the border: 0..91 green, 92..129 yellow, 130..153 red.
        const int y = 7;
        auto segment = [&](int i) { return QColor(img.pixel(1 + i, y)); };
        for (int i = 0; i < 154; ++i) {
            const QColor expected = bands[i < 92 ? 0 : i < 130 ? 1 : 2];
            QVERIFY2(segment(i) == expected, qPrintable(QStringLiteral("segment %1").arg(i)));
            QCOMPARE(QColor(img.pixel(1 + i, 1)), expected); // no gaps from top to bottom
            QCOMPARE(QColor(img.pixel(1 + i, 13)), expected);
        }
        QVERIFY(QColor(img.pixel(0, y)) != bands[0]); // the border
    }

    void levelBarInBetween() {
        TLevelBar bar;
        bar.resize(156, 15);
        bar.setPosition(30); // 154 * 30 div 100 = 46 segments lit
        const QImage img = bar.grab().toImage();
        QCOMPARE(QColor(img.pixel(1 + 45, 7)), QColor(0, 255, 0));
        QCOMPARE(QColor(img.pixel(1 + 46, 7)), QColor(0, 128, 0));
    }
};

QTEST_MAIN(TestDisplayRenderers)
#include "test_displays_renderers.moc"
