// SPDX-License-Identifier: GPL-3.0-or-later
// The import: file type from the extension, GPX through the real converter in a folder of
// its own, route files as GPSBabel writes them, and a long route fitted to the device.
#include "RouteFileFixtures.h"
#include "files/ConverterJob.h"
#include "files/ConverterOutputRepair.h"
#include "files/RouteImport.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

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

// Point i of a staircase whose 124 corners are every `step`-th point. The points between
// lie on the legs, so a fit to 124 points keeps the corners; each leg keeps either the
// latitude or the longitude, so a point matched by one of them alone is the wrong one.
QPointF staircase(int i, int step) {
    auto at = [](int k) { return QPointF(47 + (k + 1) / 2 * 0.01, 8 + k / 2 * 0.01); };
    return at(i / step) + (at(i / step + 1) - at(i / step)) * (i % step / double(step));
}

// The route name and the names of 124 rows, the k-th named by `format` with k * step + first.
QString names(const QString& route, const char* format, int step, int first) {
    QStringList out{route};
    for (int k = 0; k < MaxRouteWaypoints; ++k)
        out << QString::asprintf(format, k * step + first);
    return out.join(QLatin1Char('|'));
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

    ImportOutcome import(const QString& path, const GpsBabelConverter& converter = {},
                         const ImportChoice& choice = {}, QString* fitReport = nullptr) {
        return ImportRoute(path, m_table, m_routeName, m_state, converter, choice, fitReport);
    }
    QString file(const QString& name) const { return m_files.filePath(name); }
    QString tool(const char* name, const QByteArray& body) {
        writeFile(file(name), "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(file(name), QFile::ReadOwner | QFile::ExeOwner);
        return file(name);
    }

    QTemporaryDir m_files; // the tables' files and stand-ins for the converter
    QTemporaryDir m_jobTemp;
    RouteTable m_table;
    QString m_routeName;
    RouteState m_state;

private slots:
    void initTestCase() {
        QVERIFY(!QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty());
        QVERIFY(writeFile(file("long.rte"), routeFile(125)));
        qputenv("TMPDIR", QFile::encodeName(m_jobTemp.path()));
    }
    // No converter run may leave anything in the temporary folder.
    void cleanup() {
        QCOMPARE(QDir(m_jobTemp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void imports_data() {
        QTest::addColumn<QString>("relative"); // where the file is put
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("route");
        QTest::addColumn<QString>("loaded");    // route name, then every row's name
        QTest::addColumn<QString>("fitReport"); // empty: not fitted
        auto row = [](const char* name, const QString& relative, const QByteArray& content,
                      int route, const QString& loaded, const char* report = "") {
            QTest::newRow(name) << relative << content << route << loaded << QString(report);
        };
        const QByteArray mixed = readFile(data("mixed.gpx"));
        row("first of two routes", "my routes/a.gpx", readFile(data("two_routes.gpx")), 1,
            "Main river|GRT001|MILL|WEIR");
        row("route beside a track, quotes in the path", "say \"hi\" 'there'/x.Gpx", mixed, 1,
            "Alp tour|START|PASS");
        row("the track after the route", "b.gpx", mixed, 2, "Walked|RPT001|RPT002");
        row("tracks only: two segments, a comma in the name", "c.gpx",
            gpxFile("<trk><name>T, u</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg><trkseg>"
                    "<trkpt lat=\"1.5\" lon=\"2.5\"/></trkseg></trk>"),
            1, "T  u|RPT001|RPT002");
        // The converter writes a comma, CR or LF in a name or comment as it stands; the
        // repair makes it a blank. A route name and description with commas become the name, cut to
        // 12 characters.
        row("commas, CR and LF in names and comments, non-ASCII path",
            QStringLiteral("Fahrten/Küste ß.GPX"),
            gpxFile("<rte><name>Route, one</name><desc>Desc, two</desc><rtept lat=\"-47.1\" "
                    "lon=\"-8.1\"><time>2023-05-01"
                    "T10:00:00Z</time><name>Bern, Bahnhof</name><cmt>a, b\nc</cmt><sym>Flag</sym>"
                    "</rtept><rtept lat=\"47.2\" lon=\"8.2\"><name>Caf\xc3\xa9 \"L\xc3\xb6we\", "
                    "line\nbreak cr&#13;&#10;lf</name></rtept></rte>"),
            1, QStringLiteral("Route  one D|Bern  Bahnhof|Café \"Löwe\"  line break cr  lf"));
        row(".RTE in a .gpx folder", ".hidden.gpx.d/trip.RTE", routeFile(2, "\r\n", "Alp tour"), 1,
            "Alp tour|WP1|WP2");
        row("124 points, not fitted", "full.gpx", readFile(data("full_124.gpx")), 1,
            names("Full", "P%03d", 1, 1));
        // The logger stood still at the end: the kept end is the last point, not its twin.
        QByteArray track;
        for (int i = 0; i < 248; ++i) {
            const QPointF p = staircase(qMin(i, 246), 2);
            track += "<trkpt lat=\"" + QByteArray::number(p.x(), 'f', 7) + "\" lon=\"" +
                     QByteArray::number(p.y(), 'f', 7) + "\"/>";
        }
        row("248-point track fitted", "t.gpx", gpxFile("<trk><trkseg>" + track + "</trkseg></trk>"),
            1, names("", "RPT%03d", 2, 1).replace("RPT247", "RPT248"),
            "248 points reduced to 124; the route is 0.0 % shorter");
        // Seven decimals, which the converter rounds to six when it writes the kept points.
        QByteArray rte = header() + routeLine("LONG");
        for (int i = 0; i < 370; ++i)
            rte += waypointLine(i + 1, "W" + QByteArray::number(i),
                                " " + QByteArray::number(staircase(i, 3).x() + 4e-7, 'f', 7),
                                QByteArray::number(staircase(i, 3).y(), 'f', 5) + "  ");
        row("370-point route fitted, blanks and other decimals", "stairs.rte", rte, 1,
            names("LONG", "W%d", 3, 0), "370 points reduced to 124; the route is 0.0 % shorter");
    }
    void imports() {
        QFETCH(QString, relative);
        QFETCH(QByteArray, content);
        QFETCH(int, route);
        QFETCH(QString, loaded);
        QFETCH(QString, fitReport);
        QVERIFY(QDir().mkpath(QFileInfo(file(relative)).path()) &&
                writeFile(file(relative), content));
        QString report;
        const ImportOutcome outcome = import(file(relative), {}, {route, true}, &report);
        QVERIFY2(outcome.ok, qPrintable(outcome.message + QLatin1Char(' ') + outcome.details));
        QStringList shown{m_routeName};
        for (int row = 1; row <= m_state.waypointCount(); ++row)
            shown << m_table.cell(RouteTable::ColName, row);
        QCOMPARE(shown.join(QLatin1Char('|')), loaded);
        QCOMPARE(report, fitReport);
    }

    // Each failure over a loaded route, which stays as it was. A stand-in converter fits a
    // long route and goes wrong; the details keep to the error output's cap.
    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("route");
        QTest::addColumn<QString>("program"); // the converter; empty for gpsbabel
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("details"); // a pattern
        const QString conversion = "GPX-RTE conversion failed, rte file not found.";
        const QString format = "Route File Format Error!", unknown = "Unknow file type error.";
        const QByteArray flood = "head -c 3000000 /dev/zero | tr '\\0' x";
        auto row = [](const char* name, const QString& path, const QString& program,
                      const QString& message, const char* details, int route = 1) {
            QTest::newRow(name) << path << route << program << message << details;
        };
        row("no extension", "/r/trip", "", unknown, "^$");
        row("other extension after .gpx", "/r/trip.gpx.txt", "", unknown, "^$");
        row("missing route file", "/no/x.rte", "", "RTE file error.", "does not exist");
        row("125 points, not fitted", data("long_125.gpx"), "", format, "125 waypoints");
        row("beyond the list", data("two_routes.gpx"), "", format, "no route 3", 3);
        row("no route in GPX", data("no_route.gpx"), "", conversion,
            "^The GPX file holds no route or track\\.$");
        row("converter not on PATH", data("mixed.gpx"), "rv58-no-such", conversion,
            "^rv58-no-such could not be started");
        row("megabytes of error output, the reason last", file("long.rte"),
            tool("errors", flood + " >&2; echo 'bad input file' >&2; exit 3"), format,
            "ended with status 3\\.\\nx+bad input file$");
        // Were the standard output a pipe that nobody reads, the converter would block on it.
        row("megabytes of standard output, no result", file("long.rte"), tool("talks", flood),
            format, "talks wrote no route file\\.$");
        row("hangs", file("long.rte"), tool("hangs", "exec sleep 30"), format,
            "hangs did not finish within 2 seconds\\.$");
        row("crashes", file("long.rte"), tool("crashes", "kill -SEGV $$"), format,
            "crashes stopped abnormally\\.$");
        row("result of other points", file("long.rte"),
            tool("other", "for a; do out=\"$a\"; done; printf '" + header() + routeLine("X") +
                              waypointLine(1, "A", "10.000000", "10.000000") + "' > \"$out\""),
            format, "^The reduced route's 1 points do not match the route's 125 waypoints\\.$");
    }
    void failuresChangeNothing() {
        QFETCH(QString, path);
        QFETCH(int, route);
        QFETCH(QString, program);
        QFETCH(QString, message);
        QFETCH(QString, details);
        QVERIFY(import(data("two_routes.gpx")).ok);
        const QList<QByteArray> lines = m_state.RouteLineStore;
        const ImportOutcome outcome =
            import(path, program.isEmpty() ? GpsBabelConverter() : GpsBabelConverter(program, 2000),
                   {route, !program.isEmpty()});
        QCOMPARE(outcome.message, message);
        QVERIFY2(QRegularExpression(details).match(outcome.details).hasMatch(),
                 qPrintable(outcome.details.left(300)));
        QVERIFY(outcome.details.size() < ConverterJob::MaxErrorOutputBytes + 100);
        QCOMPARE(m_routeName, QStringLiteral("Main river"));
        QCOMPARE(m_state.RouteLineStore, lines);
    }

    // A route line with a line break in its name keeps its description.
    void repairKeepsTheDescription() {
        QCOMPARE(RepairConverterOutput(header() + "R,1,Route\none,Desc,\r\n"),
                 header() + "R,1,Route one,Desc,\r\n");
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
