// The import: file type from the extension, GPX through the real converter in a folder of
// its own, and route files as GPSBabel writes them; the converter jobs that run it without
// blocking, and the interrupt watcher that cancels them.
#include "RouteFileFixtures.h"
#include "cli/InterruptWatcher.h"
#include "files/ConverterJob.h"
#include "files/ConverterOutputRepair.h"
#include "files/RouteFileReader.h"
#include "files/RouteImport.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QElapsedTimer>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

using namespace fixtures;

namespace {

QByteArray gpxFile(const QByteArray& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" creator=\"rv58route "
           "tests\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n" +
           body + "</gpx>\n";
}

// Every record of a route file in short: "R name" and "W lat lon name", or the line itself
// when its fields are not as many as the converter writes.
QStringList records(const QByteArray& file) {
    QStringList out;
    for (QByteArray line : file.split('\n')) {
        line.chop(line.endsWith('\r') ? 1 : 0);
        const QList<QByteArray> f = SplitFields(line);
        if (line.startsWith("R,") && f.size() == 5)
            out << QStringLiteral("R ") + QString::fromLatin1(f[2]);
        else if (line.startsWith("W,") && f.size() == 16)
            out << QString::fromLatin1(f[5] + ' ' + f[6] + ' ' + f[4]).prepend(u"W ");
        else if (line.startsWith("R,") || line.startsWith("W,"))
            out << QString::fromLatin1(line);
    }
    return out;
}

// The place of point i of `count` on a staircase of 124 corners; the points between two
// corners lie on the straight leg, so reducing the route to 124 points keeps the corners.
// Each leg keeps either the latitude or the longitude, so a point matched by one of them
// alone is taken for the wrong one.
QList<int> corners(int count) {
    QList<int> indices;
    for (int k = 0; k < MaxRouteWaypoints; ++k)
        indices << qRound(k * (count - 1) / double(MaxRouteWaypoints - 1));
    return indices;
}
QPointF staircase(int i, int count) {
    const QList<int> c = corners(count);
    const int leg = qMax(0, int(std::upper_bound(c.begin(), c.end(), i) - c.begin()) - 1);
    const int to = qMin(leg + 1, int(c.size()) - 1);
    const double t = to == leg ? 0 : (i - c[leg]) / double(c[to] - c[leg]);
    auto corner = [](int k) { return QPointF(47 + (k + 1) / 2 * 0.01, 8 + k / 2 * 0.01); };
    return corner(leg) + (corner(to) - corner(leg)) * t;
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void importsByExtension_data();
    void importsByExtension();
    void failuresChangeNothing_data();
    void failuresChangeNothing();
    void cleanup();

    void convertsRoutesThenTracks_data();
    void convertsRoutesThenTracks();
    void repairsRouteLines_data();
    void repairsRouteLines();
    void fitsLongRoutes_data();
    void fitsLongRoutes();
    void converterFaults_data();
    void converterFaults();
    void cancelEndsConverter_data();
    void cancelEndsConverter();
    void interruptsBecomeSignals_data();
    void interruptsBecomeSignals();

private:
    ImportOutcome import(const QString& path, const GpsBabelConverter& converter = {},
                         const ImportChoice& choice = {}, QString* fitReport = nullptr) {
        return ImportRoute(path, *m_table, m_routeName, m_state, converter, choice, fitReport);
    }
    static QString data(const char* name) {
        return QStringLiteral(RV58_TEST_DATA "/") + QString::fromLatin1(name);
    }

    QString tool(const char* name, const QByteArray& body) {
        const QString path = m_tools->filePath(QString::fromLatin1(name));
        writeFile(path, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner);
        return path;
    }
    QString jobTemp() const { return m_dir->filePath(QStringLiteral("tmp")); }

    QByteArray m_systemTemp;
    QScopedPointer<QTemporaryDir> m_tools;
    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<RouteTable> m_table;
    QString m_routeName;
    RouteState m_state;
};

void TestImport::initTestCase() {
    m_systemTemp = QFile::encodeName(QDir::tempPath());
    m_tools.reset(new QTemporaryDir);
    tool("hangs", "exec sleep 30"); // a stand-in for a converter that hangs
    QVERIFY2(!QStandardPaths::findExecutable(GpsBabelConverter::defaultProgram()).isEmpty(),
             "gpsbabel must be installed for these tests");
}

// Every test runs with a temporary folder of its own, which no converter run may leave
// anything in.
void TestImport::init() {
    qputenv("TMPDIR", m_systemTemp);
    m_dir.reset(new QTemporaryDir);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("tmp")));
    qputenv("TMPDIR", QFile::encodeName(jobTemp()));
    m_table.reset(new RouteTable);
    m_table->setRowCount(10);
    m_table->writeHeaderRow();
    m_routeName.clear();
    m_state = RouteState();
}

void TestImport::importsByExtension_data() {
    QTest::addColumn<QString>("relative"); // where the file is put, below a fresh folder
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("routeName");
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("names"); // of the first rows
    QTest::addColumn<int>("route");
    QTest::addColumn<QString>("fitReport"); // empty: not fitted
    QTest::newRow("first of two routes, .gpx")
        << "my routes/a trip.gpx" << readFile(data("two_routes.gpx")) << "Main river" << 3
        << QStringList{"GRT001", "MILL", "WEIR"} << 1 << QString();
    QTest::newRow("second of two routes") << "in/a.gpx" << readFile(data("two_routes.gpx"))
                                          << "Back" << 2 << QStringList{"A", "B"} << 2 << QString();
    QTest::newRow("the track after the route")
        << "in/a.gpx" << readFile(data("mixed.gpx")) << "Walked" << 2
        << QStringList{"RPT001", "RPT002"} << 2 << QString();
    // The converter writes a comma in a name as it stands; the repair makes it a blank.
    QTest::newRow("comma in a name")
        << "in/n.gpx" << readFile(data("names.gpx")) << "Küste" << 3
        << QStringList{"Brücke", "Pier  north", "Ende"} << 1 << QString();
    QTest::newRow("125 points fitted")
        << "in/l.gpx" << readFile(data("long_125.gpx")) << "Too long" << 124 << QStringList{"P001"}
        << 1 << "125 points reduced to 124; the route is 0.0 % shorter";
    // GPSBabel writes the waypoints and the track beside the route into side files.
    QTest::newRow("route beside waypoints and a track, .Gpx")
        << "say \"hi\" 'there'/x.Gpx" << readFile(data("mixed.gpx")) << "Alp tour" << 2
        << QStringList{"START", "PASS"} << 1 << QString();
    // The converter writes 8-bit text.
    QTest::newRow("non-ASCII and byte-order mark, .GPX")
        << QStringLiteral("Fahrten/Küste ß.GPX")
        << readFile(data("names.gpx")).replace("Pier, north", "Pier north")
        << QStringLiteral("Küste") << 3
        << QStringList{QStringLiteral("Brücke"), "Pier north", "Ende"} << 1 << QString();
    QTest::newRow("124 points") << "routes/full.gpx" << readFile(data("full_124.gpx")) << "Full"
                                << 124 << QStringList{"P001"} << 1 << QString();
    QTest::newRow(".RTE in a .gpx folder")
        << ".hidden.gpx.d/\"quoted\" trip.RTE" << routeFile(2, "\r\n", "Alp tour") << "Alp tour"
        << 2 << QStringList{"WP1", "WP2"} << 1 << QString();
}

// The working folder holds a stale converter output of another route: it is neither taken
// for this import's result nor touched, and nothing is left beside it.
void TestImport::importsByExtension() {
    QFETCH(QString, relative);
    QFETCH(QByteArray, content);
    QFETCH(QString, routeName);
    QFETCH(int, count);
    QFETCH(QStringList, names);
    QFETCH(int, route);
    QFETCH(QString, fitReport);
    const QString path = m_dir->filePath(relative);
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QVERIFY(writeFile(path, content));
    const QString old = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
    QVERIFY(writeFile(QStringLiteral("Default_temp.rte"), routeFile(2)));
    QString report;
    const ImportOutcome outcome = import(path, {}, {route, true}, &report);
    const QStringList left = QDir().entryList(QDir::Files);
    const QByteArray stale = readFile(QStringLiteral("Default_temp.rte"));
    QDir::setCurrent(old);
    QVERIFY2(outcome.ok, qPrintable(outcome.message + QLatin1Char(' ') + outcome.details));
    QCOMPARE(m_routeName, routeName);
    QCOMPARE(m_state.waypointCount(), count);
    QCOMPARE(report, fitReport);
    for (int i = 0; i < names.size(); ++i)
        QCOMPARE(m_table->cell(RouteTable::ColName, i + 1), names.at(i));
    QCOMPARE(left, QStringList{QStringLiteral("Default_temp.rte")});
    QCOMPARE(stale, routeFile(2));
}

void TestImport::failuresChangeNothing_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("program"); // the converter; empty for gpsbabel
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("detail");
    const QString conversion = QStringLiteral("GPX-RTE conversion failed, rte file not found.");
    const QString format = QStringLiteral("Route File Format Error!");
    auto row = [](const char* tag, const QString& file, const QString& program,
                  const QString& message, const QString& detail) {
        QTest::newRow(tag) << file << program << message << detail;
    };
    const QString unknown = QStringLiteral("Unknow file type error.");
    row("no extension", "/r/trip", "", unknown, "");
    row("other extension after .gpx", "/r/trip.gpx.txt", "", unknown, "");
    row("missing route file", "/nonexistent/x.rte", "", "RTE file error.", "does not exist");
    row("more than 124 points, not fitted", data("long_125.gpx"), "", format, "125 waypoints");
    row("a route beyond the list", data("two_routes.gpx"), "", format, "no route 3");
    row("no route in the GPX file", data("no_route.gpx"), "", conversion, "no route");
    row("not a route file", data("not_a_route.rte"), "", format, "OziExplorer");
    const QString gpx = data("mixed.gpx");
    row("converter not on PATH", gpx, "rv58-no-such-converter", conversion, "could not be started");
    row("converter ends well but writes nothing", gpx, "true", conversion, "no route");
}

void TestImport::failuresChangeNothing() {
    QFETCH(QString, file);
    QFETCH(QString, program);
    QFETCH(QString, message);
    QFETCH(QString, detail);
    QVERIFY(import(data("two_routes.gpx")).ok);
    const QList<QByteArray> lines = m_state.RouteLineStore;
    const GpsBabelConverter converter =
        program.isEmpty() ? GpsBabelConverter() : GpsBabelConverter(program, 2000);
    QElapsedTimer timer;
    timer.start();
    const ImportOutcome outcome = import(file, converter, {file.contains("two_") ? 3 : 1, false});
    QVERIFY(timer.elapsed() < 10000);
    QVERIFY(!outcome.ok);
    QCOMPARE(outcome.message, message);
    QVERIFY2(outcome.details.contains(detail), qPrintable(outcome.details));
    QCOMPARE(m_routeName, QStringLiteral("Main river"));
    QCOMPARE(m_table->rows(), 4);
    QCOMPARE(m_state.RouteLineStore, lines);
}

void TestImport::cleanup() {
    QCOMPARE(QDir(jobTemp()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList());
}

void TestImport::convertsRoutesThenTracks_data() {
    QTest::addColumn<QByteArray>("gpx");
    QTest::addColumn<QStringList>("records"); // empty for a failure
    QTest::addColumn<int>("routes");
    QTest::addColumn<bool>("plain"); // the bytes of the plain route conversion
    QTest::newRow("two routes") << readFile(data("two_routes.gpx"))
                                << QStringList{"R Main river",
                                               "W 50.100000 8.600000 GRTP-001",
                                               "W 50.109000 8.610000 MILL",
                                               "W 50.120000 8.630000 WEIR",
                                               "R Back",
                                               "W 51.000000 9.000000 A",
                                               "W 51.100000 9.100000 B"}
                                << 2 << true;
    QTest::newRow("route, waypoint and track")
        << readFile(data("mixed.gpx"))
        << QStringList{"R Alp tour", "W 47.400000 11.000000 START",  "W 47.420000 11.050000 PASS",
                       "R Walked",   "W 47.400000 11.000000 RPT001", "W 47.410000 11.020000 RPT002"}
        << 1 << false;
    QTest::newRow("tracks only, two segments and one unnamed")
        << gpxFile("<trk><name>T</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg>"
                   "<trkseg><trkpt lat=\"1.5\" lon=\"2.5\"/></trkseg></trk>"
                   "<trk><trkseg><trkpt lat=\"3\" lon=\"4\"/></trkseg></trk>")
        << QStringList{"R T", "W 1.000000 2.000000 RPT001", "W 1.500000 2.500000 RPT002", "R ",
                       "W 3.000000 4.000000 RPT003"}
        << 0 << false;
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
        << QStringList{"R Route  one",
                       "W 47.100000 8.100000 Bern  Bahnhof",
                       QStringLiteral("W 47.200000 8.200000 Café \"Zum Löwen\"  Terrasse"),
                       "W 47.300000 8.300000 line break",
                       "W -47.400000 -8.400000 cr  lf",
                       "R Walk  north",
                       "W 47.400000 11.000000 RPT001"}
        << 1 << false;
    QTest::newRow("neither") << readFile(data("no_route.gpx")) << QStringList() << 0 << false;
}

void TestImport::convertsRoutesThenTracks() {
    QFETCH(QByteArray, gpx);
    QFETCH(QStringList, records);
    QFETCH(int, routes);
    QFETCH(bool, plain);
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
    if (plain) {
        const QString out = m_dir->filePath(QStringLiteral("plain.rte"));
        QCOMPARE(QProcess::execute(GpsBabelConverter::defaultProgram(),
                                   GpsBabelConverter::arguments(path, out)),
                 0);
        QCOMPARE(job.routeFile(), readFile(out));
    }
}

void TestImport::repairsRouteLines_data() {
    QTest::addColumn<QByteArray>("records");
    QTest::addColumn<QByteArray>("repaired");
    QTest::newRow("name and description with commas: the name begins alike")
        << QByteArray("R,1,Route, one,Desc, two,\r\n") << QByteArray("R,1,Route  one Desc,,\r\n");
    QTest::newRow("track name with commas")
        << QByteArray("R,2,Walk, north,Generated from track Walk, north,\r\n")
        << QByteArray("R,2,Walk  north,Generated from track Walk  north,\r\n");
    QTest::newRow("line break in a name, description kept")
        << QByteArray("R,1,Route\none,Desc,\r\nW,1,,1,A,1.000000,2.000000,,0,1,3,0,65535,,0,0\r\n")
        << QByteArray("R,1,Route one,Desc,\r\nW,1,,1,A,1.000000,2.000000,,0,1,3,0,65535,,0,0\r\n");
    const QByteArray unknown =
        "R,1,A,,\r\nW,1,,1,A, B,1.5,2.5,,0,1,3,0,65535,,0,0\r\nR,2,B, C,,\r\n";
    QTest::newRow("from a record of another shape on, kept") << unknown << unknown;
}

void TestImport::repairsRouteLines() {
    QFETCH(QByteArray, records);
    QFETCH(QByteArray, repaired);
    QCOMPARE(RepairConverterOutput(header() + records), header() + repaired);
}

void TestImport::fitsLongRoutes_data() {
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

void TestImport::fitsLongRoutes() {
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

void TestImport::converterFaults_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("ending"); // of the details, which keep to the error output's cap
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

void TestImport::converterFaults() {
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

void TestImport::cancelEndsConverter_data() {
    QTest::addColumn<bool>("destroy"); // the job is destroyed instead of cancelled
    QTest::newRow("cancel") << false;
    QTest::newRow("destroy") << true;
}

void TestImport::cancelEndsConverter() {
    QFETCH(bool, destroy);
    const QString pidFile = m_dir->filePath(QStringLiteral("pid"));
    const QString program =
        tool("waits", "echo $$ > '" + QFile::encodeName(pidFile) + ".new'; mv '" +
                          QFile::encodeName(pidFile) + ".new' '" + QFile::encodeName(pidFile) +
                          "'; exec sleep 30");
    auto job = std::make_unique<ConverterJob>(GpsBabelConverter(program));
    QSignalSpy finished(job.get(), &ConverterJob::finished);
    job->startFit(routeFile(3));
    QTRY_VERIFY(QFileInfo::exists(pidFile));
    const pid_t pid = readFile(pidFile).trimmed().toInt();
    if (destroy) {
        job.reset();
    } else {
        job->cancel();
        job->cancel();
        QCOMPARE(job->status(), ConverterJob::Status::Cancelled);
        QVERIFY(!job->waitForFinished());
    }
    QCOMPARE(finished.size(), destroy ? 0 : 1);
    QCOMPARE(::kill(pid, 0), -1); // ended and reaped
}

void TestImport::interruptsBecomeSignals_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<int>("status");
    QTest::newRow("interrupt") << SIGINT << 130;
    QTest::newRow("terminate") << SIGTERM << 143;
}

void TestImport::interruptsBecomeSignals() {
    QFETCH(int, signal);
    QFETCH(int, status);
    InterruptWatcher watcher;
    QSignalSpy interrupted(&watcher, &InterruptWatcher::interrupted);
    std::raise(signal);
    QVERIFY(interrupted.wait(5000));
    QCOMPARE(interrupted.first().first().toInt(), status);
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
