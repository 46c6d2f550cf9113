// SPDX-License-Identifier: GPL-3.0-or-later
// Draws the route table's cells: the "NO" column like a header section, every other cell
// as usual, and then hands each cell to the window's cell-drawing handler so it can draw
// over the text (the icons of the "Icon" column). Its size hints are what that drawing
// needs, so a column sized to them shows every value whole.
#pragma once

#include <QHash>
#include <QStyledItemDelegate>

#include <functional>

class RouteGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Column, table row (model row + 1, as the table counts), cell rectangle, painter.
    using DrawCellHook = std::function<void(int, int, const QRect&, QPainter&)>;

    using QStyledItemDelegate::QStyledItemDelegate;

    // Called for every cell after its text is drawn.
    void setDrawCell(DrawCellHook drawCell) { m_drawCell = std::move(drawCell); }
    // The cells of `column` keep `pixels` beside their text for what the hook draws there.
    void setExtraWidth(int column, int pixels) { m_extraWidth.insert(column, pixels); }
    // The size a cell of `column` showing `text` needs, drawn with `option`'s font and style.
    QSize cellSize(const QStyleOptionViewItem& option, int column, const QString& text) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    DrawCellHook m_drawCell;
    QHash<int, int> m_extraWidth;
};
