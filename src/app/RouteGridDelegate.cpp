// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RouteGridDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

namespace {

// The "NO" column's cells are header sections, never shown as selected.
QStyleOptionHeader headerOption(const QStyleOptionViewItem& option, const QString& text) {
    QStyleOptionHeader header;
    header.rect = option.rect;
    header.palette = option.palette;
    header.fontMetrics = option.fontMetrics;
    header.state = option.state & (QStyle::State_Enabled | QStyle::State_Active);
    header.orientation = Qt::Vertical;
    header.text = text;
    header.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    return header;
}

QStyle* styleOf(const QStyleOptionViewItem& option) {
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

void RouteGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (index.column() == 0) {
        painter->save();
        const QStyleOptionHeader header = headerOption(option, index.data().toString());
        styleOf(option)->drawControl(QStyle::CE_Header, &header, painter, option.widget);
        painter->restore();
    } else {
        QStyledItemDelegate::paint(painter, option, index);
    }
    if (m_drawCell) {
        painter->save();
        m_drawCell(index.column(), index.row() + 1, option.rect, *painter);
        painter->restore();
    }
}

QSize RouteGridDelegate::cellSize(const QStyleOptionViewItem& option, int column,
                                  const QString& text) const {
    QSize size;
    if (column == 0) {
        const QStyleOptionHeader header = headerOption(option, text);
        size = styleOf(option)->sizeFromContents(QStyle::CT_HeaderSection, &header, QSize(),
                                                 option.widget);
    } else {
        QStyleOptionViewItem item = option;
        item.features |= QStyleOptionViewItem::HasDisplay;
        item.text = text;
        size = styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(),
                                                 option.widget);
    }
    return size + QSize(m_extraWidth.value(column), 0);
}

QSize RouteGridDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    return cellSize(item, index.column(), item.text);
}
