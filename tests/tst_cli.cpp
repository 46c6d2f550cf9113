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

QString data(const char* name) {
    return QStringLiteral(RV58_TEST_DATA "/") + QString::fromLatin1(name);
}

// A three-waypoint route north-east from 48 N 11 E with these waypoint names and icons.
QByteArray hills(const QByteArray& route, const QByteArray& names, const QByteArray& icons) {
    const QList<QByteArray> name = names.split(' '), icon = icons.split(' ');
    QByteArray bytes = header() + routeLine(route);
    for (int i = 0; i < 3; ++i)
        bytes += waypointLine(i + 1, name[i], QByteArray::number(48 + i * 0.001, 'f', 6),
                              QByteArray::number(11 + i * 0.001, 'f', 6), icon[i]);
    return bytes;
}

QByteArray json(QByteArray text) {
    return text.replace('\'', '"') + '\n';
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
    static void add(const char* name, const QStringList& args, int status, const QByteArray& out,
                    const QByteArray& err, const QByteArray& saved = "old bytes") {
        QTest::newRow(name) << args << status << out << err << saved;
    }
    // A usage error goes on with the usage lines that --help begins with.
    void usage(const char* name, const QStringList& args, const QByteArray& message) {
        add(name, args, 2, "", "rv58route-cli: " + message + '\n' + m_usage);
    }

    QTemporaryDir m_dir;
    QByteArray m_hills; // in.rte and -x.rte: a first name of control and Windows-1252 bytes
    QByteArray m_usage;

private slots:
    void initTestCase() {
        m_hills = hills("Hills", "A\x1b[2J\x80\x81 WP2 WP3", "3 3 3");
        QVERIFY(writeFile(path("in.rte"), m_hills) && writeFile(path("-x.rte"), m_hills));
        const QByteArray help = run({QStringLiteral("--help")}).out;
        m_usage = help.left(help.indexOf("\n\n") + 1);
        QVERIFY(m_usage.startsWith("Usage: rv58route-cli show ROUTE.gpx|ROUTE.rte"));
    }
    // The output goes through link.rte to old.rte; the fifo and /dev/null are refused.
    void init() {
        for (const char* name : {"old.rte", "link.rte", "null.rte", "fifo.rte"})
            QFile::remove(path(name));
        QVERIFY(writeFile(path("old.rte"), "old bytes"));
        QVERIFY(QFile::link(path("old.rte"), path("link.rte")));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), path("null.rte")));
        QVERIFY(mkfifo(QFile::encodeName(path("fifo.rte")).constData(), 0600) == 0);
    }

    void runs_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QByteArray>("saved"); // old.rte afterwards
        const QString in = path("in.rte"), two = data("two_routes.gpx");
        const QStringList convert = {"convert", in, "-o", path("link.rte")};
        // Names the device does not take are saved as they are, with a warning.
        const QByteArray warning =
            "1 waypoint name does not fit the device (at most 6 characters of blank, 0-9, A-Z, "
            "a-z): A\x1b[2J\xe2\x82\xac\xc2\x81. The Waypoint Name Change Macro renames them "
            "all.\n";
        // Cells as the window's table holds them: Windows-1252 shown as such, control
        // characters as escapes.
        add("table in km, a dashed name after --", {"show", "--unit", "km", "--", path("-x.rte")},
            0,
            "Route Name  Hills\nTotal Points 3\nTotal Dist. 0.26km\n\n"
            "NO  WPT Name       Latitude   Longitude  Date         Icon  Leg Dist.  Total Dist.\n"
            "1   A\\x1b[2J\xe2\x82\xac\\x81  48.000000  11.000000  40000.00000  3\n"
            "2   WP2            48.001000  11.001000  40000.00000  3     0.13       0.13\n"
            "3   WP3            48.002000  11.002000  40000.00000  3     0.13       0.26\n",
            "");
        add("second route as JSON, in miles", {"show", two, "--route", "2", "--json"}, 0,
            json("{'route_length':'8.17miles','route_name':'Back','unit':'mile','waypoint_count':"
                 "2,'waypoints':[{'date':'','icon':'0','lat':'51.000000','leg':'','lon':'9.000000',"
                 "'name':'A','no':'1','total':''},{'date':'','icon':'0','lat':'51.100000','leg':"
                 "'8.17','lon':'9.100000','name':'B','no':'2','total':'8.17'}]}"),
            "");
        add("routes, then tracks", {"show", "--routes", "--json", data("mixed.gpx")}, 0,
            json("{'routes':[{'kind':'route','name':'Alp tour','number':1,'points':2},"
                 "{'kind':'track','name':'Walked','number':2,'points':2}]}"),
            "");
        add("byte for byte to standard output", {"convert", in, "-o", "-"}, 0, m_hills, warning);
        add("one waypoint edited",
            convert + QStringList{"--route-name", " Rhine 2 ", "--row", "2", "--name", " BRIDGE",
                                  "--icon", "12"},
            0, "", warning, hills("Rhine 2", "A\x1b[2J\x80\x81 BRIDGE WP3", "3 12 3"));
        add("both macros, empty name",
            convert + QStringList{"--name", "", "--name-macro", "--icon", "44", "--icon-macro"}, 0,
            "", "", hills("Hills", "START TURN01 FINISH", "44 44 44"));

        usage("no command", {}, "no command given");
        usage("unknown option", {"show", in, "--colour"}, "unknown option '--colour'");
        usage("option of the other command", {"show", in, "-o", in}, "unknown option '-o'");
        usage("bad unit", {"show", in, "--unit", "yard"}, "--unit takes km or mile");
        usage("convert without output", {"convert", in}, "convert needs -o OUT.rte");
        usage("icon beyond the list", convert + QStringList{"--icon", "45"},
              "--icon takes a whole number from 0 to 44");
        usage("row without a waypoint", convert + QStringList{"--row", "4"},
              "row 4 holds no waypoint");
        usage("route beyond the list", {"show", two, "--route", "3"},
              "--route 3: the file holds 2 route(s); --routes lists them");
        usage("route 0", {"show", two, "--route", "0"}, "--route takes a whole number from 1");

        add("unknown type", {"show", path("x.txt")}, 1, "", "Unknow file type error.\n");
        add("route name character", convert + QStringList{"--route-name", "A-B"}, 1, "",
            "Input Char Error (Route Name)!\n");
        add("waypoint name length", convert + QStringList{"--name", "TOOLONG"}, 1, "",
            "Input Length Error (Name)!\n");
        add("long route without --fit", {"show", data("long_125.gpx")}, 1, "",
            "Route File Format Error!\nThe route has 125 waypoints, more than the 124 the device "
            "holds.\n--fit reduces it to 124 points along its shape.\n");
        add("no such folder", {"convert", in, "-o", path("no/dir/out.rte")}, 1, "",
            warning + "RTE file write error.\nNo such file or directory\n");
        for (const QString& target : {path("fifo.rte"), path("null.rte"), m_dir.path()})
            add(qPrintable(target), {"convert", in, "-o", target}, 1, "",
                warning + "RTE file write error.\n" + QFile::encodeName(target) +
                    (target == m_dir.path() ? " is a directory.\n" : " is not a regular file.\n"));
    }
    void runs() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(QByteArray, saved);
        const Run r = run(args);
        QCOMPARE(r.err, err);
        QCOMPARE(r.out, out);
        QCOMPARE(r.status, status);
        // A result replaces the file behind the link whole; a refused one leaves every
        // target as it was.
        QCOMPARE(readFile(path("old.rte")), saved);
        QVERIFY(QFileInfo(path("link.rte")).isSymLink());
        QVERIFY(QFileInfo::exists(path("fifo.rte")) && !QFileInfo(path("fifo.rte")).isFile());
        QCOMPARE(QFileInfo(path("null.rte")).symLinkTarget(), QStringLiteral("/dev/null"));
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
        cli.start(QStringLiteral(RV58_CLI), {"show", data("mixed.gpx")});
        QTRY_VERIFY_WITH_TIMEOUT(readFile(started).endsWith('\n'), 10000);
        QCOMPARE(::kill(pid_t(cli.processId()), signal), 0);
        QVERIFY(cli.waitForFinished(10000));
        QCOMPARE(cli.exitCode(), status);
        QCOMPARE(::kill(pid_t(readFile(started).trimmed().toLongLong()), 0), -1);
        QCOMPARE(QDir(temp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
