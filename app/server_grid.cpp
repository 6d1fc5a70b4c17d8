// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/server_grid.h"

#include <QHeaderView>

namespace vexo {

ServerGrid::ServerGrid(QWidget* parent) : QTableWidget(1, 2, parent)
{
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setColumnWidth(0, 300);
    setColumnWidth(1, 300);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    // Tab and Shift+Tab leave the grid for the next control: the arrow keys
    // move between its cells.
    setTabKeyNavigation(false);
}

void ServerGrid::setCellText(int column, int row, const QString& text)
{
    QTableWidgetItem* cell = item(row, column);
    if (!cell) {
        cell = new QTableWidgetItem;
        setItem(row, column, cell);
        styleRow(row);
    }
    cell->setText(text);
}

QString ServerGrid::cellText(int column, int row) const
{
    const QTableWidgetItem* cell = item(row, column);
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
    setRowCount(rows < 1 ? 1 : rows);
    // A grid keeps at least one row below its fixed rows.
    if (fixedRows_ >= rowCount())
        setFixedRowCount(rowCount() - 1);
}

void ServerGrid::styleRow(int row)
{
    const bool fixed = row < fixedRows_;
    for (int column = 0; column < columnCount(); ++column) {
        QTableWidgetItem* cell = item(row, column);
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
