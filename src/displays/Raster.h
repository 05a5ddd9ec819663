#pragma once
// Pixel-exact drawing on 32-bit off-screen images. The displays' rules name
// exact rows and columns and draw lines "up to, but not including, the end
// point"; drawing the pixels ourselves keeps that exact on every platform
// and is cheaper than a painter for the few lines each paint needs.
//
// Every call clips to the image, so coordinates far outside (a value beyond
// full scale, a band edited by hand) cost nothing and never write out of
// bounds.

#include <QImage>

namespace raster {

// Pixel (x, y) when it lies inside the image.
void plot(QImage &image, int x, int y, QRgb color);
// Pixels (x, y0) .. (x, y1) excluded, in either direction.
void vline(QImage &image, int x, int y0, int y1, QRgb color);
// Pixels (x0, y) .. (x1, y) excluded, in either direction.
void hline(QImage &image, int x0, int x1, int y, QRgb color);
// A straight line from (x0, y0) to (x1, y1), the end point not drawn.
void line(QImage &image, int x0, int y0, int x1, int y1, QRgb color);

// A polyline that continues from the pen position, as a sequence of line()
// calls would: every vertex is drawn except the last one.
class Pen {
public:
    Pen(QImage &image, QRgb color) : m_image(image), m_color(color) {}
    void moveTo(int x, int y) {
        m_x = x;
        m_y = y;
    }
    void lineTo(int x, int y) {
        line(m_image, m_x, m_y, x, y, m_color);
        moveTo(x, y);
    }

private:
    QImage &m_image;
    QRgb m_color;
    int m_x = 0, m_y = 0;
};

} // namespace raster
