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
QByteArray hills(const QByteArray& route, const QByteArray& names, const QByteArray& icons) {
    const QList<QByteArray> name = names.split(' '), icon = icons.split(' ');
    QByteArray bytes = header() + routeLine(route);
    for (int i = 0; i < 3; ++i)
        bytes += waypointLine(i + 1, name[i], "48.00" + QByteArray::number(i) + "000",
                              "11.00" + QByteArray::number(i) + "000", icon[i]);
    return bytes;
}

// Standard error, standard output and exit status of one run.
QList<QByteArray> run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(RV58_CLI), args);
    p.waitForFinished(60000);
    return {p.readAllStandardError(), p.readAllStandardOutput(), QByteArray::number(p.exitCode())};
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    // A row: the arguments, then standard error, standard output and exit status, and what
    // old.rte holds afterwards.
    void add(const char* name, const QStringList& args, const char* status, const QByteArray& out,
             QByteArray err = "", const QByteArray& saved = "old bytes") const {
        // A usage error goes on with the usage lines that --help begins with.
        if (*status == '2')
            err = "rv58route-cli: " + err + '\n' + m_usage;
        QTest::newRow(name) << args << QList<QByteArray>{err, out, status, saved};
    }

    QTemporaryDir m_dir;
    QByteArray m_usage;

private slots:
    void initTestCase() {
        // A first name of control and Windows-1252 bytes.
        const QByteArray hills = ::hills("Hills", "A\x1b[2J\x80\x81 WP2 WP3", "3 3 3");
        QVERIFY(writeFile(path("in.rte"), hills) && writeFile(path("-x.rte"), hills));
        const QByteArray help = run({QStringLiteral("--help")}).at(1);
        m_usage = help.left(help.indexOf("\n\n") + 1);
        QVERIFY(m_usage.startsWith("Usage: rv58route-cli show ROUTE.gpx|ROUTE.rte"));
        // A link to a fifo, not to a device: were the check broken, a save through a link
        // to /dev/null by root would put a regular file in place of /dev/null itself.
        QVERIFY(mkfifo(QFile::encodeName(path("fifo.rte")).constData(), 0600) == 0 &&
                QFile::link(path("fifo.rte"), path("fifolink.rte")) &&
                QFile::link(path("old.rte"), path("link.rte")));
    }
    // The output goes through link.rte to old.rte.
    void init() { QVERIFY(writeFile(path("old.rte"), "old bytes")); }

    void runs_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QList<QByteArray>>("result");
        const QString in = path("in.rte"), two = RV58_TEST_DATA "/two_routes.gpx";
        // Names the device does not take are saved as they are, with a warning.
        const QByteArray warning = "1 waypoint name does not fit the device (at most 6 "
                                   "characters of blank, 0-9, A-Z, a-z): A\x1b[2J\xe2\x82\xac"
                                   "\xc2\x81. The Waypoint Name Change Macro renames them all.\n";
        // Cells as the window's table holds them: Windows-1252 shown as such, control
        // characters as escapes.
        add("table in km, a dashed name", {"show", "--unit", "km", "--", path("-x.rte")}, "0",
            "Route Name  Hills\nTotal Points 3\nTotal Dist. 0.26km\n\n"
            "NO  WPT Name       Latitude   Longitude  Date         Icon  Leg Dist.  Total Dist.\n"
            "1   A\\x1b[2J\xe2\x82\xac\\x81  48.000000  11.000000  40000.00000  3\n"
            "2   WP2            48.001000  11.001000  40000.00000  3     0.13       0.13\n"
            "3   WP3            48.002000  11.002000  40000.00000  3     0.13       0.26\n");
        add("second route as JSON, in miles", {"show", two, "--route", "2", "--json"}, "0",
            R"({"route_length":"8.17miles","route_name":"Back","unit":"mile","waypoint_count":2,)"
            R"("waypoints":[{"date":"","icon":"0","lat":"51.000000","leg":"","lon":"9.000000",)"
            R"("name":"A","no":"1","total":""},{"date":"","icon":"0","lat":"51.100000","leg":)"
            R"("8.17","lon":"9.100000","name":"B","no":"2","total":"8.17"}]})"
            "\n");
        add("one waypoint edited, to standard output",
            {"convert", in, "-o", "-", "--route-name", " Rhine 2 ", "--row", "2", "--name",
             " BRIDGE", "--icon", "12"},
            "0", hills("Rhine 2", "A\x1b[2J\x80\x81 BRIDGE WP3", "3 12 3"), warning);
        add("both macros, empty name, through the link",
            {"convert", in, "-o", path("link.rte"), "--name", "", "--name-macro", "--icon", "44",
             "--icon-macro"},
            "0", "", "", hills("Hills", "START TURN01 FINISH", "44 44 44"));

        add("unknown option", {"show", in, "--colour"}, "2", "", "unknown option '--colour'");
        add("convert without output", {"convert", in}, "2", "", "convert needs -o OUT.rte");
        add("route beyond the list", {"show", two, "--route", "3"}, "2", "",
            "--route 3: the file holds 2 route(s); --routes lists them");

        add("long route without --fit", {"show", RV58_TEST_DATA "/long_125.gpx"}, "1", "",
            "Route File Format Error!\nThe route has 125 points; the device holds 124.\n"
            "--fit reduces it to 124 points along its shape.\n");
        for (const QString& target : {path("fifo.rte"), path("fifolink.rte"), m_dir.path()})
            add(qPrintable(target), {"convert", in, "-o", target}, "1", "",
                warning + "RTE file write error.\n" + QFile::encodeName(target) +
                    (target == m_dir.path() ? " is a directory.\n" : " is not a regular file.\n"));
    }
    void runs() {
        QFETCH(QStringList, args);
        QFETCH(QList<QByteArray>, result);
        // A result replaces the file behind the link whole; a refused one leaves every
        // target as it was.
        QCOMPARE(run(args) << readFile(path("old.rte")), result);
        QVERIFY(QFileInfo(path("link.rte")).isSymLink());
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
