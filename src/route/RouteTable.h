// SPDX-License-Identifier: GPL-3.0-or-later
// The route table: the one store of the loaded route's waypoint values, as text by
// (column, row). Row 0 holds the column headers; rows 1 and after hold one waypoint each.
// As a Qt model it shows rows 1 and after as its rows and row 0 as its horizontal header,
// so a QTableView can show it directly, each cell as DisplayText.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QVector>

class RouteTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColNo = 0,
        ColName = 1,
        ColLatitude = 2,
        ColLongitude = 3,
        ColDate = 4,
        ColIcon = 5,
        ColLeg = 6,
        ColTotal = 7,
    };
    static constexpr int HeaderColumns = 8;

    explicit RouteTable(QObject* parent = nullptr);

    // Cell text; a cell outside the table or never written reads as the empty text.
    QString cell(int column, int row) const;
    // Writes inside the current size only; writes outside it are dropped.
    void setCell(int column, int row, const QString& text);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    // Changing a count keeps every cell that stays inside the table.
    void setRowCount(int rows);
    void setColumnCount(int columns);

    // Row 0: "NO", "WPT Name", ... "Total Dist."
    void writeHeaderRow();

    // QAbstractTableModel: model row r is table row r + 1.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void resize(int rows, int columns);

    int m_rows = 0;
    int m_columns = 0;
    QVector<QString> m_cells; // row-major, m_rows * m_columns
};
