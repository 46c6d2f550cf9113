// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the route table's cells: the "NO" column like a header section, every other cell
// as usual, and then hands each cell to the window's cell-drawing handler so it can draw
// over the text (the icons of the "Icon" column).
#pragma once

#include <QStyledItemDelegate>

#include <functional>

class RouteGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Column, table row (model row + 1, as the table counts), cell rectangle, painter.
    using DrawCellHook = std::function<void(int, int, const QRect&, QPainter&)>;

    RouteGridDelegate(DrawCellHook drawCell, QObject* parent = nullptr)
        : QStyledItemDelegate(parent), m_drawCell(std::move(drawCell)) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    DrawCellHook m_drawCell;
};
