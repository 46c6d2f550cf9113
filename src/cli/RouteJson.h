// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON object that `show --json` prints for scripts: values typed, numbers written from
// the cells' own decimal text so that a latitude is exactly the file's value, with no
// binary floating-point noise. docs/show.schema.json describes it.
#pragma once

#include "geometry/RouteMeasurement.h"

#include <QString>

class RouteTable;

// The version of the object's layout, given as its "format" member; it grows when a member
// changes its meaning or goes away.
constexpr int RouteJsonFormat = 1;

// The number that a cell's text holds (blanks and a line end around it allowed; sign,
// digits and at most one point), as JSON number text; empty when it holds no such number.
QString JsonNumber(const QString& text);

// A route file's date field, days since 1899-12-30 with the time of day as the fraction,
// as ISO 8601 UTC text to the second ("2009-07-06T00:00:00Z"); empty for an empty, zero or
// unreadable date.
QString IsoDate(const QString& field);

// The loaded route: its name, the unit, the route length, and table rows 1 to
// waypointCount with the distances measured in `unit`.
QString RouteJson(const RouteTable& table, int waypointCount, const QString& routeName, Unit unit,
                  const QString& routeLengthText);
