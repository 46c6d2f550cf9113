// SPDX-License-Identifier: GPL-3.0-or-later
// The route table's view. Its columns are sized to fit the window, so it never scrolls
// sideways: the "NO" column stays at the left edge, and the columns without a header that a
// loaded file adds are never scrolled into, whatever the keyboard, wheel or selection do.
#pragma once

#include "app/RouteGridDelegate.h"

#include <QList>
#include <QStringList>
#include <QTableView>

class RouteGridView : public QTableView {
    Q_OBJECT
public:
    explicit RouteGridView(QWidget* parent = nullptr);

    // Every cell is drawn by a RouteGridDelegate that hands it to `drawCell` after its text;
    // the cells of `column` keep `room` pixels beside their text for what it draws there.
    void setCellHook(RouteGridDelegate::DrawCellHook drawCell, int column, int room);

    // Sizes the columns to the widest text each one shows (`widest`, in column order) and to
    // its header, as the cells are painted; `fillColumn` takes whatever room the others
    // leave, at least that of its header. A column without a text (an empty one, or one past
    // the list) is hidden. The sizes follow the font: they are taken again whenever the font
    // or style changes. The widths in use, which the user may change, are kept when the
    // model is reset.
    void fitColumns(const QStringList& widest, int fillColumn);

    void setModel(QAbstractItemModel* model) override;

protected:
    bool event(QEvent* event) override;
    void updateGeometries() override;

private:
    void fitColumnsToFont();
    void showNamedColumnsOnly();

    RouteGridDelegate* m_delegate = nullptr;
    QStringList m_widest;
    int m_fillColumn = 0;
    bool m_fitPending = false;
    QList<int> m_keptWidths;
};
