// SPDX-License-Identifier: GPL-3.0-or-later
// The route's numbers: every waypoint projected on one central meridian, the legs between
// consecutive points, the route length, and their texts in km or miles, truncated to two
// decimals. Works on the route table's cells and hands back what the window shows.
#pragma once

#include "geometry/ProjectedPoint.h"

#include <QString>
#include <QVector>
#include <array>
#include <optional>

class RouteTable;

// The unit distances are shown in; the window starts in miles.
enum class Unit { Km = 0, Mile = 1 };

// 1/1.609344: applied to metres it gives thousandths of a mile.
constexpr double MetresToMilliMiles = 0.621371192237334;

// The leading decimal number of a cell (blanks, sign, digits, point, exponent; the rest is
// ignored), read with the C locale. Text without one, or out of double range, gives 0.
double ParseLeadingNumber(const QString& text);

// value (metres, or thousandths of a mile) as "%d.%02d", truncated, never rounded.
QString FormatDistance(double value);
// The route length label: "%d.%02dkm" or "%d.%02dmiles".
QString FormatRouteLength(double metres, Unit unit);

// The length in metres of a route of any number of points, measured as the table is.
double MeasureRouteLength(const QVector<double>& lats, const QVector<double>& lons);

struct Measurement {
    QString routeLengthText; // "1.99km"
    QString countText;       // waypoint count in decimal
    QVector<ProjectedPoint> points;
};

class RouteMeasurement {
public:
    // A route file holds at most 124 waypoints; the tables leave room to spare.
    static constexpr int MaxWaypoints = 128;

    // Measures table rows 1..waypointCount and writes the "Leg Dist." and "Total Dist."
    // cells of rows 2..n in `unit`.
    Measurement measure(RouteTable& table, int waypointCount, Unit unit);

    // Reformats the stored legs of the `count` waypoints last measured in another unit,
    // without measuring again. Returns the new route length text, or nothing when nothing
    // changes (the count is 0 or the unit is the one already shown).
    std::optional<QString> switchUnit(RouteTable& table, int count, Unit unit);

    double legDistance(int i) const;
    double routeLength() const { return RouteLength; }
    // The unit the distance cells and the label were last written in.
    Unit displayedUnit() const { return DisplayedUnit; }

private:
    // Entry i is the leg that ends at waypoint i (table row i + 1); entry 0 stays 0.
    std::array<double, MaxWaypoints> LegDistances{};
    double RouteLength = 0;
    Unit DisplayedUnit = Unit::Mile;
};
