#include "base/AppImages.h"

#include <QApplication>
#include <QImage>
#include <QSet>
#include <QTest>

namespace {

QImage argb(const QPixmap &pixmap) {
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

int distinctColours(const QImage &image) {
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            seen.insert(image.pixel(x, y));
    return int(seen.size());
}

int differingPixels(const QImage &a, const QImage &b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

} // namespace

class TestImages : public QObject {
    Q_OBJECT

private slots:
    void iconRenders_data();
    void iconRenders();
    void iconsAreDistinct();
    void outOfRangeNumbers();
    void repeatedCallsReuseTheRendering();
    void cursor_data();
    void cursor();
    void trayAnimation();
    void applicationIcon();
};

void TestImages::iconRenders_data() {
    QTest::addColumn<int>("n");
    for (int n = 0; n < AppImages::IconCount; ++n)
        QTest::addRow("icon %d", n) << n;
}

void TestImages::iconRenders() {
    QFETCH(int, n);

    const QImage image = argb(AppImages::pixmap(n));
    QCOMPARE(image.size(), QSize(21, 21));
    int opaque = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x)
            opaque += qAlpha(image.pixel(x, y)) == 255;
    QVERIFY2(opaque >= 40, "the drawing is missing or nearly empty");
    QVERIFY(distinctColours(image) >= 3);

    // High-DPI renderings come from the drawing itself, not from scaling the small one.
    const QPixmap sharp = AppImages::pixmap(n, 2.0);
    QCOMPARE(sharp.size(), QSize(42, 42));
    QCOMPARE(sharp.devicePixelRatio(), 2.0);
    QCOMPARE(sharp.deviceIndependentSize(), QSizeF(21, 21));

    const QIcon icon = AppImages::icon(n);
    QVERIFY(!icon.isNull());
    QCOMPARE(argb(icon.pixmap(QSize(21, 21), 1.0)), image);
}

void TestImages::iconsAreDistinct() {
    for (int a = 0; a < AppImages::IconCount; ++a)
        for (int b = a + 1; b < AppImages::IconCount; ++b)
            QVERIFY2(argb(AppImages::pixmap(a)) != argb(AppImages::pixmap(b)),
                     qPrintable(QStringLiteral("icons %1 and %2 are the same").arg(a).arg(b)));
}

void TestImages::outOfRangeNumbers() {
    for (const int n : {-1, AppImages::IconCount, 1000}) {
        QVERIFY(AppImages::icon(n).isNull());
        QVERIFY(AppImages::pixmap(n).isNull());
    }
    for (const int number : {-1, 0, 6, 42})
        QCOMPARE(AppImages::cursor(number).shape(), Qt::ArrowCursor);
    for (const int k : {-1, AppImages::TrayFrameCount})
        QVERIFY(AppImages::trayFrame(k).isNull());
    // A nonsensical scale falls back to 1 rather than producing an empty or huge pixmap.
    QCOMPARE(AppImages::pixmap(0, 0.0).size(), QSize(21, 21));
    QCOMPARE(AppImages::pixmap(0, -2.0).size(), QSize(21, 21));
}

void TestImages::repeatedCallsReuseTheRendering() {
    QCOMPARE(AppImages::pixmap(AppImages::Warning).cacheKey(),
             AppImages::pixmap(AppImages::Warning).cacheKey());
    QCOMPARE(AppImages::trayFrame(3).cacheKey(), AppImages::trayFrame(3).cacheKey());
    QCOMPARE(AppImages::cursor(2).pixmap().cacheKey(), AppImages::cursor(2).pixmap().cacheKey());
}

void TestImages::cursor_data() {
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("resourceName");
    QTest::addColumn<QPoint>("hotSpot");
    QTest::newRow("1") << 1 << "CRMAIN" << QPoint(29, 12);
    QTest::newRow("2") << 2 << "CRPSK" << QPoint(21, 15);
    QTest::newRow("3") << 3 << "CRFLECHE" << QPoint(31, 15);
    QTest::newRow("4") << 4 << "CRCROIX" << QPoint(15, 15);
    QTest::newRow("5") << 5 << "CRSPLIT" << QPoint(16, 15);
}

void TestImages::cursor() {
    QFETCH(int, number);
    QFETCH(QString, resourceName);
    QFETCH(QPoint, hotSpot);

    QCOMPARE(AppImages::cursorResourceNames().value(number - 1), resourceName);

    const QCursor cursor = AppImages::cursor(number);
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.hotSpot(), hotSpot);

    const QImage image = argb(cursor.pixmap());
    QCOMPARE(image.size(), QSize(32, 32));
    int white = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb p = image.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            QVERIFY2(p == qRgba(255, 255, 255, 255),
                     qPrintable(QStringLiteral("pixel %1,%2 is neither white nor clear").arg(x).arg(y)));
            ++white;
        }
    }
    QVERIFY(white >= 20);

    // The hot spot sits on the drawing or in a small hole of it, never off the shape.
    bool nearShape = false;
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            const QPoint p = hotSpot + QPoint(dx, dy);
            nearShape |= image.rect().contains(p) && qAlpha(image.pixel(p)) != 0;
        }
    QVERIFY(nearShape);
}

void TestImages::trayAnimation() {
    QList<QImage> frames;
    for (int k = 0; k < AppImages::TrayFrameCount; ++k) {
        const QPixmap frame = AppImages::trayFrame(k);
        QCOMPARE(frame.size(), QSize(16, 16));
        frames << argb(frame);
    }

    int largestStep = 0;
    int changes = 0;
    for (int k = 0; k + 1 < frames.size(); ++k) {
        const int d = differingPixels(frames[k], frames[k + 1]);
        largestStep = std::max(largestStep, d);
        changes += d > 0;
    }
    QVERIFY2(changes >= AppImages::TrayFrameCount / 2, "the animation hardly moves");
    // Looping back from the last frame to the first is no bigger a jump than any other.
    QVERIFY(differingPixels(frames.last(), frames.first()) <= largestStep);
}

void TestImages::applicationIcon() {
    const QIcon icon = AppImages::appIcon();
    QVERIFY(!icon.isNull());
    for (const int side : {16, 32, 48, 256}) {
        const QImage image = argb(icon.pixmap(QSize(side, side), 1.0));
        QCOMPARE(image.size(), QSize(side, side));
        QVERIFY(distinctColours(image) >= 3);
    }
}

QTEST_MAIN(TestImages)
#include "test_images.moc"
