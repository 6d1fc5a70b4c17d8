// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableView>

class QStandardItemModel;

namespace vexo {

// The grid of the files on the server: two text columns whose row 0 holds the
// titles. Its header row is one of the grid's own rows, drawn as a header
// while it is fixed and as an ordinary row otherwise.
//
// The cells are kept from the start, but the view takes them as its model
// only when it is first shown: wiring a view to its model costs more than
// the rest of the hidden tab, and the window's first frame never shows it.
class ServerGrid : public QTableView {
    Q_OBJECT
public:
    explicit ServerGrid(QWidget* parent);

    void setCellText(int column, int row, const QString& text);
    QString cellText(int column, int row) const;
    void setFixedRowCount(int rows);
    int fixedRowCount() const { return fixedRows_; }
    void setRowTotal(int rows);
    int rowCount() const;
    int columnCount() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void styleRow(int row);
    void showCells();

    QStandardItemModel* cells_;
    int fixedRows_ = 0;
};

} // namespace vexo
