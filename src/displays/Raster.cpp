#include "displays/Raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace raster {

namespace {

inline void put(QImage &image, int x, int y, QRgb color) {
    reinterpret_cast<QRgb *>(image.scanLine(y))[x] = color;
}

// Cuts a long line to the image grown by a margin, so the step loop below
// never walks millions of pixels outside it. Only lines much longer than the
// image are cut; their visible pixels may then move by rounding, which
// matters only for values far beyond full scale.
bool clipLong(const QImage &image, int64_t &x0, int64_t &y0, int64_t &x1, int64_t &y1) {
    const int64_t w = image.width(), h = image.height();
    const int64_t limit = 4 * (w + h) + 16;
    if (std::llabs(x1 - x0) <= limit && std::llabs(y1 - y0) <= limit)
        return true;
    const double xmin = -2, ymin = -2, xmax = double(w) + 1, ymax = double(h) + 1;
    const double dx = double(x1 - x0), dy = double(y1 - y0);
    double t0 = 0, t1 = 1;
    auto edge = [&](double p, double q) {
        if (p == 0)
            return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    if (!edge(-dx, double(x0) - xmin) || !edge(dx, xmax - double(x0)) || !edge(-dy, double(y0) - ymin) ||
        !edge(dy, ymax - double(y0)))
        return false;
    const double sx = double(x0), sy = double(y0);
    x0 = std::llround(sx + t0 * dx);
    y0 = std::llround(sy + t0 * dy);
    // The end, when cut, lies on the margin outside the image, so leaving it
    // out changes nothing visible.
    x1 = std::llround(sx + t1 * dx);
    y1 = std::llround(sy + t1 * dy);
    return true;
}

} // namespace

void plot(QImage &image, int x, int y, QRgb color) {
    if (x >= 0 && y >= 0 && x < image.width() && y < image.height())
        put(image, x, y, color);
}

void vline(QImage &image, int x, int y0, int y1, QRgb color) {
    if (x < 0 || x >= image.width() || y0 == y1)
        return;
    // Rows covered: y0 .. y1 - 1 going down, y1 + 1 .. y0 going up.
    int64_t top = y0 < y1 ? int64_t{y0} : int64_t{y1} + 1;
    int64_t bottom = y0 < y1 ? int64_t{y1} - 1 : int64_t{y0};
    top = std::max<int64_t>(top, 0);
    bottom = std::min<int64_t>(bottom, image.height() - 1);
    for (int64_t y = top; y <= bottom; ++y)
        put(image, x, int(y), color);
}

void hline(QImage &image, int x0, int x1, int y, QRgb color) {
    if (y < 0 || y >= image.height() || x0 == x1)
        return;
    int64_t left = x0 < x1 ? int64_t{x0} : int64_t{x1} + 1;
    int64_t right = x0 < x1 ? int64_t{x1} - 1 : int64_t{x0};
    left = std::max<int64_t>(left, 0);
    right = std::min<int64_t>(right, image.width() - 1);
    if (left > right)
        return;
    QRgb *row = reinterpret_cast<QRgb *>(image.scanLine(y));
    std::fill(row + left, row + right + 1, color);
}

void line(QImage &image, int ix0, int iy0, int ix1, int iy1, QRgb color) {
    if (ix0 == ix1) {
        vline(image, ix0, iy0, iy1, color);
        return;
    }
    if (iy0 == iy1) {
        hline(image, ix0, ix1, iy0, color);
        return;
    }
    int64_t x0 = ix0, y0 = iy0, x1 = ix1, y1 = iy1;
    if (!clipLong(image, x0, y0, x1, y1))
        return;
    // Bresenham's walk; it stops before plotting the end point.
    const int64_t dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
    const int64_t sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    const int64_t w = image.width(), h = image.height();
    int64_t err = dx + dy;
    while (x0 != x1 || y0 != y1) {
        if (x0 >= 0 && y0 >= 0 && x0 < w && y0 < h)
            put(image, int(x0), int(y0), color);
        const int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

} // namespace raster
