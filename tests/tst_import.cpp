// SPDX-License-Identifier: GPL-3.0-or-later
// The import: file type from the extension, GPX through the real converter in a folder of
// its own, route files as GPSBabel writes them, and a long route fitted to the device.
#include "LoadRoute.h"
#include "RouteFileFixtures.h"
#include "files/ConverterOutputRepair.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <utime.h>

using namespace fixtures;

namespace {

// Point i of a staircase whose 124 corners are every `step`-th point. The points between
// lie on the legs, so a fit to 124 points keeps the corners; each leg keeps either the
// latitude or the longitude, so a point matched by one of them alone is the wrong one.
// Points beyond the last corner stand still on it.
QPointF staircase(int i, int step) {
    i = qMin(i, (MaxRouteWaypoints - 1) * step);
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

// A stand-in converter's listing of the routes in `bytes`: the route file, and the list of
// names that ends its arguments, without any name.
QByteArray lists(const QByteArray& bytes) {
    return "printf '" + bytes + "' > routes.rte; printf '\\r\\n' > \"$out\"";
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT

    QString file(const QString& name) const { return m_files.filePath(name); }
    QString tool(const char* name, const QByteArray& body) {
        const bool made = writeFile(file(name), "#!/bin/sh\nfor a; do out=\"$a\"; done\n" + body) &&
                          QFile::setPermissions(file(name), QFile::ReadOwner | QFile::ExeOwner);
        return made ? file(name) : QString();
    }

    QTemporaryDir m_files; // the tables' files and stand-ins for the converter
    QTemporaryDir m_jobTemp;
    RouteTable m_table;
    QString m_routeName;
    RouteState m_state;

private slots:
    void initTestCase() { qputenv("TMPDIR", QFile::encodeName(m_jobTemp.path())); }
    // No converter run may leave anything in the temporary folder.
    void cleanup() {
        QVERIFY(
            QDir(m_jobTemp.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    // Each file is imported over a loaded route: a new one replaces it whole, a refused one
    // leaves it as it was. Stand-ins for the converter fit a long route and go wrong; the
    // details keep to the error output's cap.
    void imports_data() {
        QTest::addColumn<QString>("path"); // in the test folder when there is content
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("route");
        QTest::addColumn<QString>("program");  // the converter; empty for gpsbabel
        QTest::addColumn<QString>("expected"); // route name and row names, or the message
        QTest::addColumn<QString>("details");  // a pattern for the fit report or the details
        auto row = [this](const char* name, const QString& path, const QByteArray& content,
                          const QString& expected, const char* details = "^$", int route = 1,
                          const QString& program = {}) {
            QTest::newRow(name) << (content.isNull() ? path : file(path)) << content << route
                                << program << expected << details;
        };
        // The track follows the route it shares the file with.
        row("the track after the route, quotes in the path", "say \"hi\" 'there'/b.gpx",
            readFile(RV58_TEST_DATA "/mixed.gpx"), "Walked|RPT001|RPT002", "^$", 2);
        // The converter writes a comma, CR or LF in a name or comment as it stands; the
        // repair makes it a blank. A route's name is its GPX name, whatever its description.
        row("commas, CR and LF in names and comments, non-ASCII path",
            QStringLiteral("Fahrten/Küste ß.GPX"),
            "<gpx version=\"1.1\"><rte><name>Route, one</name><desc>Desc, two</desc><rtept "
            "lat=\"-47.1\" lon=\"-8.1\"><time>2023-05-01T10:00:00Z</time><name>Bern, Bahnhof"
            "</name><cmt>a, b\nc</cmt><sym>Flag</sym></rtept><rtept lat=\"47.2\" lon=\"8.2\">"
            "<name>Caf\xc3\xa9 \"L\xc3\xb6we\", line\nbreak "
            "cr&#13;&#10;lf</name></rtept></rte></gpx>",
            QStringLiteral("Route  one|Bern  Bahnhof|Café \"Löwe\"  line break cr  lf"));
        const QByteArray described =
            "<gpx version=\"1.1\"><rte><name>Alpine</name><desc>Day 1, easy</desc><rtept "
            "lat=\"1\" lon=\"2\"><name>A</name></rtept></rte><rte><name>Ridge, west</name>"
            "<desc>line one\nline two, x</desc><rtept lat=\"3\" lon=\"4\"><name>B</name>"
            "</rtept></rte></gpx>";
        row("a description with commas", "d.gpx", described, "Alpine|A");
        row("a name with a comma, a description of two lines", "d.gpx", described, "Ridge  west|B",
            "^$", 2);
        row("a track's name with a comma", "walk.gpx",
            "<gpx version=\"1.1\"><trk><name>Walk, long</name><trkseg><trkpt lat=\"1\" "
            "lon=\"2\"/></trkseg></trk></gpx>",
            "Walk  long|RPT001");
        // The device holds 124 points, so a route of 124 is taken as it is.
        row(".RTE of 124 points in a .gpx folder", ".x.gpx.d/trip.RTE", routeFile(124),
            names("TESTROUTE", "WP%d", 1, 1));
        // The logger stood still at the end: the kept end is the last point, not its twin.
        QByteArray track = "<gpx version=\"1.1\"><trk><trkseg>";
        for (int i = 0; i < 248; ++i)
            track += "<trkpt lat=\"" + QByteArray::number(staircase(i, 2).x(), 'f', 7) +
                     "\" lon=\"" + QByteArray::number(staircase(i, 2).y(), 'f', 7) + "\"/>";
        row("248-point track fitted", "t.gpx", track + "</trkseg></trk></gpx>",
            names("", "RPT%03d", 2, 1).replace("RPT247", "RPT248"),
            "^248 points reduced to 124; the route is 0.0 % shorter$");
        // The fit sees every 100th point, which keeps the corners here. The legs between two
        // points are shorter than the metre the measurement counts in. The last leg goes on to
        // the track's end, beyond the last point the thinning keeps: the route ends there too.
        track = "<gpx version=\"1.1\"><trk><trkseg>";
        for (int i = 0; i < 200000; ++i) {
            const int on = qMax(0, i - 196800);
            const QPointF p = staircase(i, 1600) + QPointF(on * 0.01 / 1600, 0);
            track += "<trkpt lat=\"" + QByteArray::number(p.x(), 'f', 7) + "\" lon=\"" +
                     QByteArray::number(p.y(), 'f', 7) + "\"/>";
        }
        row("200000-point track fitted", "big.gpx", track + "</trkseg></trk></gpx>",
            names("", "RPT%03d", 1600, 1).replace("RPT196801", "RPT200000"),
            "^200000 points reduced to 124; the route is \\d\\.\\d % shorter$");
        row("a route that stands still, fitted", "still.rte",
            header() + routeLine("STILL") + waypointLine(1, "S", "47.0", "8.0").repeated(125),
            "STILL|" + QStringList(124, "S").join('|'), "^125 points .* 0\\.0 % shorter$");
        // Seven decimals, which the converter rounds to six when it writes the kept points.
        QByteArray rte = header() + routeLine("LONG");
        for (int i = 0; i < 370; ++i)
            rte += waypointLine(i + 1, "W" + QByteArray::number(i),
                                " " + QByteArray::number(staircase(i, 3).x() + 4e-7, 'f', 7),
                                QByteArray::number(staircase(i, 3).y(), 'f', 5) + "  ");
        row("370-point route fitted, blanks and other decimals", "stairs.rte", rte,
            names("LONG", "W%d", 3, 0), "^370 points reduced to 124; the route is 0.0 % shorter$");

        const QString conversion = "GPX-RTE conversion failed, rte file not found.";
        const QString format = "Route File Format Error!";
        row("a route beyond the list", RV58_TEST_DATA "/two_routes.gpx", {}, format,
            "^The file holds 2 routes; there is no route 3\\.$", 3);
        row("no route in GPX", RV58_TEST_DATA "/no_route.gpx", {}, conversion,
            "^The GPX file holds no route or track\\.$");
        row("not XML", "notes.gpx", "hello\n", conversion,
            "^GPSBabel could not read the file as GPX: Start tag expected \\(line 1\\)\\.\\n");
        // Stand-ins for the converter that fit a 125-point route and go wrong; `$out` is their
        // last argument, the result file.
        auto fault = [&](const char* name, const char* details, const QByteArray& body) {
            row(name, "long.rte", routeFile(125), format, details, 1, tool(name, body));
        };
        const QByteArray flood = "head -c 3000000 /dev/zero | tr '\\0' x";
        auto writes = [](const QByteArray& bytes) { return "printf '" + bytes + "' > \"$out\""; };
        // Megabytes of error output: the reason, at its end, kept within 64 KiB.
        fault("errors", "ended with status 3\\.\\nx{60000,65535}bad input file$",
              flood + " >&2; echo 'bad input file' >&2; exit 3");
        // Were the standard output a pipe that nobody reads, the converter would block on it.
        fault("talks", "talks wrote no route file\\.$", flood);
        fault("hangs", "hangs did not finish within 2 seconds\\.$", "exec sleep 30");
        fault("crashes", "crashes stopped abnormally\\.$", "kill -SEGV $$");
        fault("empty", "^The reduced route's 0 points", writes(header()));
        fault("other", "^The reduced route's 1 points do not match the route's 125 waypoints\\.$",
              writes(header() + routeLine("X") + waypointLine(1, "A", "10.000000", "10.000000")));
        // Files the converter leaves beside its result go with the temporary folder.
        row("side files", RV58_TEST_DATA "/mixed.gpx", {}, "TESTROUTE|WP1|WP2", "^$", 1,
            tool("chatty", lists(routeFile(2)) + "; touch routes.wpt x.log"));
    }
    void imports() {
        QFETCH(QString, path);
        QFETCH(QByteArray, content);
        QFETCH(int, route);
        QFETCH(QString, program);
        QFETCH(QString, expected);
        QFETCH(QString, details);
        auto shown = [this] {
            QStringList names{m_routeName};
            for (int row = 1; row <= m_state.waypointCount(); ++row)
                names << m_table.cell(RouteTable::ColName, row);
            return names.join(QLatin1Char('|'));
        };
        QVERIFY(ImportRoute(RV58_TEST_DATA "/two_routes.gpx", m_table, m_routeName, m_state).ok);
        const QString before = shown() + m_state.RouteLineStore.join();
        if (!content.isNull())
            QVERIFY(QDir().mkpath(QFileInfo(path).path()) && writeFile(path, content));
        QString report;
        QList<RouteListEntry> listed;
        const ImportOutcome outcome =
            ImportRoute(path, m_table, m_routeName, m_state,
                        program.isEmpty() ? GpsBabelConverter() : GpsBabelConverter(program, 2000),
                        route, true, &report, &listed);
        QCOMPARE(outcome.ok ? shown() : outcome.refusal.headline, expected);
        // The list shows the name that is read and saved.
        if (outcome.ok)
            QCOMPARE(listed.at(route - 1).name.left(12), m_routeName);
        const QString told = outcome.ok ? report
                                        : outcome.refusal.reason +
                                              (outcome.refusal.details.isEmpty() ? "" : "\n") +
                                              outcome.refusal.details;
        QVERIFY2(QRegularExpression(details).match(told).hasMatch(), qPrintable(told.left(300)));
        if (!outcome.ok)
            QCOMPARE(shown() + m_state.RouteLineStore.join(), before);
    }

    // What a load finds in the temporary folder: a folder of ours that a killed run left goes
    // once it is a minute old, one of a running program stays; a full folder is named so.
    void temporaryFolder_data() {
        // The owner of a folder left there: "gone" or "running"; none for a full folder.
        QTest::addColumn<QString>("owner");
        QTest::addColumn<int>("age"); // in seconds
        QTest::addColumn<bool>("kept");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a killed run's") << "gone" << 61 << false << "";
        QTest::newRow("a killed run's, young") << "gone" << 50 << true << "";
        QTest::newRow("a running program's") << "running" << 3600 << true << "";
        QTest::newRow("full") << "" << 0 << true
                              << "GPSBabel could not write its output to .*: No space left on "
                                 "the device.";
    }
    void temporaryFolder() {
        QFETCH(QString, owner);
        QFETCH(int, age);
        QFETCH(bool, kept);
        QFETCH(QString, reason);
        QProcess running;
        running.start("sleep", {"30"});
        QVERIFY(running.waitForStarted());
        qint64 pid = running.processId();
        if (owner == "gone") {
            running.kill();
            running.waitForFinished();
        }
        const QString left = m_jobTemp.filePath(QStringLiteral("rv58route-%1-abcdef").arg(pid));
        const utimbuf times{time(nullptr) - age, time(nullptr) - age};
        QVERIFY(QDir().mkpath(left) && utime(QFile::encodeName(left), &times) == 0);
        QByteArray track = "<gpx version=\"1.1\"><trk><trkseg>";
        for (int i = 0; i < 2000; ++i)
            track += "<trkpt lat=\"47." + QByteArray::number(i) + "\" lon=\"8\"/>";
        QVERIFY(writeFile(file("walk.gpx"), track + "</trkseg></trk></gpx>"));
        const QString full = file("full");
        if (owner.isEmpty() &&
            (!QDir().mkpath(full) ||
             QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", full}) != 0))
            QSKIP("A small file system for the temporary folder cannot be mounted here.");
        if (owner.isEmpty())
            qputenv("TMPDIR", QFile::encodeName(full));
        const ImportOutcome outcome =
            ImportRoute(file("walk.gpx"), m_table, m_routeName, m_state, {}, 1, true);
        qputenv("TMPDIR", QFile::encodeName(m_jobTemp.path()));
        if (owner.isEmpty())
            QProcess::execute("umount", {full});
        QVERIFY2(QRegularExpression('^' + reason + '$').match(outcome.refusal.reason).hasMatch(),
                 qPrintable(outcome.refusal.reason));
        const bool stayed = QFileInfo::exists(left);
        QDir(left).removeRecursively();
        running.kill();
        running.waitForFinished();
        QCOMPARE(stayed, kept);
    }

    // A route line with a line break in its name keeps its description.
    void repairKeepsTheDescription() {
        QCOMPARE(RepairConverterOutput(header() + "R,1,Route\none,Desc,\r\n"),
                 header() + "R,1,Route one,Desc,\r\n");
    }
};

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
