#include "base/AppImages.h"

#include <QCoreApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <array>
#include <cmath>
#include <numbers>
#include <optional>

// The resources live in a static library; nothing else references them, so they must be
// registered by hand (and outside any namespace).
static void registerImageResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

constexpr std::array<const char *, AppImages::IconCount> iconFiles = {
    "00-stop",
    "01-soundcard-off",
    "02-soundcard-on",
    "03-transmit",
    "04-tune",
    "05-cw-id",
    "06-macro-editor",
    "07-macro-wizard",
    "08-send-text",
    "09-rewind",
    "10-audio-properties",
    "11-input-level",
    "12-output-level",
    "13-setup",
    "14-clear",
    "15-about",
    "16-help",
    "17-context-help",
    "18-exit",
    "19-copy",
    "20-paste",
    "21-web-address",
    "22-information",
    "23-warning",
    "24-internet-search",
    "25-globe",
};

struct CursorShape {
    const char *resourceName;
    const char *file;
    int hotX;
    int hotY;
};

constexpr std::array<CursorShape, AppImages::CursorCount> cursorShapes = {{
    {"CRMAIN", "crmain", 29, 12},
    {"CRPSK", "crpsk", 21, 15},
    {"CRFLECHE", "crfleche", 31, 15},
    {"CRCROIX", "crcroix", 15, 15},
    {"CRSPLIT", "crsplit", 16, 15},
}};

// Scales at which every icon is rendered straight from its drawing; QIcon picks the
// nearest one and only resamples for the scales in between.
constexpr std::array<qreal, 5> iconScales = {1.0, 1.25, 1.5, 2.0, 3.0};

constexpr std::array<int, 7> appIconSizes = {16, 24, 32, 48, 64, 128, 256};

struct Cache {
    QHash<qint64, QPixmap> pixmaps; // key: icon number and scale in hundredths
    std::array<QIcon, AppImages::IconCount> icons;
    std::array<std::optional<QCursor>, AppImages::CursorCount> cursors;
    QList<QPixmap> trayFrames;
    QIcon appIcon;
};

Cache *theCache = nullptr;

// Dropped with the application object, so no pixmap outlives the GUI it belongs to; a
// later application starts afresh.
void dropCache() {
    delete theCache;
    theCache = nullptr;
}

Cache &cache() {
    if (!theCache) {
        registerImageResources();
        theCache = new Cache;
        qAddPostRoutine(dropCache);
    }
    return *theCache;
}

QImage renderSvg(const QString &file, int logicalSize, qreal scale) {
    const int side = std::max(1, qRound(logicalSize * scale));
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(file);
    if (renderer.isValid()) {
        QPainter painter(&image);
        renderer.render(&painter);
    }
    image.setDevicePixelRatio(scale);
    return image;
}

// A little level meter: five bars rising and falling, each at a whole number of cycles
// per loop so that frame 19 leads back into frame 0.
QPixmap drawTrayFrame(int k) {
    constexpr int side = AppImages::TrayFrameSize;
    constexpr int bars = 5;
    constexpr std::array<int, bars> cycles = {1, 2, 1, 2, 1};
    constexpr std::array<double, bars> phase = {0.0, 0.9, 2.1, 3.4, 4.6};
    const QColor background(0x15, 0x26, 0x3d);
    const QColor green(0x4c, 0xaf, 0x50), yellow(0xf7, 0xc7, 0x3b), red(0xe0, 0x40, 0x3a);

    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(side - 1, 0), QPoint(0, side - 1), QPoint(side - 1, side - 1)})
        image.setPixel(corner, qRgba(0, 0, 0, 0));

    const double t = 2.0 * std::numbers::pi * k / AppImages::TrayFrameCount;
    for (int i = 0; i < bars; ++i) {
        const double level = 0.5 - 0.5 * std::cos(cycles[i] * t + phase[i]);
        const int height = 2 + static_cast<int>(std::lround(11.0 * level)); // 2..13
        const int x = 1 + 3 * i;
        for (int r = 0; r < height; ++r) {
            const QColor &c = r < 7 ? green : r < 10 ? yellow : red;
            const int y = side - 2 - r;
            image.setPixelColor(x, y, c);
            image.setPixelColor(x + 1, y, c);
        }
    }
    return QPixmap::fromImage(image);
}

} // namespace

QPixmap AppImages::pixmap(int n, qreal devicePixelRatio) {
    if (n < 0 || n >= IconCount)
        return {};
    if (!(devicePixelRatio > 0.0) || devicePixelRatio > 16.0)
        devicePixelRatio = 1.0;
    const qint64 key = (qint64(n) << 32) | qRound(devicePixelRatio * 100.0);
    QPixmap &slot = cache().pixmaps[key];
    if (slot.isNull()) {
        const QString file = QStringLiteral(":/icons/%1.svg").arg(QLatin1String(iconFiles[n]));
        slot = QPixmap::fromImage(renderSvg(file, IconSize, devicePixelRatio));
    }
    return slot;
}

QIcon AppImages::icon(int n) {
    if (n < 0 || n >= IconCount)
        return {};
    QIcon &slot = cache().icons[n];
    if (slot.isNull()) {
        QIcon built;
        for (const qreal scale : iconScales)
            built.addPixmap(pixmap(n, scale));
        slot = built;
    }
    return slot;
}

QCursor AppImages::cursor(int number) {
    if (number < 1 || number > CursorCount)
        return QCursor(Qt::ArrowCursor);
    std::optional<QCursor> &slot = cache().cursors[number - 1];
    if (!slot) {
        const CursorShape &shape = cursorShapes[number - 1];
        const QPixmap bitmap(QStringLiteral(":/cursors/%1.xpm").arg(QLatin1String(shape.file)));
        slot = bitmap.isNull() ? QCursor(Qt::ArrowCursor) : QCursor(bitmap, shape.hotX, shape.hotY);
    }
    return *slot;
}

QStringList AppImages::cursorResourceNames() {
    QStringList names;
    for (const CursorShape &shape : cursorShapes)
        names << QLatin1String(shape.resourceName);
    return names;
}

QPixmap AppImages::trayFrame(int k) {
    if (k < 0 || k >= TrayFrameCount)
        return {};
    QList<QPixmap> &frames = cache().trayFrames;
    if (frames.isEmpty()) {
        for (int i = 0; i < TrayFrameCount; ++i)
            frames << drawTrayFrame(i);
    }
    return frames[k];
}

QIcon AppImages::appIcon() {
    QIcon &slot = cache().appIcon;
    if (slot.isNull()) {
        QIcon built;
        for (const int size : appIconSizes)
            built.addPixmap(QPixmap::fromImage(renderSvg(QStringLiteral(":/icons/varnek.svg"), size, 1.0)));
        slot = built;
    }
    return slot;
}
