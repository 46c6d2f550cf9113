// SPDX-License-Identifier: GPL-3.0-or-later
// The route table's view. Its columns are sized to fit the window, so it never scrolls
// sideways: the "NO" column stays at the left edge, and the columns without a header that a
// loaded file adds are never scrolled into, whatever the keyboard, wheel or selection do.
#pragma once

#include <QList>
#include <QStringList>
#include <QTableView>

class RouteGridView : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

    // Sizes the columns to the widest text each one shows (`widest`, in column order) and to
    // its header, with `extraRoom` pixels more where something is drawn over the cells;
    // `fillColumn` takes whatever room the others leave. A column without a text (an empty
    // one, or one past the list) is hidden. The widths in use, which the user may change,
    // are kept when the model is reset.
    void fitColumns(const QStringList& widest, const QList<int>& extraRoom, int fillColumn);

    void setModel(QAbstractItemModel* model) override;

protected:
    void updateGeometries() override;

private:
    void showNamedColumnsOnly();

    QStringList m_widest;
    QList<int> m_keptWidths;
};
