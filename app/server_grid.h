// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableWidget>

namespace vexo {

// The grid of the files on the server: two text columns whose row 0 holds the
// titles. Its header row is one of the grid's own rows, drawn as a header
// while it is fixed and as an ordinary row otherwise.
class ServerGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit ServerGrid(QWidget* parent);

    void setCellText(int column, int row, const QString& text);
    QString cellText(int column, int row) const;
    void setFixedRowCount(int rows);
    int fixedRowCount() const { return fixedRows_; }
    void setRowTotal(int rows);

private:
    void styleRow(int row);

    int fixedRows_ = 0;
};

} // namespace vexo
