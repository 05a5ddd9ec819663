#include "LogGrid.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace {
constexpr int Pitch = TLogGrid::RowHeight + TLogGrid::LineWidth;
constexpr int TextMargin = 2;
} // namespace

TLogGrid::TLogGrid(QWidget *parent) : QAbstractScrollArea(parent) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(1);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, viewport(), qOverload<>(&QWidget::update));
}

void TLogGrid::setColumnCount(int n) {
    m_widths.resize(static_cast<size_t>(std::max(0, n)), 64);
    viewport()->update();
}

void TLogGrid::setColumnWidth(int column, int width) {
    if (column < 0 || column >= columnCount())
        return;
    m_widths[static_cast<size_t>(column)] = width;
    viewport()->update();
}

void TLogGrid::setRowCount(int n) {
    m_rows.resize(static_cast<size_t>(std::max(1, n)));
    m_current = std::clamp(m_current, 0, rowCount() - 1);
    updateScrollBar();
    viewport()->update();
}

void TLogGrid::setCell(int row, int column, const QString &text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return;
    QStringList &cells = m_rows[static_cast<size_t>(row)];
    if (cells.size() < columnCount())
        cells.resize(columnCount());
    cells[column] = text;
    viewport()->update();
}

QString TLogGrid::cell(int row, int column) const {
    if (row < 0 || row >= rowCount())
        return {};
    return m_rows[static_cast<size_t>(row)].value(column);
}

void TLogGrid::setCurrentRow(int row) {
    if (row < 0 || row >= rowCount())
        return;
    m_current = row;
    // The fixed row is always in view; a scrolling row is brought under it.
    if (row > 0) {
        const int top = topRow();
        const int shown = std::max(1, visibleDataRows());
        if (row < top)
            verticalScrollBar()->setValue(row - 1);
        else if (row >= top + shown)
            verticalScrollBar()->setValue(row - shown);
    }
    viewport()->update();
}

int TLogGrid::topRow() const {
    return 1 + verticalScrollBar()->value();
}

int TLogGrid::visibleDataRows() const {
    return std::max(0, (viewport()->height() - Pitch) / Pitch);
}

int TLogGrid::columnLeft(int column) const {
    int x = 0;
    for (int c = 0; c < column; ++c)
        x += m_widths[static_cast<size_t>(c)] + LineWidth;
    return x;
}

QRect TLogGrid::cellRect(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    int y = 0;
    if (row > 0) {
        if (row < topRow())
            return {};
        y = (row - topRow() + 1) * Pitch;
        if (y >= viewport()->height())
            return {};
    }
    return QRect(columnLeft(column), y, m_widths[static_cast<size_t>(column)], RowHeight);
}

TLogGrid::Cell TLogGrid::cellAt(const QPoint &pos) const {
    if (pos.x() < 0 || pos.y() < 0)
        return {};
    const int row = pos.y() < Pitch ? 0 : topRow() + pos.y() / Pitch - 1;
    if (row >= rowCount() || pos.y() % Pitch >= RowHeight)
        return {};
    int x = 0;
    for (int c = 0; c < columnCount(); ++c) {
        const int w = m_widths[static_cast<size_t>(c)];
        if (pos.x() < x + w)
            return {row, c};
        if (pos.x() < x + w + LineWidth)
            return {};
        x += w + LineWidth;
    }
    return {};
}

TLogGrid::CellLook TLogGrid::cellLook(int row, int column) const {
    CellLook look;
    look.font = font();
    look.text = palette().color(QPalette::Text);
    if (isFixed(row, column)) {
        look.font.setBold(true);
        look.gradient = true;
    } else {
        look.background = (row % 2 == 0 && bandColor.isValid()) ? bandColor : palette().color(QPalette::Base);
    }
    if (getAlignment)
        getAlignment(row, column, look.alignment);
    if (getCellColor)
        getCellColor(row, column, look.font, look.text);
    // The whole row is selected but its fixed number; that includes the
    // header row when a search lands on it.
    if (row == m_current && column != 0) {
        look.background = Qt::black;
        look.gradient = false;
        look.text = palette().color(QPalette::Base);
    }
    return look;
}

void TLogGrid::paintEvent(QPaintEvent *) {
    QPainter p(viewport());
    const QColor window = palette().color(QPalette::Base);
    // Below the last row and right of the last column the grid is empty
    // window; the lines are drawn only around cells.
    p.fillRect(viewport()->rect(), window);
    const int gridWidth = columnLeft(columnCount());
    auto paintRow = [&](int row, int y) {
        p.fillRect(QRect(0, y, gridWidth, Pitch), palette().color(QPalette::Mid));
        const QStringList &cells = m_rows[static_cast<size_t>(row)];
        int x = 0;
        for (int c = 0; c < columnCount(); ++c) {
            const QRect r(x, y, m_widths[static_cast<size_t>(c)], RowHeight);
            x += r.width() + LineWidth;
            const CellLook look = cellLook(row, c);
            if (look.gradient) {
                QLinearGradient g(r.topLeft(), r.bottomLeft());
                g.setColorAt(0, Qt::yellow);
                g.setColorAt(1, window);
                p.fillRect(r, g);
            } else {
                p.fillRect(r, look.background);
            }
            const QString text = cells.value(c);
            if (text.isEmpty())
                continue;
            p.setFont(look.font);
            p.setPen(look.text);
            p.drawText(r.adjusted(TextMargin, 0, -TextMargin, 0), int(look.alignment | Qt::AlignVCenter),
                       text);
        }
    };
    paintRow(0, 0);
    const int shown = visibleDataRows() + 1; // the last one may be cut
    for (int i = 0; i < shown && topRow() + i < rowCount(); ++i)
        paintRow(topRow() + i, (i + 1) * Pitch);
}

void TLogGrid::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBar();
}

void TLogGrid::updateScrollBar() {
    const int dataRows = rowCount() - 1;
    const int shown = visibleDataRows();
    verticalScrollBar()->setPageStep(std::max(1, shown));
    verticalScrollBar()->setRange(0, std::max(0, dataRows - shown));
}

void TLogGrid::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        const Cell at = cellAt(event->position().toPoint());
        if (at.row > 0)
            setCurrentRow(at.row);
    }
    emit mouseDown(event->buttons(), event->position().toPoint());
}

void TLogGrid::keyPressEvent(QKeyEvent *event) {
    const int page = std::max(1, visibleDataRows());
    const int last = rowCount() - 1;
    int row = m_current;
    switch (event->key()) {
    case Qt::Key_Up:
        row = std::max(1, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(last, row + 1);
        break;
    case Qt::Key_PageUp:
        row = std::max(1, row - page);
        break;
    case Qt::Key_PageDown:
        row = std::min(last, row + page);
        break;
    case Qt::Key_Home:
        row = 1;
        break;
    case Qt::Key_End:
        row = last;
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    if (row >= 1)
        setCurrentRow(row);
}

bool TLogGrid::viewportEvent(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const Cell at = cellAt(help->pos());
        const QString text = at.row >= 0 && !isFixed(at.row, at.column) ? cell(at.row, at.column) : QString();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, viewport(), cellRect(at.row, at.column));
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
