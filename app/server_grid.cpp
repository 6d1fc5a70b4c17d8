// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/server_grid.h"

#include <QHeaderView>
#include <QStandardItemModel>

namespace vexo {

namespace {

constexpr int kColumnWidth = 300;

} // namespace

ServerGrid::ServerGrid(QWidget* parent) : QTableView(parent), cells_(new QStandardItemModel(1, 2, this))
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    // Tab and Shift+Tab leave the grid for the next control: the arrow keys
    // move between its cells.
    setTabKeyNavigation(false);
}

void ServerGrid::showEvent(QShowEvent* event)
{
    showCells();
    QTableView::showEvent(event);
}

void ServerGrid::showCells()
{
    if (model() == cells_)
        return;
    setModel(cells_);
    // The columns exist once the model is in place.
    setColumnWidth(0, kColumnWidth);
    setColumnWidth(1, kColumnWidth);
}

void ServerGrid::setCellText(int column, int row, const QString& text)
{
    QStandardItem* cell = cells_->item(row, column);
    if (!cell) {
        cell = new QStandardItem;
        cells_->setItem(row, column, cell);
        styleRow(row);
    }
    cell->setText(text);
}

QString ServerGrid::cellText(int column, int row) const
{
    const QStandardItem* cell = cells_->item(row, column);
    return cell ? cell->text() : QString();
}

void ServerGrid::setFixedRowCount(int rows)
{
    fixedRows_ = rows;
    for (int row = 0; row < rowCount(); ++row)
        styleRow(row);
}

void ServerGrid::setRowTotal(int rows)
{
    cells_->setRowCount(rows < 1 ? 1 : rows);
    // A grid keeps at least one row below its fixed rows.
    if (fixedRows_ >= rowCount())
        setFixedRowCount(rowCount() - 1);
}

int ServerGrid::rowCount() const
{
    return cells_->rowCount();
}

int ServerGrid::columnCount() const
{
    return cells_->columnCount();
}

void ServerGrid::styleRow(int row)
{
    const bool fixed = row < fixedRows_;
    for (int column = 0; column < columnCount(); ++column) {
        QStandardItem* cell = cells_->item(row, column);
        if (!cell)
            continue;
        cell->setFlags(fixed ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        cell->setBackground(fixed ? palette().button() : QBrush());
        QFont font = cell->font();
        font.setBold(fixed);
        cell->setFont(font);
    }
}

} // namespace vexo
