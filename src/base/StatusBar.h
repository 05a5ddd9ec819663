#pragma once
// The six-panel status bar at the bottom of the main window. Panels 0..2 show
// text; panels 3..5 are drawn by their owner through onDrawPanel.

#include <QWidget>
#include <array>
#include <functional>

class TStatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int PanelCount = 6;

    explicit TStatusBar(QWidget *parent = nullptr);

    // Invokable so that language files can reach the panels ("Panels<k>.Text").
    Q_INVOKABLE int panelCount() const { return PanelCount; }
    Q_INVOKABLE void setPanelText(int index, const QString &text);
    Q_INVOKABLE QString panelText(int index) const;
    int panelWidth(int index) const;
    void setPanelWidth(int index, int width);
    // Rectangle of a panel inside the bar (the last panel takes what is left).
    QRect panelRect(int index) const;

    // Draws an owner-drawn panel (3, 4, 5) into rect.
    std::function<void(QPainter &, int index, const QRect &rect)> onDrawPanel;
    std::function<void(int x, int y)> onMouseMove;

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;

private:
    std::array<QString, PanelCount> m_texts;
    std::array<int, PanelCount> m_widths{62, 65, 130, 270, 80, 50};
};
