#include "history/StringGrid.h"

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>

namespace zelt {

TStringGrid::TStringGrid(int colCount, int rowCount, QWidget* parent)
    : QTableWidget(0, colCount - 1, parent), corner_(new QLabel(this))
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setCornerButtonEnabled(false);
    for (QHeaderView* header : {horizontalHeader(), verticalHeader()}) {
        header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        header->setSectionsClickable(false);
        header->setHighlightSections(false);
    }
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Without items the headers would number themselves.
    for (int c = 1; c < colCount; ++c)
        setHorizontalHeaderItem(c - 1, new QTableWidgetItem());
    SetRowCount(rowCount);
    corner_->setAutoFillBackground(true);
    corner_->setBackgroundRole(QPalette::Button);
    corner_->setContentsMargins(3, 0, 0, 0);
}

void TStringGrid::SetRowCount(int rows)
{
    const int before = rowCount();
    setRowCount(rows - 1);
    for (int r = before; r < rows - 1; ++r)
        setVerticalHeaderItem(r, new QTableWidgetItem());
}

QTableWidgetItem* TStringGrid::ItemAt(int col, int row) const
{
    if (col <= 0 || row <= 0 || col >= ColCount() || row >= RowCount())
        return nullptr;
    return item(row - 1, col - 1);
}

QString TStringGrid::Cell(int col, int row) const
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return {};
    if (col == 0 && row == 0)
        return corner_->text();
    const QTableWidgetItem* cell = row == 0 ? horizontalHeaderItem(col - 1)
                                 : col == 0 ? verticalHeaderItem(row - 1)
                                            : ItemAt(col, row);
    return cell != nullptr ? cell->text() : QString();
}

void TStringGrid::SetCell(int col, int row, const QString& text)
{
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
        return;
    if (col == 0 && row == 0) {
        corner_->setText(text);
        return;
    }
    if (row == 0) {
        horizontalHeaderItem(col - 1)->setText(text);
    } else if (col == 0) {
        verticalHeaderItem(row - 1)->setText(text);
    } else if (QTableWidgetItem* cell = ItemAt(col, row)) {
        cell->setText(text);
    } else if (!text.isEmpty()) {
        setItem(row - 1, col - 1, new QTableWidgetItem(text));
    }
}

void TStringGrid::SetColWidth(int col, int width)
{
    if (col == 0) {
        verticalHeader()->setFixedWidth(width);
        return;
    }
    setColumnWidth(col - 1, width);
}

void TStringGrid::ClearRows(int lastRow)
{
    for (int r = 1; r <= lastRow; ++r)
        for (int c = 0; c < ColCount(); ++c)
            SetCell(c, r, QString());
}

int TStringGrid::TopRow() const
{
    return verticalScrollBar()->value() + 1;
}

int TStringGrid::LeftCol() const
{
    return horizontalScrollBar()->value() + 1;
}

void TStringGrid::ScrollToOrigin()
{
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
}

void TStringGrid::updateGeometries()
{
    QTableWidget::updateGeometries();
    corner_->setGeometry(frameWidth(), frameWidth(), verticalHeader()->width(), horizontalHeader()->height());
    corner_->raise();
}

} // namespace zelt
