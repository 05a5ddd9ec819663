#pragma once
// An LED-matrix text display: a row of character cells, each a 5 x 7 grid of
// LEDs, lit in one colour on a black board. The text scrolls by itself, one
// cell to the left on every tick, and comes round again after a blank gap as
// long as the display. Painting goes through an off-screen image (frame()),
// so tests can look at any frame without a screen.

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

class QTimer;

class TLedMatrix : public QWidget {
    Q_OBJECT
public:
    static constexpr int GlyphColumns = 5;
    static constexpr int GlyphRows = 7;

    explicit TLedMatrix(QWidget *parent = nullptr);

    void setText(const QString &text);
    QString text() const { return m_text; }
    void setCells(int cells);
    int cells() const { return m_cells; }
    void setLitColor(const QColor &c);
    // Scroll period in milliseconds; 0 stops scrolling.
    void setInterval(int ms);
    int interval() const;

    // Moves the text one cell on, as the timer does.
    void step();
    // Scroll position: index into the text (plus its trailing gap) of the
    // character shown in the first cell.
    int offset() const { return m_offset; }
    // The characters the cells show now (blanks included).
    QString visibleText() const;
    // The whole display as it is painted now, at the widget's size.
    QImage frame() const;

    // Where the LED (column, row) of a cell is drawn; tests read its colour.
    QPoint ledCentre(int cell, int column, int row) const;
    // The 5 column bytes of a character (bit 0 the top row); characters the
    // font lacks are shown by their unaccented letter or as '?'.
    static const unsigned char *glyph(QChar c);

    QSize sizeHint() const override { return {392, 30}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    double pitch() const;
    QPointF origin() const;

    QString m_text;
    int m_cells = 24;
    int m_offset = 0;
    QColor m_lit = QColor(0x00, 0xFF, 0x00);
    QColor m_unlit = QColor(0x00, 0x2A, 0x00);
    QTimer *m_timer;
};
