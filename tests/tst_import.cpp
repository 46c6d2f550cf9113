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
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
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

// Every record of a route file in short, "R name" and "W lat lon name", joined by '|'.
QString records(const QByteArray& file) {
    QStringList out;
    for (const QByteArray& line : file.split('\n')) {
        const QList<QByteArray> f = SplitFields(line.trimmed());
        if (line.startsWith("R,") && f.size() == 5)
            out << "R " + QString::fromLatin1(f[2]);
        else if (line.startsWith("W,") && f.size() == 16)
            out << "W " + QString::fromLatin1(f[5] + ' ' + f[6] + ' ' + f[4]);
    }
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

    void importsByExtension_data() {
        QTest::addColumn<QString>("relative"); // where the file is put, below a fresh folder
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("route");
        QTest::addColumn<QString>("loaded"); // route name, then the first rows' names
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("fitReport"); // empty: not fitted
        const QByteArray two = readFile(data("two_routes.gpx"));
        const QByteArray mixed = readFile(data("mixed.gpx"));
        const QByteArray names = readFile(data("names.gpx"));
        QTest::newRow("first of two routes")
            << "my routes/a.gpx" << two << 1 << "Main river|GRT001|MILL|WEIR" << 3 << "";
        QTest::newRow("second of two routes") << "a.gpx" << two << 2 << "Back|A|B" << 2 << "";
        QTest::newRow("route beside waypoints and a track, quotes in the path")
            << "say \"hi\" 'there'/x.Gpx" << mixed << 1 << "Alp tour|START|PASS" << 2 << "";
        QTest::newRow("the track after the route")
            << "a.gpx" << mixed << 2 << "Walked|RPT001|RPT002" << 2 << "";
        // The converter writes a comma in a name as it stands; the repair makes it a blank.
        QTest::newRow("comma in a name, non-ASCII path")
            << QStringLiteral("Fahrten/Küste ß.GPX") << names << 1
            << QStringLiteral("Küste|Brücke|Pier  north|Ende") << 3 << "";
        QTest::newRow("124 points")
            << "full.gpx" << readFile(data("full_124.gpx")) << 1 << "Full|P001" << 124 << "";
        QTest::newRow("125 points fitted")
            << "l.gpx" << readFile(data("long_125.gpx")) << 1 << "Too long|P001" << 124
            << "125 points reduced to 124; the route is 0.0 % shorter";
        QTest::newRow(".RTE in a .gpx folder")
            << ".hidden.gpx.d/trip.RTE" << routeFile(2, "\r\n", "Alp tour") << 1
            << "Alp tour|WP1|WP2" << 2 << "";
    }
    void importsByExtension() {
        QFETCH(QString, relative);
        QFETCH(QByteArray, content);
        QFETCH(int, route);
        QFETCH(QString, loaded);
        QFETCH(int, count);
        QFETCH(QString, fitReport);
        const QString path = m_dir->filePath(relative);
        QVERIFY(QDir().mkpath(QFileInfo(path).path()) && writeFile(path, content));
        QString report;
        const ImportOutcome outcome = import(path, {}, {route, true}, &report);
        QVERIFY2(outcome.ok, qPrintable(outcome.message + QLatin1Char(' ') + outcome.details));
        QStringList shown{m_routeName};
        for (int row = 1; row < loaded.count(QLatin1Char('|')) + 1; ++row)
            shown << m_table->cell(RouteTable::ColName, row);
        QCOMPARE(shown.join(QLatin1Char('|')), loaded);
        QCOMPARE(m_state.waypointCount(), count);
        QCOMPARE(report, fitReport);
    }

    // Each failure over a loaded route, which stays as it was.
    void failuresChangeNothing_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("program"); // the converter; empty for gpsbabel
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("detail");
        const QString conversion = "GPX-RTE conversion failed, rte file not found.";
        const QString format = "Route File Format Error!", unknown = "Unknow file type error.";
        const QString gpx = data("mixed.gpx");
        QTest::newRow("no extension") << "/r/trip"
                                      << "" << unknown << "";
        QTest::newRow("other extension after .gpx") << "/r/trip.gpx.txt"
                                                    << "" << unknown << "";
        QTest::newRow("missing route file") << "/no/x.rte"
                                            << ""
                                            << "RTE file error."
                                            << "does not exist";
        QTest::newRow("125 points, not fitted")
            << data("long_125.gpx") << "" << format << "125 waypoints";
        QTest::newRow("beyond the list") << data("two_routes.gpx") << "" << format << "no route 3";
        QTest::newRow("no route in GPX") << data("no_route.gpx") << "" << conversion << "no route";
        QTest::newRow("converter not on PATH")
            << gpx << "rv58-no-such-converter" << conversion << "could not be started";
        QTest::newRow("converter writes nothing") << gpx << "true" << conversion << "no route";
    }
    void failuresChangeNothing() {
        QFETCH(QString, file);
        QFETCH(QString, program);
        QFETCH(QString, message);
        QFETCH(QString, detail);
        QVERIFY(import(data("two_routes.gpx")).ok);
        const QList<QByteArray> lines = m_state.RouteLineStore;
        const ImportOutcome outcome =
            import(file, program.isEmpty() ? GpsBabelConverter() : GpsBabelConverter(program, 2000),
                   {file.contains("two_") ? 3 : 1, false});
        QVERIFY(!outcome.ok);
        QCOMPARE(outcome.message, message);
        QVERIFY2(outcome.details.contains(detail), qPrintable(outcome.details));
        QCOMPARE(m_routeName, QStringLiteral("Main river"));
        QCOMPARE(m_table->rowCount(), 3);
        QCOMPARE(m_state.RouteLineStore, lines);
    }

    void convertsRoutesThenTracks_data() {
        QTest::addColumn<QByteArray>("gpx");
        QTest::addColumn<QString>("records"); // empty for a failure
        QTest::addColumn<int>("routes");
        QTest::newRow("two routes, as the plain conversion writes them")
            << readFile(data("two_routes.gpx"))
            << "R Main river|W 50.100000 8.600000 GRTP-001|W 50.109000 8.610000 MILL|"
               "W 50.120000 8.630000 WEIR|R Back|W 51.000000 9.000000 A|W 51.100000 9.100000 B"
            << 2;
        QTest::newRow("route, waypoint and track")
            << readFile(data("mixed.gpx"))
            << "R Alp tour|W 47.400000 11.000000 START|W 47.420000 11.050000 PASS|R Walked|"
               "W 47.400000 11.000000 RPT001|W 47.410000 11.020000 RPT002"
            << 1;
        QTest::newRow("tracks only, two segments and one unnamed")
            << gpxFile("<trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg>"
                       "<trkseg><trkpt lat=\"1.5\" lon=\"2.5\"/></trkseg></trk>"
                       "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk>")
            << "R T|W 1.000000 2.000000 RPT001|W 1.500000 2.500000 RPT002|R |"
               "W 3.000000 4.000000 RPT003"
            << 0;
        QTest::newRow("commas, CR and LF in names and comments")
            << gpxFile("<rte><name>Route, one</name>"
                       "<rtept lat=\"47.1\" lon=\"8.1\"><ele>512</ele><time>2023-05-01T10:00:00Z"
                       "</time><name>Bern, Bahnhof</name><cmt>a, b\nc</cmt><sym>Flag</sym></rtept>"
                       "<rtept lat=\"47.2\" lon=\"8.2\"><name>Caf\xc3\xa9 \"Zum L\xc3\xb6wen\", "
                       "Terrasse</name></rtept>"
                       "<rtept lat=\"47.3\" lon=\"8.3\"><name>line\nbreak</name></rtept>"
                       "<rtept lat=\"-47.4\" lon=\"-8.4\"><name>cr&#13;&#10;lf</name></rtept></rte>"
                       "<trk><name>Walk, north</name><trkseg><trkpt lat=\"47.4\" lon=\"11\"/>"
                       "</trkseg></trk>")
            << QStringLiteral("R Route  one|W 47.100000 8.100000 Bern  Bahnhof|"
                              "W 47.200000 8.200000 Café \"Zum Löwen\"  Terrasse|"
                              "W 47.300000 8.300000 line break|W -47.400000 -8.400000 cr  lf|"
                              "R Walk  north|W 47.400000 11.000000 RPT001")
            << 1;
        QTest::newRow("neither") << readFile(data("no_route.gpx")) << QString() << 0;
    }
    void convertsRoutesThenTracks() {
        QFETCH(QByteArray, gpx);
        QFETCH(QString, records);
        QFETCH(int, routes);
        const QString path = m_dir->filePath(QStringLiteral("in.gpx"));
        QVERIFY(writeFile(path, gpx));
        ConverterJob job;
        QSignalSpy finished(&job, &ConverterJob::finished);
        job.startGpxConversion(path);
        QCOMPARE(job.status(), ConverterJob::Status::Running);
        QCOMPARE(job.waitForFinished(), !records.isEmpty());
        QCOMPARE(finished.size(), 1);
        if (records.isEmpty()) {
            QCOMPARE(job.details(), QStringLiteral("The GPX file holds no route or track."));
            return;
        }
        QVERIFY(job.routeFile().startsWith(header()));
        QCOMPARE(::records(job.routeFile()), records);
        QCOMPARE(job.gpxRouteCount(), routes);
        if (routes == 2) { // nothing to repair: the bytes are the plain conversion's
            const QString out = m_dir->filePath(QStringLiteral("plain.rte"));
            QCOMPARE(QProcess::execute(GpsBabelConverter::defaultProgram(),
                                       GpsBabelConverter::arguments(path, out)),
                     0);
            QCOMPARE(job.routeFile(), readFile(out));
        }
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

    // The kept points are found among the route's own: the corners of the staircase.
    void fitsLongRoutes_data() {
        QTest::addColumn<QByteArray>("gpx"); // a track, converted first; or empty
        QTest::addColumn<QByteArray>("rte"); // else this route file
        QTest::addColumn<QList<int>>("kept");
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
        QTest::newRow("600-point track")
            << gpxFile(track + "</trkseg></trk>") << QByteArray() << trackKept;
        // Seven decimals, which the converter rounds to six when it writes the kept points.
        QByteArray rte = header() + routeLine("LONG");
        for (int i = 0; i < 300; ++i) {
            const QPointF p = staircase(i, 300);
            rte += waypointLine(i + 1, "W" + QByteArray::number(i),
                                " " + QByteArray::number(p.x() + 4e-7, 'f', 7),
                                QByteArray::number(p.y(), 'f', 5) + "  ");
        }
        QTest::newRow("300-point route, blanks and other decimals")
            << QByteArray() << rte << corners(300);
    }
    void fitsLongRoutes() {
        QFETCH(QByteArray, gpx);
        QFETCH(QByteArray, rte);
        QFETCH(QList<int>, kept);
        ConverterJob job;
        if (!gpx.isEmpty()) {
            const QString path = m_dir->filePath(QStringLiteral("track.gpx"));
            QVERIFY(writeFile(path, gpx));
            job.startGpxConversion(path);
            QVERIFY2(job.waitForFinished(), qPrintable(job.details()));
            rte = job.routeFile();
        }
        job.startFit(rte);
        QVERIFY2(job.waitForFinished(), qPrintable(job.details()));
        QCOMPARE(job.keptWaypoints(), kept);
    }

    // Stand-ins for a converter that goes wrong; the details keep to the error output's cap.
    void converterFaults_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QString>("ending");
        const QByteArray flood = "head -c 3000000 /dev/zero | tr '\\0' x";
        QTest::newRow("not on PATH") << "rv58-no-such-converter" << 5000 << "could not be started"
                                     << "";
        QTest::newRow("megabytes of error output, the reason last")
            << tool("errors", flood + " >&2; echo 'bad input file' >&2; exit 3") << 5000
            << "ended with status 3."
            << "bad input file";
        // Were the standard output a pipe that nobody reads, the converter would block on it.
        QTest::newRow("megabytes of standard output, no result")
            << tool("talks", flood) << 5000 << "wrote no route file."
            << "";
        QTest::newRow("hangs") << tool("hangs", "exec sleep 30") << 300
                               << "did not finish within 0.3 seconds."
                               << "";
        QTest::newRow("crashes") << tool("crashes", "kill -SEGV $$") << 5000 << "stopped abnormally"
                                 << "";
        QTest::newRow("result of other points")
            << tool("other", "for a; do out=\"$a\"; done; printf '" + header() + routeLine("X") +
                                 waypointLine(1, "A", "10.000000", "10.000000") + "' > \"$out\"")
            << 5000 << "do not match"
            << "";
    }
    void converterFaults() {
        QFETCH(QString, program);
        QFETCH(int, timeoutMs);
        QFETCH(QString, detail);
        QFETCH(QString, ending);
        ConverterJob job(GpsBabelConverter(program, timeoutMs));
        job.startFit(routeFile(3));
        QVERIFY(!job.waitForFinished());
        QCOMPARE(job.status(), ConverterJob::Status::Failed);
        QVERIFY2(job.details().contains(detail), qPrintable(job.details().left(300)));
        QVERIFY(job.details().endsWith(ending));
        QVERIFY(job.details().size() < ConverterJob::MaxErrorOutputBytes + 100);
    }

    // Cancelled or destroyed, the job ends the converter and reaps it.
    void cancelEndsConverter_data() {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("cancel") << false;
        QTest::newRow("destroy") << true;
    }
    void cancelEndsConverter() {
        QFETCH(bool, destroy);
        const QByteArray pid = QFile::encodeName(m_dir->filePath(QStringLiteral("pid")));
        const QString program = tool("waits", "echo $$ > '" + pid + ".new'; mv '" + pid +
                                                  ".new' '" + pid + "'; exec sleep 30");
        auto job = std::make_unique<ConverterJob>(GpsBabelConverter(program));
        QSignalSpy finished(job.get(), &ConverterJob::finished);
        job->startFit(routeFile(3));
        QTRY_VERIFY(QFileInfo::exists(QFile::decodeName(pid)));
        if (destroy) {
            job.reset();
        } else {
            job->cancel();
            job->cancel();
            QCOMPARE(job->status(), ConverterJob::Status::Cancelled);
            QVERIFY(!job->waitForFinished());
        }
        QCOMPARE(finished.size(), destroy ? 0 : 1);
        QCOMPARE(::kill(readFile(QFile::decodeName(pid)).trimmed().toInt(), 0), -1);
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
