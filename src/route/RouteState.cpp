// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/RouteState.h"

int RouteState::lineOfRow(int row) const {
    if (row < 1 || row > waypointLines.size())
        return -1;
    return waypointLines.at(row - 1);
}
