#pragma once

// A grid of texts addressed by column and row, whose first row and first
// column stay in place while the rest scrolls: the titles are row 0, the
// record numbers column 0. Cells outside the grid read as empty and ignore
// writes.

#include <QHeaderView>
#include <QTableWidget>

class QLabel;

namespace zelt {

class TStringGrid : public QTableWidget {
    Q_OBJECT
public:
    TStringGrid(int colCount, int rowCount, QWidget* parent = nullptr);

    int ColCount() const { return columnCount() + 1; }
    int RowCount() const { return rowCount() + 1; }
    void SetRowCount(int rows);

    QString Cell(int col, int row) const;
    void SetCell(int col, int row, const QString& text);
    void SetColWidth(int col, int width);

    // Rows 1 to lastRow emptied in every column.
    void ClearRows(int lastRow);

    // The first scrolling row and column in view.
    int TopRow() const;
    int LeftCol() const;
    // Shows row 1 at the top and column 1 at the left.
    void ScrollToOrigin();

protected:
    void updateGeometries() override;

private:
    QTableWidgetItem* ItemAt(int col, int row) const;

    QLabel* corner_; // cell (0, 0), over the corner of the two fixed lines
};

} // namespace zelt
