// SPDX-License-Identifier: GPL-3.0-or-later
// The route table's view. Its columns are sized to fit the window, so it never scrolls
// sideways: the "NO" column stays at the left edge, and the columns without a header that a
// loaded file adds are never scrolled into, whatever the keyboard, wheel or selection do.
#pragma once

#include <QTableView>

class RouteGridView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

protected:
    void updateGeometries() override;
};
