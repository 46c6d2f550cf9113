// SPDX-License-Identifier: GPL-3.0-or-later
// A waypoint projected to the plane: easting and northing in whole metres. Made by the
// route measurement, drawn by the route overview.
#pragma once

#include <QtGlobal>

struct ProjectedPoint {
    qint32 x = 0; // easting
    qint32 y = 0; // northing
};

inline bool operator==(const ProjectedPoint& a, const ProjectedPoint& b) {
    return a.x == b.x && a.y == b.y;
}
