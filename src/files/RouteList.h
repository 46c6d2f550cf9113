// SPDX-License-Identifier: GPL-3.0-or-later
// One entry of the list of routes a file holds, as the route choice shows it: the window's
// list and rv58route-cli's --routes.
#pragma once

#include <QString>

struct RouteListEntry {
    int number = 0; // from 1, in file order (a GPX file's tracks after its routes)
    QString name;
    int points = 0;
    QString kind = QStringLiteral("route"); // "route", or "track" for a GPX track
};
