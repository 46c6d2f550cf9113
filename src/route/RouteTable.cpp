// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/RouteTable.h"

#include "route/DeviceText.h"

#include <QStringList>

RouteTable::RouteTable(QObject* parent) : QAbstractTableModel(parent) {}

QString RouteTable::cell(int column, int row) const {
    if (column < 0 || row < 0 || column >= m_columns || row >= m_rows)
        return QString();
    return m_cells.at(row * m_columns + column);
}

void RouteTable::setCell(int column, int row, const QString& text) {
    if (column < 0 || row < 0 || column >= m_columns || row >= m_rows)
        return;
    QString& slot = m_cells[row * m_columns + column];
    if (slot == text)
        return;
    slot = text;
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, column, column);
    } else {
        const QModelIndex at = index(row - 1, column);
        emit dataChanged(at, at);
    }
}

void RouteTable::resize(int rows, int columns) {
    rows = qMax(0, rows);
    columns = qMax(0, columns);
    if (rows == m_rows && columns == m_columns)
        return;
    beginResetModel();
    QVector<QString> cells(rows * columns);
    for (int r = 0; r < qMin(rows, m_rows); ++r)
        for (int c = 0; c < qMin(columns, m_columns); ++c)
            cells[r * columns + c] = m_cells.at(r * m_columns + c);
    m_cells.swap(cells);
    m_rows = rows;
    m_columns = columns;
    endResetModel();
}

void RouteTable::setRowCount(int rows) {
    resize(rows, m_columns);
}

void RouteTable::setColumnCount(int columns) {
    resize(m_rows, columns);
}

void RouteTable::writeHeaderRow() {
    static const char* const headers[HeaderColumns] = {
        "NO", "WPT Name", "Latitude", "Longitude", "Date", "Icon", "Leg Dist.", "Total Dist."};
    if (m_rows < 1 || m_columns < HeaderColumns)
        resize(qMax(m_rows, 1), qMax(m_columns, int(HeaderColumns)));
    for (int c = 0; c < HeaderColumns; ++c)
        setCell(c, 0, QString::fromLatin1(headers[c]));
}

int RouteTable::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : qMax(0, m_rows - 1);
}

int RouteTable::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_columns;
}

QVariant RouteTable::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return QVariant();
    // Shown as Windows-1252, the way the converter wrote the bytes; the cell keeps them.
    return DisplayText(cell(index.column(), index.row() + 1));
}

QVariant RouteTable::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return cell(section, 0);
    return QString::number(section + 1);
}
