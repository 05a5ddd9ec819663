#pragma once
// The band selector of the setup dialog: a scale from 100 to 3500 Hz with the band
// shown by the waterfall and the spectrum marked on it. Pressing on the bar moves the
// nearer edge of the band to the press point, and dragging carries it along; each edge
// stays on the scale and the low edge never passes the high one.

#include <QWidget>

class TBandSelector : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLowest = 100;
    static constexpr int kHighest = 3500;
    static constexpr int kMarkStep = 200;

    explicit TBandSelector(QWidget *parent = nullptr);

    int low() const { return m_low; }
    int high() const { return m_high; }
    // Sets both edges, clamped to the scale; a low above the high is taken as the high.
    void setEdges(int low, int high);

    // The frequency under x and the x of a frequency (the scale's inner span).
    int frequencyAt(int x) const;
    int xOf(int hertz) const;

    QSize sizeHint() const override { return {547, 48}; }

signals:
    void edgesChanged(int low, int high);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    enum class Edge { None, Low, High };
    void dragTo(int hertz);
    int scaleLeft() const;
    int scaleWidth() const;

    int m_low = kLowest;
    int m_high = kHighest;
    Edge m_dragging = Edge::None;
};
