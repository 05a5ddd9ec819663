#pragma once
// A string grid in the manner of the classic fixed-row grids: row 0 and
// column 0 are fixed cells that stay in place while the rows scroll, the rest
// is text cells selected a whole row at a time. It paints only the rows in
// view, so a log of tens of thousands of contacts shows at once.

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <functional>
#include <vector>

class TLogGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    static constexpr int RowHeight = 20;
    static constexpr int LineWidth = 1; // grid line between all cells

    // How one cell is drawn.
    struct CellLook {
        QFont font;
        QColor text;
        QColor background;     // used when `gradient` is false
        bool gradient = false; // fixed cells: from yellow to the window colour
        Qt::Alignment alignment = Qt::AlignLeft;
    };

    explicit TLogGrid(QWidget *parent = nullptr);

    void setColumnCount(int n);
    int columnCount() const { return static_cast<int>(m_widths.size()); }
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const { return m_widths.at(static_cast<size_t>(column)); }
    void setRowCount(int n);
    int rowCount() const { return static_cast<int>(m_rows.size()); }

    void setCell(int row, int column, const QString &text);
    QString cell(int row, int column) const;

    // The current row is the selected one. Setting it scrolls it into view.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    // The first scrolling row shown under the fixed row.
    int topRow() const;

    struct Cell {
        int row = -1;
        int column = -1;
    };
    // Where a cell is on the viewport (empty when it is scrolled away), and
    // the cell under a viewport point (-1, -1 on a grid line or outside).
    QRect cellRect(int row, int column) const;
    Cell cellAt(const QPoint &pos) const;

    bool isFixed(int row, int column) const { return row == 0 || column == 0; }
    // The look of a cell after the owner's callbacks had their say.
    CellLook cellLook(int row, int column) const;

    // The owner's per-cell callbacks, asked each time a cell is drawn.
    std::function<void(int row, int column, Qt::Alignment &alignment)> getAlignment;
    std::function<void(int row, int column, QFont &font, QColor &color)> getCellColor;

    // Colour of every other data row.
    QColor bandColor;

signals:
    // Any mouse button pressed on the grid, with all buttons now down.
    void mouseDown(Qt::MouseButtons buttons, const QPoint &pos);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    int visibleDataRows() const;
    int columnLeft(int column) const;
    void updateScrollBar();

    std::vector<int> m_widths;
    std::vector<QStringList> m_rows;
    int m_current = 1;
};
