// SPDX-License-Identifier: GPL-3.0-or-later
// The list of the routes a file holds, from which the user picks the one to load: number,
// name, number of points and kind (route or track) of each, the first one chosen to begin
// with. The dialog is as large as its entries need, up to the screen.
#pragma once

#include "files/RouteList.h"

#include <QDialog>
#include <QList>

class QTreeWidget;

class RouteListDialog : public QDialog {
    Q_OBJECT
public:
    explicit RouteListDialog(const QList<RouteListEntry>& routes, QWidget* parent = nullptr);

    // The number of the entry chosen in the list, 0 when none is.
    int chosenNumber() const;

private:
    void addEntries(const QList<RouteListEntry>& routes);
    void fitToEntries();

    QTreeWidget* m_list = nullptr;
};
