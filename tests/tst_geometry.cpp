// SPDX-License-Identifier: GPL-3.0-or-later
// The projection against GeographicLib, the route measurement through the route table (leg
// and total cells, labels, the unit switch, the routes that need one meridian), and the
// overview: where the waypoints land in the 256 x 128 picture and what the drawing leaves.
#include "geometry/RouteMeasurement.h"
#include "geometry/RouteOverview.h"
#include "geometry/Utm.h"
#include "route/RouteTable.h"

#include <GeographicLib/Geodesic.hpp>
#include <GeographicLib/TransverseMercator.hpp>
#include <QPainter>
#include <QtTest>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const double A = Wgs84SemiMajorAxis, E2 = Wgs84EccentricitySquared;
const double Flattening = 1 - std::sqrt(1 - E2); // the same ellipsoid as GeographicLib sees it
const GeographicLib::Geodesic Wgs84Geodesic(A, Flattening);
const GeographicLib::TransverseMercator Wgs84Tm(A, Flattening, UtmScaleFactor);

// GeographicLib's transverse Mercator with UTM's false origin.
void ReferenceUtm(double lat, double lon, double centralMeridian, double& n, double& e) {
    Wgs84Tm.Forward(centralMeridian, lat, lon, e, n);
    e += UtmFalseEasting;
    n += lat < 0 ? UtmFalseNorthing : 0;
}

using LatLon = QPair<double, double>;
using Route = QVector<LatLon>;

// A route in table rows 1..n, measured, with one more waypoint after it that the
// measurement must leave alone.
struct Measured {
    RouteTable table;
    RouteMeasurement m;
    Measurement r;
    Measured(Route route, Unit unit) {
        const int n = int(route.size());
        route.append({47.5, 8.5});
        table.setRowCount(n + 2);
        table.writeHeaderRow();
        for (int i = 0; i <= n; ++i) {
            table.setCell(RouteTable::ColLatitude, i + 1, QString::number(route[i].first, 'f', 12));
            table.setCell(RouteTable::ColLongitude, i + 1,
                          QString::number(route[i].second, 'f', 12));
        }
        r = m.measure(table, n, unit);
    }
    // A column's cells of every waypoint row, joined by '|'.
    QString column(int c) const {
        QStringList cells;
        for (int row = 1; row < table.rows(); ++row)
            cells << table.cell(c, row);
        return cells.join(u'|');
    }
};

// A route along the equator from longitude 0 whose projected eastings are the first point's
// plus the given whole metres. GeographicLib's inverse aims half a metre past each of them;
// the series agrees with it to a tenth of a millimetre, so truncation lands on them.
Route EquatorRoute(const QVector<int>& eastingOffsets) {
    double x0 = 0, y = 0, lat = 0, lon = 0;
    Wgs84Tm.Forward(3, 0, 0, x0, y);
    Route route = {{0, 0}};
    for (int offset : eastingOffsets) {
        Wgs84Tm.Reverse(3, std::trunc(x0 + UtmFalseEasting) - UtmFalseEasting + offset + 0.5, 0,
                        lat, lon);
        route.append({0, lon});
    }
    return route;
}

// The largest relative difference between the measured legs and the geodesic distances.
double WorstLegError(const Measured& t, const Route& route) {
    double worst = 0;
    for (int i = 1; i < route.size(); ++i) {
        double s = 0;
        Wgs84Geodesic.Inverse(route[i - 1].first, route[i - 1].second, route[i].first,
                              route[i].second, s);
        worst = qMax(worst, std::fabs(t.m.legDistance(i) / s - 1));
    }
    return worst;
}

struct MeasureCase {
    const char* name;
    Route route;
    int unit;
    // Leg and total cells of rows 1..n and of the untouched row after them, joined by '|'.
    QString legs, totals, label;
};

using Points = QVector<ProjectedPoint>;
using Pixels = QVector<QPoint>;

const qint32 X = 500000, Y = 5000000;

// Every icon shows as a square of its own colour, so the tests can find it.
QColor IconColour(int icon) {
    return QColor(0, 128, icon);
}

// Draws points with the given "Icon" cells, each icon a square of its own colour.
void Draw(QImage& image, const Points& points, const QStringList& icons, int selectedRow) {
    RouteTable table;
    table.setRowCount(int(icons.size()) + 1);
    table.writeHeaderRow();
    for (int i = 0; i < icons.size(); ++i)
        table.setCell(RouteTable::ColIcon, i + 1, icons[i]);
    RouteOverview overview;
    overview.InitViewport();
    overview.DrawRouteOverview(image, points, int(points.size()), selectedRow, table,
                               [](QPainter& painter, int icon, const QRect& dest) {
                                   painter.fillRect(dest, IconColour(icon));
                               });
}

// The pixels that have the colour outside expected, or lack it inside: none when the image
// shows the colour exactly on expected.
QRegion Mismatch(const QImage& image, QColor colour, const QRegion& expected = QRegion()) {
    QRegion wrong;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixelColor(x, y) == colour) != expected.contains(QPoint(x, y)))
                wrong += QRect(x, y, 1, 1);
    return wrong;
}

} // namespace

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void zoneTextAndProjection_data() {
        using V = QVector<double>;
        QTest::addColumn<V>("at");            // latitude, longitude, central meridian
        QTest::addColumn<QByteArray>("zone"); // empty: fixed-zone mode, no zone text asked for
        QTest::newRow("southern Norway") << V{60, 5, 9} << QByteArray("32V");
        QTest::newRow("southern Norway's edge") << V{56, 5, 9} << QByteArray("32V");
        QTest::newRow("north of southern Norway") << V{64, 5, 3} << QByteArray("31W");
        QTest::newRow("Svalbard, 9 east") << V{78, 9, 15} << QByteArray("33X");
        QTest::newRow("Svalbard, 21 east") << V{75, 21, 27} << QByteArray("35X");
        QTest::newRow("Svalbard, 33 east") << V{75, 33, 39} << QByteArray("37X");
        QTest::newRow("84 north, no Svalbard rule") << V{84, 10, 9} << QByteArray("32X");
        QTest::newRow("south of equator") << V{-33.9, 18.4, 21} << QByteArray("34H");
        QTest::newRow("190 folds to -170") << V{10, 190, -171} << QByteArray("2P");
        QTest::newRow("fixed, Norway rule overridden") << V{60, 5, 3} << QByteArray();
        QTest::newRow("fixed, Svalbard rule applies") << V{78, 12, 15} << QByteArray();
    }
    void zoneTextAndProjection() {
        QFETCH(QVector<double>, at);
        QFETCH(QByteArray, zone);
        QByteArray text;
        double n = 0, e = 0, refN = 0, refE = 0;
        LatLonToUtm(A, E2, at[0], at[1], n, e, zone.isEmpty() ? nullptr : &text);
        QCOMPARE(text, zone);
        ReferenceUtm(at[0], at[1], at[2], refN, refE);
        // Millimetres within 4 degrees of the meridian; a wrong meridian is kilometres off.
        QVERIFY2(std::fabs(n - refN) < 0.001 && std::fabs(e - refE) < 0.001,
                 qPrintable(u"%1 %2 vs %3 %4"_s.arg(n).arg(e).arg(refN).arg(refE)));
    }

    // Rows with texts pin the cells exactly; rows without are routes that need one central
    // meridian for all their points: every leg within 0.2 % of the geodesic.
    void measures_data() {
        QTest::addColumn<MeasureCase>("c");
        const Route twice995 = EquatorRoute({995, 1990}), one = {{47.5, 8.5}};
        // Latitudes this far beyond the pole project to the ends of the 32-bit range.
        const Route huge = {{-1e5, 0}, {1e5, 0}};
        const MeasureCase cases[] = {
            {"995 m legs, km", twice995, 0, u"|0.99|0.99|"_s, u"|0.99|1.99|"_s, u"1.99km"_s},
            {"995 m legs, miles", twice995, 1, u"|0.61|0.61|"_s, u"|0.61|1.23|"_s, u"1.23miles"_s},
            {"one waypoint, km", one, 0, u"|"_s, u"|"_s, u"0.00km"_s},
            {"no waypoint, miles", {}, 1, {}, {}, u"0.00miles"_s},
            {"2^32 m leg", huge, 0, u"|4294967.29|"_s, u"|4294967.29|"_s, u"4294967.29km"_s},
            {"north", {{47.5, 8.5}, {47.9, 9.1}, {46.2, 7.9}}, 0, {}, {}, {}},
            {"south", {{-33.9, 18.4}, {-34.2, 18.9}, {-0.001, 19.0}}, 0, {}, {}, {}},
            {"zone boundary 6 east", {{47.0, 5.9}, {47.0, 6.1}}, 0, {}, {}, {}},
            {"across the equator", {{0.01, 30.0}, {-0.01, 30.01}}, 0, {}, {}, {}},
            {"Svalbard zones", {{78.0, 10.0}, {78.5, 22.0}, {79.0, 16.0}}, 0, {}, {}, {}}};
        for (const MeasureCase& c : cases)
            QTest::newRow(c.name) << c;
    }
    void measures() {
        QFETCH(MeasureCase, c);
        const int n = int(c.route.size());
        if (c.label.isEmpty()) {
            const Measured t(c.route, Unit::Km);
            const double worst = WorstLegError(t, c.route);
            QVERIFY2(worst < 0.002, qPrintable(QString::number(worst)));
            return;
        }
        const Measured t(c.route, Unit(c.unit));
        QCOMPARE((QStringList{t.r.countText, t.column(RouteTable::ColLeg),
                              t.column(RouteTable::ColTotal), t.r.routeLengthText}),
                 (QStringList{QString::number(n), c.legs, c.totals, c.label}));
        QCOMPARE(t.r.points.size(), n);
        // Measured in the other unit and switched: the same texts, but for a count of 0, and
        // nothing to switch in an empty route.
        Measured o(c.route, Unit(1 - c.unit));
        QVERIFY(!o.m.switchUnit(o.table, 0, Unit(c.unit)));
        QCOMPARE(o.m.switchUnit(o.table, n, Unit(c.unit)).value_or(c.label), c.label);
        QCOMPARE(o.column(RouteTable::ColTotal) + QString::number(int(o.m.displayedUnit())),
                 c.totals + QString::number(n ? c.unit : 1 - c.unit));
    }

    // The measurement reads each coordinate cell leniently: blanks (CR too) ahead, the longest
    // decimal number, an exponent only with a digit after its letter; no number, or one beyond
    // a double's range, is 0. Compared bit for bit, as the cells' texts follow from the value.
    void readsLeadingNumber_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<double>("value");
        // clang-format off
        const std::pair<QString, double> rows[] = {
            {u"47"_s, 47},        {u" \t\n\v\f\r47.5x"_s, 47.5}, {u"\u00a047"_s, 0}, {u"+.5"_s, 0.5},
            {u"5."_s, 5},         {u"-0"_s, -0.0},    {u"-"_s, 0},       {u"."_s, 0},
            {u""_s, 0},           {u"+-1"_s, 0},      {u"e5"_s, 0},      {u"12.3.4"_s, 12.3},
            {u"1,5"_s, 1},        {u"0x1A"_s, 0},     {u"\u0664\u0667"_s, 0}, {u"1e3"_s, 1000},
            {u"2.5E-1x"_s, 0.25}, {u"1e"_s, 1},       {u"1e+x"_s, 1},    {u"-.e1"_s, 0},
            {u"1e999"_s, 0},      {u"-1e-999"_s, 0},  {u"1e-320"_s, 1e-320},
            {QString(400, u'9'), 0},                  {u"9007199254740993"_s, 9007199254740992.0}};
        // clang-format on
        for (const auto& [cell, value] : rows)
            QTest::addRow("%s", qPrintable(cell.left(20).toUtf8().toPercentEncoding()))
                << cell << value;
    }
    void readsLeadingNumber() {
        QFETCH(QString, cell);
        QFETCH(double, value);
        // The sign apart, as QString::number drops it from a zero.
        const auto bits = [](double v) {
            return QString::number(v, 'g', 17) + (std::signbit(v) ? u'-' : u'+');
        };
        QCOMPARE(bits(ParseLeadingNumber(cell)), bits(value));
    }

    void pixelPositions_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<Pixels>("pixels");
        QTest::newRow("one waypoint") << Points{{X, Y}} << Pixels{{128, 64}};
        QTest::newRow("100 m east") << Points{{X, Y}, {X + 100, Y}} << Pixels{{13, 64}, {242, 64}};
        QTest::newRow("100 m north")
            << Points{{X, Y}, {X, Y + 100}} << Pixels{{128, 122}, {128, 7}};
        QTest::newRow("below minimum window")
            << Points{{X, Y}, {X + 10, Y + 5}} << Pixels{{108, 72}, {148, 52}};
        QTest::newRow("three points") << Points{{X, Y}, {X + 200, Y + 50}, {X + 400, Y - 30}}
                                      << Pixels{{14, 70}, {127, 42}, {241, 88}};
        // The sum -1 halves to 0, not -1: the window's origin truncates toward zero.
        QTest::newRow("negative coordinates")
            << Points{{-10, -3}, {0, 2}} << Pixels{{108, 76}, {148, 56}};
        // 256 x 21250000 leaves 32 bits: the far point goes through single precision.
        QTest::newRow("20000 km") << Points{{0, 0}, {20000000, 0}} << Pixels{{14, 64}, {240, 64}};
    }

    void pixelPositions() {
        QFETCH(Points, points);
        QFETCH(Pixels, pixels);
        RouteOverview overview;
        overview.InitViewport();
        QCOMPARE(overview.fitRoute(points, int(points.size())), pixels);
    }

    // Icons centred at (13, 64) and (242, 64), squares (7..18, 58..69) and (236..247, ...),
    // the line between them, and the selected one drawn again on top, framed in red.
    void drawsIconsLineAndFrame() {
        for (int selectedRow : {0, 1, 2, 3}) {
            QImage image;
            Draw(image, {{X, Y}, {X + 100, Y}}, {u"3"_s, u"4"_s}, selectedRow);
            const QRegion first(7, 58, 12, 12), second(236, 58, 12, 12), line(13, 64, 230, 1);
            const QRegion selected = selectedRow == 1   ? first
                                     : selectedRow == 2 ? second
                                                        : QRegion();
            const QRegion frame =
                selected.subtracted(selected.boundingRect().adjusted(1, 1, -1, -1));
            QCOMPARE(Mismatch(image, Qt::red, frame), QRegion());
            QCOMPARE(Mismatch(image, IconColour(3),
                              (first - line + (selectedRow == 1 ? first : QRegion())) - frame),
                     QRegion());
            QCOMPARE(Mismatch(image, IconColour(4),
                              (second - line + (selectedRow == 2 ? second : QRegion())) - frame),
                     QRegion());
            QCOMPARE(Mismatch(image, Qt::black, line - selected), QRegion());
            QCOMPARE(Mismatch(image, Qt::white, QRegion(image.rect()) - first - second - line),
                     QRegion());
        }
    }
};

QTEST_MAIN(TestGeometry)
#include "tst_geometry.moc"
