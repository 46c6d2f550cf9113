// SPDX-License-Identifier: GPL-3.0-or-later
// The import: file type from the extension, GPX through the real converter in a folder of
// its own, and route files as GPSBabel writes them; the converter jobs that run it without
// blocking.
#include "RouteFileFixtures.h"
#include "files/ConverterJob.h"
#include "files/ConverterOutputRepair.h"
#include "files/RouteFileReader.h"
#include "files/RouteImport.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace fixtures;

namespace {

QByteArray gpxFile(const QByteArray& body) {
    return "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\" creator=\"rv58route tests\" "
           "xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
           body + "</gpx>\n";
}

QString data(const char* name) {
    return QStringLiteral(RV58_TEST_DATA "/") + QString::fromLatin1(name);
}

// The route name and the rows' names as the table shows them, joined by '|': here the
// names `format` gives the numbers counted from `first`.
QString names(const QString& route, const char* format, const QList<int>& numbers, int first) {
    QStringList out{route};
    for (int n : numbers)
        out << QString::asprintf(format, n + first);
    return out.join(QLatin1Char('|'));
}

// Point i of `count` on a staircase of 124 corners, the corners spread evenly over the
// indices. The points between two corners lie on the straight leg, so reducing the route
// to 124 points keeps the corners; each leg keeps either the latitude or the longitude, so a
// point matched by one of them alone is taken for the wrong one.
int corner(int k, int count) {
    return qRound(k * (count - 1) / double(MaxRouteWaypoints - 1));
}
QPointF staircase(int i, int count) {
    int leg = 0;
    while (leg < MaxRouteWaypoints - 2 && corner(leg + 1, count) <= i)
        ++leg;
    const double t =
        qMin(1.0, (i - corner(leg, count)) / double(corner(leg + 1, count) - corner(leg, count)));
    auto at = [](int k) { return QPointF(47 + (k + 1) / 2 * 0.01, 8 + k / 2 * 0.01); };
    return at(leg) + (at(leg + 1) - at(leg)) * t;
}
QList<int> corners(int count) {
    QList<int> indices;
    for (int k = 0; k < MaxRouteWaypoints; ++k)
        indices << corner(k, count);
    return indices;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

    ImportOutcome import(const QString& path, const GpsBabelConverter& converter = {},
                         const ImportChoice& choice = {}, QString* fitReport = nullptr) {
        return ImportRoute(path, *m_table, m_routeName, m_state, converter, choice, fitReport);
    }
    QString tool(const char* name, const QByteArray& body) {
        const QString path = m_tools.filePath(QString::fromLatin1(name));
        writeFile(path, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        return path;
    }
    QString jobTemp() const { return m_dir->filePath(QStringLiteral("tmp")); }

    QByteArray m_systemTemp = QFile::encodeName(QDir::tempPath());
    QTemporaryDir m_tools; // stand-ins for the converter, written by the tables
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<RouteTable> m_table;
    QString m_routeName;
    RouteState m_state;

private slots:
    void initTestCase() {
        QVERIFY2(!QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty(),
                 "gpsbabel must be installed for these tests");
        QVERIFY(writeFile(m_tools.filePath("long.rte"), routeFile(125)));
    }
    // Every test runs with a temporary folder of its own, which no converter run may leave
    // anything in.
    void init() {
        qputenv("TMPDIR", m_systemTemp);
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("tmp")));
        qputenv("TMPDIR", QFile::encodeName(jobTemp()));
        m_table = std::make_unique<RouteTable>();
        m_routeName.clear();
        m_state = RouteState();
    }
    void cleanup() {
        QCOMPARE(QDir(jobTemp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
    }

    // Each route as the table shows it; a route longer than the device holds is fitted by
    // keeping the corners of the staircase, found among the route's own points.
    void imports_data() {
        QTest::addColumn<QString>("relative"); // where the file is put, below a fresh folder
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("route");
        QTest::addColumn<QString>("loaded");    // route name, then every row's name
        QTest::addColumn<QString>("fitReport"); // empty: not fitted
        const QByteArray two = readFile(data("two_routes.gpx"));
        const QByteArray mixed = readFile(data("mixed.gpx"));
        QTest::newRow("first of two routes")
            << "my routes/a.gpx" << two << 1 << "Main river|GRT001|MILL|WEIR"
            << "";
        QTest::newRow("second of two routes") << "a.gpx" << two << 2 << "Back|A|B"
                                              << "";
        QTest::newRow("route beside waypoints and a track, quotes in the path")
            << "say \"hi\" 'there'/x.Gpx" << mixed << 1 << "Alp tour|START|PASS"
            << "";
        QTest::newRow("the track after the route")
            << "a.gpx" << mixed << 2 << "Walked|RPT001|RPT002"
            << "";
        QTest::newRow("tracks only: two segments, then an unnamed track")
            << "a.gpx"
            << gpxFile("<trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg>"
                       "<trkseg><trkpt lat=\"1.5\" lon=\"2.5\"/></trkseg></trk>"
                       "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk>")
            << 2 << "|RPT003"
            << "";
        // The converter writes a comma, CR or LF in a name as it stands; the repair makes it a
        // blank.
        QTest::newRow("comma in a name, non-ASCII path")
            << QStringLiteral("Fahrten/Küste ß.GPX") << readFile(data("names.gpx")) << 1
            << QStringLiteral("Küste|Brücke|Pier  north|Ende") << "";
        QTest::newRow("commas, CR and LF in names and comments")
            << "a.gpx"
            << gpxFile(
                   "<rte><name>Route, one</name>"
                   "<rtept lat=\"47.1\" lon=\"8.1\"><ele>512</ele><time>2023-05-01T10:00:00Z"
                   "</time><name>Bern, Bahnhof</name><cmt>a, b\nc</cmt><sym>Flag</sym></rtept>"
                   "<rtept lat=\"47.2\" lon=\"8.2\"><name>Caf\xc3\xa9 \"Zum L\xc3\xb6wen\", "
                   "Terrasse</name></rtept>"
                   "<rtept lat=\"47.3\" lon=\"8.3\"><name>line\nbreak</name></rtept>"
                   "<rtept lat=\"-47.4\" lon=\"-8.4\"><name>cr&#13;&#10;lf</name></rtept></rte>")
            << 1
            << QStringLiteral(
                   "Route  one|Bern  Bahnhof|Café \"Zum Löwen\"  Terrasse|line break|cr  lf")
            << "";
        QTest::newRow("124 points") << "full.gpx" << readFile(data("full_124.gpx")) << 1
                                    << names("Full", "P%03d", corners(MaxRouteWaypoints), 1) << "";
        QTest::newRow(".RTE in a .gpx folder")
            << ".hidden.gpx.d/trip.RTE" << routeFile(2, "\r\n", "Alp tour") << 1
            << "Alp tour|WP1|WP2"
            << "";
        // The logger stood still at the end: the kept end is the last point, not its twin.
        QByteArray track = "<trk><trkseg>";
        for (int i = 0; i < 600; ++i) {
            const QPointF p = staircase(qMin(i, 598), 599);
            track += QStringLiteral("<trkpt lat=\"%1\" lon=\"%2\"/>")
                         .arg(p.x(), 0, 'f', 7)
                         .arg(p.y(), 0, 'f', 7)
                         .toLatin1();
        }
        QList<int> trackKept = corners(599);
        trackKept.last() = 599;
        QTest::newRow("600-point track fitted")
            << "t.gpx" << gpxFile(track + "</trkseg></trk>") << 1
            << names("", "RPT%03d", trackKept, 1)
            << "600 points reduced to 124; the route is 0.0 % shorter";
        // Seven decimals, which the converter rounds to six when it writes the kept points.
        QByteArray rte = header() + routeLine("LONG");
        for (int i = 0; i < 300; ++i) {
            const QPointF p = staircase(i, 300);
            rte += waypointLine(i + 1, "W" + QByteArray::number(i),
                                " " + QByteArray::number(p.x() + 4e-7, 'f', 7),
                                QByteArray::number(p.y(), 'f', 5) + "  ");
        }
        QTest::newRow("300-point route fitted, blanks and other decimals")
            << "long.rte" << rte << 1 << names("LONG", "W%d", corners(300), 0)
            << "300 points reduced to 124; the route is 0.0 % shorter";
    }
    void imports() {
        QFETCH(QString, relative);
        QFETCH(QByteArray, content);
        QFETCH(int, route);
        QFETCH(QString, loaded);
        QFETCH(QString, fitReport);
        const QString path = m_dir->filePath(relative);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && writeFile(path, content));
        QString report;
        const ImportOutcome outcome = import(path, {}, {route, true}, &report);
        QVERIFY2(outcome.ok, qPrintable(outcome.message + QLatin1Char(' ') + outcome.details));
        QStringList shown{m_routeName};
        for (int row = 1; row <= m_state.waypointCount(); ++row)
            shown << m_table->cell(RouteTable::ColName, row);
        QCOMPARE(shown.join(QLatin1Char('|')), loaded);
        QCOMPARE(report, fitReport);
    }

    // Each failure over a loaded route, which stays as it was. The stand-ins for a converter
    // that goes wrong fit a long route; the details keep to the error output's cap.
    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("route");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<QString>("program"); // the converter; empty for gpsbabel
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("details"); // a pattern
        const QString conversion = "GPX-RTE conversion failed, rte file not found.";
        const QString format = "Route File Format Error!", unknown = "Unknow file type error.";
        const QString gpx = data("mixed.gpx"), longRte = m_tools.filePath("long.rte");
        const QByteArray flood = "head -c 3000000 /dev/zero | tr '\\0' x";
        auto row = [&](const char* name, const QString& file, int route, bool fit,
                       const QString& program, int timeoutMs, const QString& message,
                       const char* details) {
            QTest::newRow(name) << file << route << fit << program << timeoutMs << message
                                << QString::fromLatin1(details);
        };
        row("no extension", "/r/trip", 1, false, "", 0, unknown, "^$");
        row("other extension after .gpx", "/r/trip.gpx.txt", 1, false, "", 0, unknown, "^$");
        row("missing route file", "/no/x.rte", 1, false, "", 0, "RTE file error.",
            "does not exist");
        row("125 points, not fitted", data("long_125.gpx"), 1, false, "", 0, format,
            "125 waypoints");
        row("beyond the list", data("two_routes.gpx"), 3, false, "", 0, format, "no route 3");
        row("no route in GPX", data("no_route.gpx"), 1, false, "", 0, conversion,
            "^The GPX file holds no route or track\\.$");
        row("converter not on PATH", gpx, 1, false, "rv58-no-such-converter", 5000, conversion,
            "^rv58-no-such-converter could not be started");
        row("converter writes nothing", gpx, 1, false, "true", 5000, conversion,
            "no route or track");
        row("megabytes of error output, the reason last", longRte, 1, true,
            tool("errors", flood + " >&2; echo 'bad input file' >&2; exit 3"), 5000, format,
            "ended with status 3\\.\\nx+bad input file$");
        // Were the standard output a pipe that nobody reads, the converter would block on it.
        row("megabytes of standard output, no result", longRte, 1, true, tool("talks", flood), 5000,
            format, "talks wrote no route file\\.$");
        row("hangs", longRte, 1, true, tool("hangs", "exec sleep 30"), 300, format,
            "hangs did not finish within 0\\.3 seconds\\.$");
        row("crashes", longRte, 1, true, tool("crashes", "kill -SEGV $$"), 5000, format,
            "crashes stopped abnormally\\.$");
        row("result of other points", longRte, 1, true,
            tool("other", "for a; do out=\"$a\"; done; printf '" + header() + routeLine("X") +
                              waypointLine(1, "A", "10.000000", "10.000000") + "' > \"$out\""),
            5000, format,
            "^The reduced route's 1 points do not match the route's 125 waypoints\\.$");
    }
    void failuresChangeNothing() {
        QFETCH(QString, file);
        QFETCH(int, route);
        QFETCH(bool, fit);
        QFETCH(QString, program);
        QFETCH(int, timeoutMs);
        QFETCH(QString, message);
        QFETCH(QString, details);
        QVERIFY(import(data("two_routes.gpx")).ok);
        const QList<QByteArray> lines = m_state.RouteLineStore;
        const ImportOutcome outcome = import(
            file, program.isEmpty() ? GpsBabelConverter() : GpsBabelConverter(program, timeoutMs),
            {route, fit});
        QCOMPARE(outcome.message, message);
        QVERIFY2(QRegularExpression(details).match(outcome.details).hasMatch(),
                 qPrintable(outcome.details.left(300)));
        QVERIFY(outcome.details.size() < ConverterJob::MaxErrorOutputBytes + 100);
        QCOMPARE(m_routeName, QStringLiteral("Main river"));
        QCOMPARE(m_table->rowCount(), 3);
        QCOMPARE(m_state.RouteLineStore, lines);
    }

    void repairsRouteLines_data() {
        QTest::addColumn<QByteArray>("records");
        QTest::addColumn<QByteArray>("repaired");
        const QByteArray w = "W,1,,1,A,1.000000,2.000000,,0,1,3,0,65535,,0,0\r\n";
        QTest::newRow("name and description with commas: the name begins alike")
            << QByteArray("R,1,Route, one,Desc, two,\r\n")
            << QByteArray("R,1,Route  one Desc,,\r\n");
        QTest::newRow("track name with commas")
            << QByteArray("R,2,Walk, north,Generated from track Walk, north,\r\n")
            << QByteArray("R,2,Walk  north,Generated from track Walk  north,\r\n");
        QTest::newRow("line break in a name, description kept")
            << "R,1,Route\none,Desc,\r\n" + w << "R,1,Route one,Desc,\r\n" + w;
        const QByteArray other =
            "R,1,A,,\r\nW,1,,1,A, B,1.5,2.5,,0,1,3,0,65535,,0,0\r\nR,2,B, C,,\r\n";
        QTest::newRow("from a record of another shape on, kept") << other << other;
    }
    void repairsRouteLines() {
        QFETCH(QByteArray, records);
        QFETCH(QByteArray, repaired);
        QCOMPARE(RepairConverterOutput(header() + records), header() + repaired);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
