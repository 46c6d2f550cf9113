// SPDX-License-Identifier: GPL-3.0-or-later
#include "geometry/RouteMeasurement.h"

#include "geometry/Utm.h"
#include "route/NumberReader.h"
#include "route/RouteTable.h"

#include <cmath>
#include <limits>

namespace {

// Truncation toward zero into a signed integer type, saturating at its limits instead of
// wrapping. Points are 32-bit (only latitudes far beyond +-90 degrees project outside that
// range); distances are formatted through 64 bits, so a leg or route length beyond 2^31 m
// still shows as a number.
template <class Int> Int TruncateTo(double value) {
    if (std::isnan(value))
        return 0;
    const double t = std::trunc(value);
    // The maximum as a double may round up to 2^N; anything from there on saturates.
    if (t >= static_cast<double>(std::numeric_limits<Int>::max()))
        return std::numeric_limits<Int>::max();
    if (t <= static_cast<double>(std::numeric_limits<Int>::min()))
        return std::numeric_limits<Int>::min();
    return static_cast<Int>(t);
}

double UnitFactor(Unit unit) {
    return unit == Unit::Km ? 1.0 : MetresToMilliMiles;
}

} // namespace

double ParseLeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && IsBlank(text.at(i).unicode()))
        ++i;
    return ReadNumber(text, i, NumberShape::Scientific).value.value_or(0.0);
}

QString FormatDistance(double value) {
    // "%d.%02d" of the whole units and the hundredths, composed directly: this runs for
    // every cell of every refresh.
    const qint64 t = TruncateTo<qint64>(value);
    const int hundredths = int(t % 1000 / 10);
    QString text = QString::number(t / 1000);
    text += QLatin1Char('.');
    if (hundredths >= 0 && hundredths < 10)
        text += QLatin1Char('0');
    text += QString::number(hundredths);
    return text;
}

QString FormatRouteLength(double metres, Unit unit) {
    const QString unitName = unit == Unit::Km ? QStringLiteral("km") : QStringLiteral("miles");
    return FormatDistance(metres * UnitFactor(unit)) + unitName;
}

double RouteMeasurement::legDistance(int i) const {
    return i >= 0 && i < MaxWaypoints ? LegDistances[i] : 0.0;
}

// Every point (decimal degrees) projected in whole metres on the route's one central
// meridian.
static QVector<ProjectedPoint> ProjectRoute(const QVector<double>& lats,
                                            const QVector<double>& lons) {
    const int n = int(qMin(lats.size(), lons.size()));
    double minLon = 180.0;
    int westernmost = 0;
    bool south = false;
    bool north = false;
    for (int i = 0; i < n; ++i) {
        if (lons[i] < minLon)
            minLon = lons[i];
        if (lons[i] < lons[westernmost])
            westernmost = i;
        if (lats[i] < 0)
            south = true;
        else
            north = true;
    }

    // Every point goes on the central meridian 3 degrees east of the smallest longitude,
    // except that above 72 degrees the Svalbard zones move points to other meridians.
    // Legs between points on different meridians would be meaningless, so when those
    // zones would split the route, the whole route takes the zone of its westernmost
    // point: the same meridian as any route below 72 degrees.
    QVector<long> zones(n);
    bool oneZone = true;
    for (int i = 0; i < n; ++i) {
        zones[i] = UtmZoneNumber(lats[i], lons[i] - minLon, true);
        oneZone = oneZone && zones[i] == zones[0];
    }
    if (!oneZone) {
        const long shared = zones[westernmost];
        zones.fill(shared);
    }

    QVector<ProjectedPoint> points(n);
    for (int i = 0; i < n; ++i) {
        double northing = 0;
        double easting = 0;
        ProjectOnZone(Wgs84SemiMajorAxis, Wgs84EccentricitySquared, lats[i], lons[i] - minLon,
                      zones[i], northing, easting);
        // Southern points carry a false northing. When the route crosses the equator its
        // northern points get it too, so every leg compares northings of one convention;
        // legs that stay on one side of the equator are measured as they always were.
        if (south && north && !(lats[i] < 0))
            northing += UtmFalseNorthing;
        points[i].x = TruncateTo<qint32>(easting);
        points[i].y = TruncateTo<qint32>(northing);
    }
    return points;
}

static double LegLength(const ProjectedPoint& from, const ProjectedPoint& to) {
    const double dx = double(qint64(to.x) - from.x);
    const double dy = double(qint64(to.y) - from.y);
    return std::sqrt(dx * dx + dy * dy);
}

double MeasureRouteLength(const QVector<double>& lats, const QVector<double>& lons) {
    const QVector<ProjectedPoint> points = ProjectRoute(lats, lons);
    double length = 0;
    for (int i = 1; i < points.size(); ++i)
        length = length + LegLength(points[i - 1], points[i]);
    return length;
}

Measurement RouteMeasurement::measure(RouteTable& table, int waypointCount, Unit unit) {
    const int n = qBound(0, waypointCount, int(MaxWaypoints));
    const double factor = UnitFactor(unit);

    QVector<double> lats(n);
    QVector<double> lons(n);
    for (int i = 0; i < n; ++i) {
        lats[i] = ParseLeadingNumber(table.cell(RouteTable::ColLatitude, i + 1));
        lons[i] = ParseLeadingNumber(table.cell(RouteTable::ColLongitude, i + 1));
    }

    Measurement result;
    result.points = ProjectRoute(lats, lons);
    RouteLength = 0;
    for (int i = 1; i < n; ++i) {
        const double leg = LegLength(result.points[i - 1], result.points[i]);
        LegDistances[i] = leg;
        RouteLength = RouteLength + leg;
        table.setCell(RouteTable::ColTotal, i + 1, FormatDistance(RouteLength * factor));
        table.setCell(RouteTable::ColLeg, i + 1, FormatDistance(leg * factor));
    }
    // The flag follows the label even when no distance cell was written (fewer than two
    // waypoints), so a later unit switch compares against what the window really shows.
    DisplayedUnit = unit;
    result.routeLengthText = FormatRouteLength(RouteLength, unit);
    result.countText = QString::number(n);
    return result;
}

std::optional<QString> RouteMeasurement::switchUnit(RouteTable& table, int count, Unit unit) {
    if (count <= 0 || unit == DisplayedUnit)
        return std::nullopt;

    // The same doubles summed in the same order as the measurement, so the totals are the
    // texts a fresh measurement would write.
    const double factor = UnitFactor(unit);
    double sum = 0.0;
    for (int i = 1; i < qMin(count, int(MaxWaypoints)); ++i) {
        sum = sum + LegDistances[i];
        table.setCell(RouteTable::ColLeg, i + 1, FormatDistance(LegDistances[i] * factor));
        table.setCell(RouteTable::ColTotal, i + 1, FormatDistance(sum * factor));
    }
    DisplayedUnit = unit;
    return FormatRouteLength(RouteLength, unit);
}
