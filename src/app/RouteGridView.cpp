// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RouteGridView.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

void RouteGridView::fitColumns(const QStringList& widest, const QList<int>& extraRoom,
                               int fillColumn) {
    m_widest = widest;
    // A hidden section has no size hint.
    showNamedColumnsOnly();
    // The view's own measures: a cell's text keeps the focus frame margin and a pixel free
    // on each side; a header needs what its section size hint says.
    const QFontMetrics metrics(font());
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    // A long route shows the vertical scroll bar; the columns fit beside it.
    int room = width() - 2 * frameWidth() -
               style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QList<int> widths(widest.size(), 0);
    for (int c = 0; c < widest.size(); ++c) {
        if (widest.at(c).isEmpty())
            continue;
        widths[c] = qMax(horizontalHeader()->sectionSizeHint(c),
                         metrics.horizontalAdvance(widest.at(c)) + 2 * margin + extraRoom.value(c));
        if (c != fillColumn)
            room -= widths.at(c);
    }
    widths[fillColumn] = qMax(widths.at(fillColumn), room);
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, widths.at(c));
}

void RouteGridView::setModel(QAbstractItemModel* model) {
    QTableView::setModel(model);
    // A load replaces the table's rows and columns, which resets the view's columns; the
    // widths in use are kept.
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_keptWidths.clear();
        for (int c = 0; c < horizontalHeader()->count(); ++c)
            m_keptWidths.append(columnWidth(c));
    });
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        for (int c = 0; c < horizontalHeader()->count(); ++c)
            setColumnWidth(c, m_keptWidths.value(c, horizontalHeader()->defaultSectionSize()));
        showNamedColumnsOnly();
    });
}

void RouteGridView::showNamedColumnsOnly() {
    for (int c = 0; c < horizontalHeader()->count(); ++c)
        setColumnHidden(c, m_widest.value(c).isEmpty());
}

void RouteGridView::updateGeometries() {
    QTableView::updateGeometries();
    // Every way of scrolling goes through the scroll bar's value, which an empty range
    // holds at 0.
    horizontalScrollBar()->setRange(0, 0);
}
