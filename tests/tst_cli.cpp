// SPDX-License-Identifier: GPL-3.0-or-later
// rv58route-cli as a script sees it: its output, its messages and its exit status.
#include "RouteFileFixtures.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>
#include <sys/stat.h>

using namespace fixtures;

namespace {

// A three-waypoint route north-east from 48 N 11 E with these waypoint names and icons.
QByteArray hills(const QByteArray& route, const QByteArray& names = "WP1 WP2 WP3",
                 const QByteArray& icons = "3 3 3") {
    const QList<QByteArray> name = names.split(' '), icon = icons.split(' ');
    QByteArray bytes = header() + routeLine(route);
    for (int i = 0; i < 3; ++i)
        bytes += waypointLine(i + 1, name[i], "48.00" + QByteArray::number(i) + "000",
                              "11.00" + QByteArray::number(i) + "000", icon[i]);
    return bytes;
}

// Standard error, standard output and exit status of a bash command run in `dir`, whose
// bin/ holds the program as rv58route-cli.
QList<QByteArray> run(const QString& command, const QString& dir) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PATH"), dir + QStringLiteral("/bin:") + env.value("PATH"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir);
    p.start(QStringLiteral("bash"), {QStringLiteral("-c"), command});
    p.waitForFinished(60000);
    return {p.readAllStandardError(), p.readAllStandardOutput(), QByteArray::number(p.exitCode())};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // A row: the command, then standard error, standard output and exit status, and what
    // old.rte holds afterwards.
    void add(const char* name, const QString& command, const char* status, const QByteArray& out,
             QByteArray err = "", const QByteArray& saved = {}) const {
        // A usage error goes on with the usage lines that --help begins with.
        if (*status == '2')
            err = "rv58route-cli: " + err + '\n' + m_usage;
        QTest::newRow(name) << command
                            << QList<QByteArray>{err, out, status, saved.isNull() ? m_old : saved};
    }

    QTemporaryDir m_dir;
    QByteArray m_usage;
    // Two routes, the first with three waypoints, the second with one.
    const QByteArray m_route2 = routeLine("Two") + waypointLine(1, "B1", "49.000000", "12.000000");
    const QByteArray m_old = hills("One") + m_route2;

private slots:
    void initTestCase() {
        // A first name of control and Windows-1252 bytes.
        const QByteArray hills = ::hills("Hills", "A\x1b[2J\x80\x81\x9d WP2 WP3", "3 3 3");
        const QList<std::pair<const char*, QByteArray>> files{
            {"in.rte", hills},
            {"-x.rte", hills},
            {"narva.rte", ::hills("NARVA-Leipzig")},
            {"trip.rte", ::hills("Trip to Schoe")},
            {"icon53.rte", ::hills("Hills", "WP1 WP2 WP3", "53 %1 -1")},
            {"empty.rte", header() + routeLine("E")},
            {"header.rte", header()},
            {"norline.rte", header() + waypointLine(1, "WP1", "48.0", "11.0")},
            {"control.rte", routeFile(0) + waypointLine(1, "WP1", "4\x1b[2J8", "11.0")},
            {"digits.rte", routeFile(0) + waypointLine(1, "W", QByteArray(5000, '1'), "0")},
            // Blanks, a plus sign, leading zeros, a date of the day and one of noon as the
            // last field, icons with blanks and as a last field, none at all.
            {"dated.rte", header() + routeLine("Dated") +
                              "W,  1,  1,  1,A, -34.445850, +018.5,46145.2916782,  53, 1\r\n"
                              "W,  1,  2,  2,B,-034.44,18.51,,8\r\n"
                              "W,  1,  3,  3,C \"\\\x1b,.5,18.52,40000.5\r\n"}};
        for (const auto& [name, bytes] : files)
            QVERIFY(writeFile(path(name), bytes));
        QVERIFY(QDir(m_dir.path()).mkdir("bin") &&
                QFile::link(RV58_CLI, path("bin/rv58route-cli")));
        for (const char* data :
             {"two_routes.gpx", "long_125.gpx", "mixed.gpx", "timed.gpx", "timed.rte"})
            QVERIFY(QFile::link(RV58_TEST_DATA "/" + QString::fromLatin1(data), path(data)));
        // The file a non-UTF-8 name asks for, and the one its replaced bytes would name.
        QCOMPARE(
            run("cp in.rte $'x\\xff.rte' && cp in.rte $'x\\xef\\xbf\\xbd.rte'", m_dir.path())[2],
            "0");
        const QByteArray help = run("rv58route-cli --help", m_dir.path()).at(1);
        m_usage = help.left(help.indexOf("\n\n") + 1);
        QVERIFY(m_usage.startsWith("Usage: rv58route-cli show ROUTE.gpx|ROUTE.rte"));
        // A link to a fifo, not to a device: were the check broken, a save through a link
        // to /dev/null by root would put a regular file in place of /dev/null itself.
        QVERIFY(mkfifo(QFile::encodeName(path("fifo.rte")).constData(), 0600) == 0 &&
                QFile::link(path("fifo.rte"), path("fifolink.rte")) &&
                QFile::link(path("old.rte"), path("link.rte")));
    }
    // Names Qt cannot spell are removed by name, as they were made.
    void cleanupTestCase() {
        QCOMPARE(run("rm $'x\\xff.rte' $'x\\xef\\xbf\\xbd.rte'", m_dir.path())[2], "0");
    }
    // The output goes through link.rte to old.rte, which holds two routes.
    void init() { QVERIFY(writeFile(path("old.rte"), m_old)); }

    void runs_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QList<QByteArray>>("result");
        // Names the device does not take are saved as they are, with a warning.
        const QByteArray warning = "1 waypoint name does not fit the device (at most 6 "
                                   "characters of blank, 0-9, A-Z, a-z): A\\x1b[2J\xe2\x82\xac"
                                   "\\x81\\x9d. --name-macro renames them all.\n";
        const QByteArray nameRule = "Give one with --route-name NAME (1 to 12 characters of "
                                    "blank, 0-9, A-Z, a-z).\n";
        // Cells as the window's table holds them: Windows-1252 shown as such, control
        // characters as escapes.
        add("table in km, a dashed name", "rv58route-cli show --unit km -- -x.rte", "0",
            "Route Name  Hills\nTotal Points 3\nTotal Dist. 0.26km\n\n"
            "NO  WPT Name           Latitude   Longitude  Date         Icon  Leg Dist.  Total "
            "Dist.\n"
            "1   A\\x1b[2J\xe2\x82\xac\\x81\\x9d  48.000000  11.000000  40000.00000  3\n"
            "2   WP2                48.001000  11.001000  40000.00000  3     0.13       0.13\n"
            "3   WP3                48.002000  11.002000  40000.00000  3     0.13       0.26\n");
        add("JSON of the file's own text", "rv58route-cli show dated.rte --json --unit km", "0",
            R"({"format":1,"route_name":"Dated","unit":"km","route_length":3871.88,)"
            R"("waypoint_count":3,"waypoints":[{"no":1,"name":"A","lat":-34.445850,"lon":18.5,)"
            R"("date":"2026-05-03T07:00:01Z","icon":53,"leg":null,"total":0},{"no":2,)"
            R"("name":"B","lat":-34.44,"lon":18.51,"date":null,"icon":8,"leg":1.12,)"
            R"("total":1.12},{"no":3,"name":)"
            "\"C \\\"\\\\\\u001b\"" // C, a blank, a quote, a backslash, ESC
            R"(,"lat":0.5,"lon":18.52,)"
            R"("date":"2009-07-06T12:00:00Z","icon":null,"leg":3870.76,"total":3871.88}]})"
            "\n");
        add("one waypoint edited, to standard output",
            "rv58route-cli convert in.rte -o - --route-name ' Rhine 2 ' --row 2 --name ' BRIDGE' "
            "--icon 0",
            "0", ::hills("Rhine 2", "A\x1b[2J\x80\x81\x9d BRIDGE WP3", "3 0 3"), warning);
        add("both macros, empty name, through the link",
            "rv58route-cli convert in.rte -o link.rte --name '' --name-macro --icon 44 "
            "--icon-macro",
            "0", "", "", ::hills("Hills", "START TURN01 FINISH", "44 44 44"));
        add("version", "rv58route-cli --version", "0", "rv58route-cli " RV58_VERSION "\n");

        add("unknown option", "rv58route-cli show in.rte --colour", "2", "",
            "unknown option '--colour'");
        add("icon beyond the device's", "rv58route-cli convert in.rte -o - --icon 45", "2", "",
            "--icon takes a whole number from 0 to 44");
        add("list in a unit", "rv58route-cli show two_routes.gpx --routes --unit km", "2", "",
            "--routes lists the routes; it takes no --route, --fit or --unit");
        add("icon not a number", "rv58route-cli convert in.rte -o - --icon x", "2", "",
            "--icon takes a whole number from 0 to 44");
        add("route beyond the list", "rv58route-cli show two_routes.gpx --route 3", "2", "",
            "--route 3: the file holds 2 route(s); --routes lists them");
        add("no route line for --route-name",
            "rv58route-cli convert norline.rte -o link.rte "
            "--route-name X",
            "2", "",
            "--route-name: route 1 of norline.rte has no route line "
            "(R) to put a name into; leave --route-name out");
        add("non-UTF-8 input name", "rv58route-cli show $'x\\xff.rte'", "2", "",
            "x\\xff.rte is not valid UTF-8: rv58route-cli reads and writes files only under "
            "UTF-8 names; rename the file");
        // The bytes that are UTF-8 (a Devanagari letter, an emoji) are shown as characters.
        add("non-UTF-8 output name", "rv58route-cli convert in.rte -o $'y\\xff\\u0905\\U0001F600'",
            "2", "",
            "y\\xff\xe0\xa4\x85\xf0\x9f\x98\x80 is not valid UTF-8: rv58route-cli reads and "
            "writes files only under UTF-8 names; rename the file");

        add("long route without --fit", "rv58route-cli show long_125.gpx", "1", "",
            "Route File Format Error!\nThe route has 125 points; the device holds 124.\n"
            "--fit reduces it to 124 points along its shape.\n");
        add("unknown file type", "rv58route-cli show in.txt", "1", "",
            "Unknow file type error.\nin.txt is neither a GPX file (.gpx) nor a route file "
            "(.rte).\nrv58route-cli takes GPX files (.gpx) and OziExplorer route files (.rte).\n");
        add("converter not on PATH", "PATH=bin rv58route-cli show two_routes.gpx", "1", "",
            "GPX-RTE conversion failed, rte file not found.\ngpsbabel could not be started: "
            "execvp: No such file or directory\nInstall GPSBabel (the gpsbabel package) or put "
            "it on PATH.\n");
        add("route name the device does not take", "rv58route-cli convert narva.rte -o link.rte",
            "1", "",
            "Input Char Error (Route Name)!\nThe route name \"NARVA-Leipzig\" holds "
            "\"-\", which the device does not take.\n" +
                nameRule);
        add("that route, named", "rv58route-cli convert narva.rte -o link.rte --route-name Narva",
            "0", "", "", ::hills("Narva"));
        add("route name of 13 characters", "rv58route-cli convert trip.rte -o link.rte", "0", "",
            "The route name \"Trip to Schoe\" is cut to the device's 12 characters: \"Trip to "
            "Scho\".\n" +
                nameRule,
            ::hills("Trip to Scho"));
        add("route without waypoints", "rv58route-cli convert empty.rte -o link.rte", "1", "",
            "Route File Format Error!\nRoute 1 of empty.rte has no waypoints.\nChoose a route "
            "that has waypoints: show --routes lists them.\n");
        add("that route shown", "rv58route-cli show empty.rte", "0",
            "Route Name  E\nTotal Points 0\nTotal Dist. 0.00miles\n\nNO  WPT Name  Latitude  "
            "Longitude  Date  Icon  Leg Dist.  Total Dist.\n");
        add("file of a header only", "rv58route-cli convert header.rte --route-name E -o link.rte",
            "1", "",
            "Route File Format Error!\nheader.rte holds no route: no route line (R) and "
            "no waypoint line (W).\nChoose a route that has waypoints: show --routes lists "
            "them.\n");
        add("icon the device has not", "rv58route-cli convert icon53.rte -o link.rte", "0", "",
            "3 waypoint icons are not one of the device's (0 to 44): 53 in row 1, %1 in row "
            "2, -1 in row 3.\n--icon K --icon-macro gives every waypoint icon K.\n",
            ::hills("Hills", "WP1 WP2 WP3", "53 %1 -1"));
        add("input replaced", "rv58route-cli convert old.rte --route 2 -o link.rte", "1", "",
            "RTE file write error.\nlink.rte is the input file, which holds 2 routes; the file "
            "written holds route 2 alone.\nGive another -o file, or --replace-input to replace "
            "it all the same.\n");
        add("input replaced when asked",
            "rv58route-cli convert old.rte --route 2 -o link.rte --replace-input", "0", "", "",
            header() + m_route2);
        add("control characters in a field", "rv58route-cli show control.rte", "1", "",
            "Route File Format Error!\nWaypoint 1 has the latitude \"4\\x1b[2J8\", not a number "
            "from -90 to 90.\n");
        add("field of 5,000 digits", "rv58route-cli show digits.rte", "1", "",
            "Route File Format Error!\nWaypoint 1 has the latitude \"" + QByteArray(60, '1') +
                "\xe2\x80\xa6\", not a number from -90 to 90.\n");
        add("control characters in a file name", "rv58route-cli show $'a\\e[2J.rte'", "1", "",
            "RTE file error.\na\\x1b[2J.rte does not exist.\n");
        add("standard output on a full device", "rv58route-cli convert old.rte -o - >/dev/full",
            "1", "", "RTE file write error.\nNo space left on the device.\n");
        add("table on a full device", "rv58route-cli show old.rte >/dev/full", "1", "",
            "rv58route-cli: standard output cannot be written.\nNo space left on the device.\n");
        // Targets refused ahead of the save, and a save that fails with the system's reason.
        for (const auto& [target, why] :
             {std::pair("fifo.rte", " is not a regular file."),
              {"fifolink.rte", " is not a regular file."},
              {"bin", " is a directory."},
              {"none/x.rte", " could not be written: No such file or directory"}})
            add(target, QStringLiteral("rv58route-cli convert in.rte -o ") + target, "1", "",
                warning + "RTE file write error.\n" + target + why +
                    "\nGive -o another folder or file name.\n");
    }
    void runs() {
        QFETCH(QString, command);
        QFETCH(QList<QByteArray>, result);
        const QDir dir(m_dir.path(), {}, QDir::Name,
                       QDir::AllEntries | QDir::System | QDir::Hidden);
        const QStringList files = dir.entryList();
        // A result replaces the file behind the link whole; a refused one leaves every
        // target as it was, and no run leaves a file of another name.
        QCOMPARE(run(command, m_dir.path()) << readFile(path("old.rte")), result);
        QVERIFY(QFileInfo(path("link.rte")).isSymLink());
        QCOMPARE(dir.entryList(), files);
    }

    // What show --json prints for real files follows the schema in the repository, as a
    // JSON Schema validator reads it; the schema tells what scripts may not rely on.
    void jsonFollowsSchema_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("status"); // the validator's: 0 when the output follows
        QTest::newRow("route file of the converter") << "show timed.rte --json" << QByteArray("0");
        QTest::newRow("GPX track") << "show mixed.gpx --route 2 --json" << QByteArray("0");
        QTest::newRow("route list") << "show mixed.gpx --routes --json" << QByteArray("0");
        QTest::newRow("numbers as text") << "show mixed.gpx --routes --json | sed "
                                            "'s/\"points\":\\([0-9]*\\)/\"points\":\"\\1\"/'"
                                         << QByteArray("1");
        QTest::newRow("date as a day number")
            << "show timed.rte --json | sed 's/\"date\":\"[^\"]*\"/\"date\":46145.29/'"
            << QByteArray("1");
    }
    void jsonFollowsSchema() {
        QFETCH(QString, command);
        QFETCH(QByteArray, status);
        const QList<QByteArray> result =
            run("set -o pipefail; rv58route-cli " + command +
                    " | python3 -c 'import json, sys, jsonschema; jsonschema.validate("
                    "json.load(sys.stdin), json.load(open(sys.argv[1])))' " RV58_TEST_DATA
                    "/../../docs/show.schema.json",
                m_dir.path());
        QVERIFY2(result[2] == status, result[0].constData());
    }

    // Ctrl+C, SIGTERM or SIGHUP at any stage ends the converter and leaves no folder behind;
    // when the program is killed outright, its converter goes with it.
    void interruptEndsEveryStage_data() {
        QTest::addColumn<int>("signal");
        QTest::addColumn<int>("status"); // -1 for a kill
        QTest::addColumn<QByteArray>("converter");
        QTest::addColumn<bool>("fit");
        // Stand-ins for the converter that note their process id once they have come to
        // the stage; their last argument is the list of route names of a listing.
        const QByteArray started = "echo $$ > \"$0.pid\"";
        const QByteArray lists = "printf '\\r\\n' > \"$out\"; ";
        const QByteArray converting = started + "; exec sleep 30";
        // Megabytes of waypoints, so that the program is still reading them.
        const QByteArray written =
            "{ printf '" + header("\\r\\n") + routeLine("BIG", "\\r\\n") +
            "'; yes \"$(printf 'W,1,,1,A,47.100000,8.100000,,0,1,3,0,65535,,0,0\\r')\" | "
            "head -n 2000000; } > routes.rte; " +
            lists + started;
        const QByteArray fitting = "case \"$*\" in *simplify*) " + converting +
                                   ";; esac; printf '" + routeFile(130, "\\r\\n") +
                                   "' > routes.rte; " + lists;
        QTest::newRow("Ctrl+C, converting") << SIGINT << 130 << converting << false;
        QTest::newRow("SIGTERM, reading") << SIGTERM << 143 << written << false;
        QTest::newRow("SIGHUP, fitting") << SIGHUP << 129 << fitting << true;
        QTest::newRow("SIGKILL, converting") << SIGKILL << -1 << converting << false;
    }
    void interruptEndsEveryStage() {
        QFETCH(int, signal);
        QFETCH(int, status);
        QFETCH(QByteArray, converter);
        QFETCH(bool, fit);
        QTemporaryDir bin, temp;
        const QString program = bin.filePath("gpsbabel"), started = program + ".pid";
        QVERIFY(writeFile(program, "#!/bin/sh\nfor a; do out=\"$a\"; done\n" + converter));
        QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner));
        QProcess cli;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), bin.path() + QLatin1Char(':') + env.value("PATH"));
        env.insert(QStringLiteral("TMPDIR"), temp.path());
        cli.setProcessEnvironment(env);
        cli.start(QStringLiteral(RV58_CLI), QStringList{"show", RV58_TEST_DATA "/mixed.gpx"} +
                                                (fit ? QStringList{"--fit"} : QStringList{}));
        QTRY_VERIFY_WITH_TIMEOUT(readFile(started).endsWith('\n'), 10000);
        QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitStatus() == QProcess::CrashExit ? -1 : cli.exitCode(), status);
        const pid_t child = pid_t(readFile(started).trimmed().toLongLong());
        QTRY_COMPARE(::kill(child, 0), -1);
        QCOMPARE(QDir(temp.path()).isEmpty(), status != -1);
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
