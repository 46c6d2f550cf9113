// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RouteGridDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionHeader>

void RouteGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    if (index.column() == 0) {
        // The fixed "NO" column: a header section, never shown as selected.
        QStyleOptionHeader header;
        header.rect = option.rect;
        header.palette = option.palette;
        header.state = option.state & (QStyle::State_Enabled | QStyle::State_Active);
        header.orientation = Qt::Vertical;
        header.text = index.data().toString();
        header.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        painter->save();
        style->drawControl(QStyle::CE_Header, &header, painter, widget);
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
