// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route-cli as a script sees it: its output, its messages and its exit status.
#include "RouteFileFixtures.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/stat.h>

using namespace fixtures;

namespace {

// What `convert` makes of tests/data/two_routes.gpx named "Rhine 2": the first route with
// the given waypoint names and icons, the second route as it was converted.
QByteArray rhine(const QByteArray& names, const QByteArray& icons) {
    const QList<QByteArray> name = names.split(' '), icon = icons.split(' ');
    const char* const positions[] = {"50.100000,8.600000", "50.109000,8.610000",
                                     "50.120000,8.630000"};
    QByteArray bytes = header() + "R,1,Rhine 2,,\r\n";
    for (int i = 0; i < 3; ++i)
        bytes += "W,1,," + QByteArray::number(i + 1) + "," + name[i] + "," + positions[i] + ",," +
                 icon[i] + ",1,3,0,65535,,0,0\r\n";
    return bytes; // the file's second route is not part of the saved one
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    struct Run {
        int status;
        QByteArray out, err;
    };
    Run run(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(RV58_CLI), args);
        if (!p.waitForFinished(60000))
            qFatal("rv58route-cli did not finish");
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                p.readAllStandardOutput(), p.readAllStandardError()};
    }
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_dir;

private slots:
    void init() {
        QVERIFY(writeFile(path("in.rte"), routeFile(3, "\r\n", "Hills")));
        QVERIFY(writeFile(path("old.rte"), "old bytes"));
        QVERIFY(writeFile(path("-x.rte"), header() + routeLine("Dash") +
                                              waypointLine(1, "A\x1b[2J\x80\x81", "1.0", "2.0")));
        QVERIFY(writeFile(path("names.rte"), header() + routeLine("Names") +
                                                 waypointLine(1,
                                                              "Br\xfc"
                                                              "cke",
                                                              "1.0", "2.0") +
                                                 waypointLine(2, "PIER N", "1.0", "2.1") +
                                                 waypointLine(3, "Pier north", "1.0", "2.2")));
        QVERIFY(QFile::link(path("old.rte"), path("link.rte")));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path("null.rte")));
        QVERIFY(mkfifo(QFile::encodeName(path("fifo.rte")).constData(), 0600) == 0);
    }
    void cleanup() {
        for (const char* name : {"-x.rte", "link.rte", "null.rte", "fifo.rte", "out.rte"})
            QFile::remove(path(name));
    }

    void failsWithTheWindowsMessages_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("firstLine");
        QTest::addColumn<QString>("details"); // the second line, where it matters
        const QString in = path("in.rte");
        const QStringList convert = {"convert", in, "-o", path("old.rte")};
        QTest::newRow("no command")
            << QStringList{} << 2 << "rv58route-cli: no command given" << QString();
        QTest::newRow("unknown option") << QStringList{"show", in, "--colour"} << 2
                                        << "rv58route-cli: unknown option '--colour'" << QString();
        QTest::newRow("bad unit") << QStringList{"show", in, "--unit", "yard"} << 2
                                  << "rv58route-cli: --unit takes km or mile" << QString();
        QTest::newRow("convert without output")
            << QStringList{"convert", in} << 2 << "rv58route-cli: convert needs -o OUT.rte"
            << QString();
        QTest::newRow("icon beyond the list")
            << convert + QStringList{"--icon", "45"} << 2
            << "rv58route-cli: --icon takes a whole number from 0 to 44" << QString();
        QTest::newRow("row without a waypoint")
            << convert + QStringList{"--row", "9"} << 2 << "rv58route-cli: row 9 holds no waypoint"
            << QString();
        QTest::newRow("unknown type")
            << QStringList{"show", path("x.txt")} << 1 << "Unknow file type error." << QString();
        QTest::newRow("route name character") << convert + QStringList{"--route-name", "A-B"} << 1
                                              << "Input Char Error (Route Name)!" << QString();
        QTest::newRow("waypoint name length") << convert + QStringList{"--name", "TOOLONG"} << 1
                                              << "Input Length Error (Name)!" << QString();
        QTest::newRow("unwritable output")
            << QStringList{"convert", in, "-o", path("no/such/dir/out.rte")} << 1
            << "RTE file write error." << QString();
        for (const char* target : {"fifo.rte", "null.rte"})
            QTest::newRow(target) << QStringList{"convert", in, "-o", path(target)} << 1
                                  << "RTE file write error."
                                  << path(target) + " is not a regular file.";
        QTest::newRow("directory") << QStringList{"convert", in, "-o", m_dir.path()} << 1
                                   << "RTE file write error." << m_dir.path() + " is a directory.";
        const QString twoRoutes = QStringLiteral(RV58_TEST_DATA "/two_routes.gpx");
        QTest::newRow("route beyond the list")
            << QStringList{"show", twoRoutes, "--route", "3"} << 2
            << "rv58route-cli: --route 3: the file holds 2 route(s); --routes lists them"
            << QString();
        QTest::newRow("route 0") << QStringList{"show", twoRoutes, "--route", "0"} << 2
                                 << "rv58route-cli: --route takes a whole number from 1"
                                 << QString();
        QTest::newRow("long route without --fit")
            << QStringList{"show", RV58_TEST_DATA "/long_125.gpx"} << 1
            << "Route File Format Error!"
            << "The route has 125 waypoints, more than the 124 the device holds.";
        QTest::newRow("option of the other command")
            << QStringList{"show", in, "-o", path("out.rte")} << 2
            << "rv58route-cli: unknown option '-o'" << QString();
    }

    void failsWithTheWindowsMessages() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, firstLine);
        QFETCH(QString, details);
        const Run r = run(args);
        QCOMPARE(r.status, status);
        QCOMPARE(QString::fromUtf8(r.err).section(QLatin1Char('\n'), 0, 0), firstLine);
        if (!details.isEmpty())
            QCOMPARE(QString::fromUtf8(r.err).section(QLatin1Char('\n'), 1, 1), details);
        if (status == 2) { // a usage error goes on with the usage lines that --help begins with
            const Run help = run({QStringLiteral("--help")});
            QCOMPARE(help.status, 0);
            const QByteArray usage = r.err.mid(r.err.indexOf('\n') + 1);
            QVERIFY(usage.startsWith("Usage: rv58route-cli show ROUTE.gpx|ROUTE.rte"));
            QVERIFY(help.out.startsWith(usage + '\n'));
        }
        QVERIFY(r.out.isEmpty());
        QCOMPARE(readFile(path("old.rte")), QByteArray("old bytes")); // never half-written
        QVERIFY(QFileInfo(path("fifo.rte")).isFile() == false &&
                QFileInfo::exists(path("fifo.rte")));
        QCOMPARE(QFileInfo(path("null.rte")).symLinkTarget(), QStringLiteral("/dev/null"));
    }

    // The cells exactly as the window's table holds them, for a person and for a program.
    void shows_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("table in km")
            << QStringList{"show", path("in.rte"), "--unit", "km"}
            << QByteArray(
                   "Route Name  Hills\nTotal Points 3\nTotal Dist. 0.26km\n\n"
                   "NO  WPT Name  Latitude   Longitude  Date         Icon  Leg Dist.  "
                   "Total Dist.\n"
                   "1   WP1       48.000000  11.000000  40000.00000  3\n"
                   "2   WP2       48.001000  11.001000  40000.00000  3     0.13       0.13\n"
                   "3   WP3       48.002000  11.002000  40000.00000  3     0.13       0.26\n");
        QTest::newRow("json in miles")
            << QStringList{"show", path("in.rte"), "--json"}
            << QByteArray(R"({"route_length":"0.16miles","route_name":"Hills","unit":"mile",)"
                          R"("waypoint_count":3,"waypoints":[{"date":"40000.00000","icon":"3",)"
                          R"("lat":"48.000000","leg":"","lon":"11.000000","name":"WP1","no":"1",)"
                          R"("total":""},{"date":"40000.00000","icon":"3","lat":"48.001000",)"
                          R"("leg":"0.08","lon":"11.001000","name":"WP2","no":"2","total":"0.08"},)"
                          R"({"date":"40000.00000","icon":"3","lat":"48.002000","leg":"0.08",)"
                          R"("lon":"11.002000","name":"WP3","no":"3","total":"0.16"}]})"
                          "\n");
        QTest::newRow("version") << QStringList{"--version"} << QByteArray("rv58route-cli 0.5\n");
        // Cells as Windows-1252, control characters as escapes; "--" before a dashed name.
        QTest::newRow("escapes")
            << QStringList{"show", "--unit", "km", "--", path("-x.rte")}
            << QByteArray("Route Name  Dash\nTotal Points 1\nTotal Dist. 0.00km\n\n"
                          "NO  WPT Name       Latitude  Longitude  Date         Icon  "
                          "Leg Dist.  Total Dist.\n"
                          "1   A\\x1b[2J\xe2\x82\xac\\x81  1.0       2.0        40000.00000  3\n");
        QTest::newRow("json keeps control characters escaped as JSON does")
            << QStringList{"show", "--json", "--", path("-x.rte")}
            << QByteArray("{\"route_length\":\"0.00miles\",\"route_name\":\"Dash\",\"unit\":"
                          "\"mile\",\"waypoint_count\":1,\"waypoints\":[{\"date\":\"40000.00000\","
                          "\"icon\":\"3\",\"lat\":\"1.0\",\"leg\":\"\",\"lon\":\"2.0\",\"name\":"
                          "\"A\\u001b[2J\xe2\x82\xac\xc2\x81\",\"no\":\"1\",\"total\":\"\"}]}\n");
        const QString mixed = QStringLiteral(RV58_TEST_DATA "/mixed.gpx");
        QTest::newRow("routes, then tracks") << QStringList{"show", mixed, "--routes"}
                                             << QByteArray("NO  Name      Points  Kind\n"
                                                           "1   Alp tour  2       route\n"
                                                           "2   Walked    2       track\n");
        QTest::newRow("routes as JSON")
            << QStringList{"show", "--routes", "--json", mixed}
            << QByteArray("{\"routes\":[{\"kind\":\"route\",\"name\":\"Alp tour\",\"number\":1,"
                          "\"points\":2},{\"kind\":\"track\",\"name\":\"Walked\",\"number\":2,"
                          "\"points\":2}]}\n");
        QTest::newRow("device file to standard output")
            << QStringList{"convert", path("in.rte"), "-o", "-"} << routeFile(3, "\r\n", "Hills");
    }

    void shows() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        const Run r = run(args);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, out);
    }

    void converts_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        QTest::addColumn<QByteArray>("warning"); // on standard error
        QTest::newRow("route file, no edits, byte for byte")
            << path("in.rte") << QStringList{} << routeFile(3, "\r\n", "Hills") << QByteArray();
        const QString gpx = QStringLiteral(RV58_TEST_DATA "/two_routes.gpx");
        const QStringList name = {"--route-name", " Rhine 2 "};
        QTest::newRow("load and save")
            << gpx << name << rhine("GRT001 MILL WEIR", "0 0 0") << QByteArray();
        QTest::newRow("one waypoint")
            << gpx << name + QStringList{"--row", "2", "--name", " BRIDGE", "--icon", "12"}
            << rhine("GRT001 BRIDGE WEIR", "0 12 0") << QByteArray();
        QTest::newRow("both macros, empty name")
            << gpx
            << name + QStringList{"--name", "", "--name-macro", "--icon", "44", "--icon-macro"}
            << rhine("START TURN01 FINISH", "44 44 44") << QByteArray();
        QTest::newRow("the second route alone")
            << gpx << QStringList{"--route", "2"}
            << header() + "R,2,Back,,\r\n"
                          "W,2,,1,A,51.000000,9.000000,,0,1,3,0,65535,,0,0\r\n"
                          "W,2,,2,B,51.100000,9.100000,,0,1,3,0,65535,,0,0\r\n"
            << QByteArray();
        QTest::newRow("names the device does not take, saved with a warning")
            << path("names.rte") << QStringList{}
            << header() + routeLine("Names") +
                   waypointLine(1,
                                "Br\xfc"
                                "cke",
                                "1.0", "2.0") +
                   waypointLine(2, "PIER N", "1.0", "2.1") +
                   waypointLine(3, "Pier north", "1.0", "2.2")
            << QByteArray("2 waypoint names do not fit the device (at most 6 characters of blank, "
                          "0-9, A-Z, a-z): Br\xc3\xbc"
                          "cke, Pier north. The Waypoint Name Change "
                          "Macro renames them all.\n");
    }

    // Ctrl+C or SIGTERM during a conversion ends the converter and leaves no folder behind.
    void interruptEndsTheConversion_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status");
        QTest::newRow("Ctrl+C") << int(SIGINT) << 130;
        QTest::newRow("SIGTERM") << int(SIGTERM) << 143;
    }

    void interruptEndsTheConversion() {
        QFETCH(int, signal);
        QFETCH(int, status);
        QTemporaryDir bin, temp;
        const QString started = bin.filePath(QStringLiteral("pid"));
        const QString converter = bin.filePath(QStringLiteral("gpsbabel"));
        QVERIFY(writeFile(converter, "#!/bin/sh\necho $$ > '" + QFile::encodeName(started) +
                                         "'\nexec sleep 30\n"));
        QVERIFY(QFile::setPermissions(converter, QFile::ReadOwner | QFile::ExeOwner));
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), bin.path() + QLatin1Char(':') + env.value("PATH"));
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(RV58_CLI), {"show", RV58_TEST_DATA "/mixed.gpx"});
        QTRY_VERIFY_WITH_TIMEOUT(readFile(started).endsWith('\n'), 10000);
        QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), status);
        QCOMPARE(::kill(pid_t(readFile(started).trimmed().toLongLong()), 0), -1);
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }

    // Each result replaces an existing file whole, through a link to it.
    void converts() {
        QFETCH(QString, input);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, expected);
        QFETCH(QByteArray, warning);
        const Run r = run(QStringList{"convert", input, "-o", path("link.rte")} + options);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, warning);
        QCOMPARE(readFile(path("old.rte")), expected);
        QVERIFY(QFileInfo(path("link.rte")).isSymLink());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
