// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RouteGridView.h"

#include <QScrollBar>

void RouteGridView::updateGeometries() {
    QTableView::updateGeometries();
    // Every way of scrolling goes through the scroll bar's value, which an empty range
    // holds at 0.
    horizontalScrollBar()->setRange(0, 0);
}
