// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RouteGridView.h"

#include <QEvent>
#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

RouteGridView::RouteGridView(QWidget* parent)
    : QTableView(parent), m_delegate(new RouteGridDelegate(this)) {
    setItemDelegate(m_delegate);
}

void RouteGridView::setCellHook(RouteGridDelegate::DrawCellHook drawCell, int column, int room) {
    m_delegate->setDrawCell(std::move(drawCell));
    m_delegate->setExtraWidth(column, room);
}

void RouteGridView::fitColumns(const QStringList& widest, int fillColumn) {
    m_widest = widest;
    m_fillColumn = fillColumn;
    fitColumnsToFont();
}

void RouteGridView::fitColumnsToFont() {
    m_fitPending = false;
    // A hidden section has no size hint.
    showNamedColumnsOnly();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const int gridLine = showGrid() ? 1 : 0;
    // A long route shows the vertical scroll bar; the columns fit beside it.
    int room = width() - 2 * frameWidth() -
               style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    QList<int> widths(m_widest.size(), 0);
    for (int c = 0; c < m_widest.size(); ++c) {
        if (m_widest.at(c).isEmpty())
            continue;
        // The grid line is drawn inside the column, beside the cell.
        widths[c] = qMax(horizontalHeader()->sectionSizeHint(c),
                         m_delegate->cellSize(option, c, m_widest.at(c)).width() + gridLine);
        if (c != m_fillColumn)
            room -= widths.at(c);
    }
    // The fill column gives way to the others down to its header: a name is cut before a
    // number is.
    widths[m_fillColumn] = qMax(horizontalHeader()->sectionSizeHint(m_fillColumn), room);
    for (int c = 0; c < widths.size(); ++c)
        setColumnWidth(c, widths.at(c));
}

bool RouteGridView::event(QEvent* event) {
    const bool handled = QTableView::event(event);
    // The platform's fonts and the style are in place once the view is polished, and may
    // change later. The header takes a new font after the view, so the columns are sized
    // again once the event loop is back.
    const QEvent::Type type = event->type();
    if ((type == QEvent::Polish || type == QEvent::FontChange || type == QEvent::StyleChange) &&
        !m_widest.isEmpty() && !m_fitPending) {
        m_fitPending = true;
        QMetaObject::invokeMethod(
            this, [this] { fitColumnsToFont(); }, Qt::QueuedConnection);
    }
    return handled;
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
