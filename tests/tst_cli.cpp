// rv58route-cli as a script sees it: its output, its messages and its exit status.
#include "RouteFileFixtures.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void failsWithTheWindowsMessages_data();
    void failsWithTheWindowsMessages();
    void showsTheTable();
    void showsJson();
    void convertsWithoutEditsByteForByte();
    void convertsGpxWithMacros_data();
    void convertsGpxWithMacros();

private:
    struct Run {
        int status;
        QByteArray out;
        QByteArray err;
    };
    Run run(const QStringList& args);
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestCli::initTestCase() {
    m_dir.reset(new QTemporaryDir);
}

void TestCli::init() {
    QFile::remove(path("out.rte"));
    QVERIFY(writeFile(path("in.rte"), routeFile(3, "\r\n", "Hills")));
    QVERIFY(writeFile(path("old.rte"), "old bytes"));
}

TestCli::Run TestCli::run(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(RV58_CLI), args);
    if (!p.waitForFinished(60000))
        qFatal("rv58route-cli did not finish");
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

void TestCli::failsWithTheWindowsMessages_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("firstLine");
    const QString in = path("in.rte");
    const QString out = path("old.rte");
    QTest::newRow("no command") << QStringList{} << 2 << "rv58route-cli: no command given";
    QTest::newRow("unknown option")
        << QStringList{"show", in, "--colour"} << 2 << "rv58route-cli: unknown option '--colour'";
    QTest::newRow("bad unit") << QStringList{"show", in, "--unit", "yard"} << 2
                              << "rv58route-cli: --unit takes km or mile";
    QTest::newRow("convert without output")
        << QStringList{"convert", in} << 2 << "rv58route-cli: convert needs -o OUT.rte";
    QTest::newRow("icon beyond the list")
        << QStringList{"convert", in, "-o", out, "--icon", "45"} << 2
        << "rv58route-cli: --icon takes a whole number from 0 to 44";
    QTest::newRow("row without a waypoint") << QStringList{"convert", in, "-o", out, "--row", "9"}
                                            << 2 << "rv58route-cli: row 9 holds no waypoint";
    QTest::newRow("unknown type") << QStringList{"show", path("x.txt")} << 1
                                  << "Unknow file type error.";
    QTest::newRow("missing route file")
        << QStringList{"show", path("none.rte")} << 1 << "RTE file error.";
    QTest::newRow("not a route file")
        << QStringList{"show", QStringLiteral(RV58_TEST_DATA "/not_a_route.rte")} << 1
        << "Route File Format Error!";
    QTest::newRow("route name character")
        << QStringList{"convert", in, "-o", out, "--route-name", "A-B"} << 1
        << "Input Char Error (Route Name)!";
    QTest::newRow("route name length")
        << QStringList{"convert", in, "-o", out, "--route-name", "ABCDEFGHIJKLM"} << 1
        << "Input Length Error (Route Name)!";
    QTest::newRow("waypoint name length")
        << QStringList{"convert", in, "-o", out, "--name", "TOOLONG"} << 1
        << "Input Length Error (Name)!";
    QTest::newRow("waypoint name character")
        << QStringList{"convert", in, "-o", out, "--name", "A_B"} << 1
        << "Input Char Error (Name)!";
    QTest::newRow("unwritable output")
        << QStringList{"convert", in, "-o", path("no/such/dir/out.rte")} << 1
        << "RTE file write error.";
}

void TestCli::failsWithTheWindowsMessages() {
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, firstLine);
    const Run r = run(args);
    QCOMPARE(r.status, status);
    QCOMPARE(QString::fromUtf8(r.err).section(QLatin1Char('\n'), 0, 0), firstLine);
    QVERIFY(r.out.isEmpty());
    QCOMPARE(readFile(path("old.rte")), QByteArray("old bytes")); // never half-written
}

void TestCli::showsTheTable() {
    const Run r = run(
        {QStringLiteral("show"), path("in.rte"), QStringLiteral("--unit"), QStringLiteral("km")});
    QCOMPARE(r.status, 0);
    const QStringList lines = QString::fromUtf8(r.out).split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QStringLiteral("Route Name  Hills")));
    QVERIFY(lines.contains(QStringLiteral("Total Points 3")));
    QVERIFY(lines.filter(QStringLiteral("NO")).first().contains(QStringLiteral("Total Dist.")));
    QVERIFY(lines.filter(QStringLiteral("WP3"))
                .first()
                .simplified()
                .endsWith(QStringLiteral("3 0.13 0.26")));
    QCOMPARE(run({QStringLiteral("--help")}).status, 0);
    QCOMPARE(run({QStringLiteral("--version")}).out, QByteArray("rv58route-cli 0.5\n"));
}

void TestCli::showsJson() {
    const Run r = run({QStringLiteral("show"), path("in.rte"), QStringLiteral("--json")});
    QCOMPARE(r.status, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o.value(QLatin1String("route_name")).toString(), QStringLiteral("Hills"));
    QCOMPARE(o.value(QLatin1String("waypoint_count")).toInt(), 3);
    QCOMPARE(o.value(QLatin1String("unit")).toString(), QStringLiteral("mile"));
    QCOMPARE(o.value(QLatin1String("route_length")).toString(), QStringLiteral("0.16miles"));
    const QJsonArray w = o.value(QLatin1String("waypoints")).toArray();
    QCOMPARE(w.size(), 3);
    QCOMPARE(w.at(0)[QLatin1String("leg")].toString(), QString());
    QCOMPARE(w.at(2)[QLatin1String("no")].toString(), QStringLiteral("3"));
    QCOMPARE(w.at(2)[QLatin1String("lat")].toString(), QStringLiteral("48.002000"));
    QCOMPARE(w.at(2)[QLatin1String("total")].toString(), QStringLiteral("0.16"));
    QCOMPARE(w.at(2)[QLatin1String("date")].toString(), QStringLiteral("40000.00000"));
}

void TestCli::convertsWithoutEditsByteForByte() {
    const Run r =
        run({QStringLiteral("convert"), path("in.rte"), QStringLiteral("-o"), path("old.rte")});
    QCOMPARE(r.status, 0);
    QCOMPARE(readFile(path("old.rte")), routeFile(3, "\r\n", "Hills"));
}

void TestCli::convertsGpxWithMacros_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("icons");
    QTest::newRow("load and save")
        << QStringList{} << QStringList{"GRT001", "MILL", "WEIR"} << QStringList{"0", "0", "0"};
    QTest::newRow("one waypoint") << QStringList{"--row", "2", "--name", " BRIDGE", "--icon", "12"}
                                  << QStringList{"GRT001", "BRIDGE", "WEIR"}
                                  << QStringList{"0", "12", "0"};
    QTest::newRow("name macro, empty name")
        << QStringList{"--name", "", "--name-macro"} << QStringList{"START", "TURN01", "FINISH"}
        << QStringList{"0", "0", "0"};
    QTest::newRow("name macro with a prefix")
        << QStringList{"--name", "RIVER1", "--name-macro", "--row", "3"}
        << QStringList{"RIVE00", "RIVE01", "RIVE02"} << QStringList{"0", "0", "0"};
    QTest::newRow("icon macro") << QStringList{"--icon", "44", "--icon-macro"}
                                << QStringList{"GRT001", "MILL", "WEIR"}
                                << QStringList{"44", "44", "44"};
}

void TestCli::convertsGpxWithMacros() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, names);
    QFETCH(QStringList, icons);
    const QString out = path("out.rte");
    const Run r =
        run(QStringList{QStringLiteral("convert"), QStringLiteral(RV58_TEST_DATA "/two_routes.gpx"),
                        QStringLiteral("-o"), out, QStringLiteral("--route-name"),
                        QStringLiteral(" Rhine 2 ")} +
            options);
    QVERIFY2(r.status == 0, r.err.constData());
    static const char* const positions[3][2] = {
        {"50.100000", "8.600000"}, {"50.109000", "8.610000"}, {"50.120000", "8.630000"}};
    QByteArray expected = "OziExplorer Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\n"
                          "Reserved 2\r\nR,1,Rhine 2,,\r\n";
    for (int i = 0; i < 3; ++i)
        expected += "W,1,," + QByteArray::number(i + 1) + "," + names.at(i).toLatin1() + "," +
                    positions[i][0] + "," + positions[i][1] + ",," + icons.at(i).toLatin1() +
                    ",1,3,0,65535,,0,0\r\n";
    // The second route of the file is kept as it was converted.
    expected += "R,2,Back,,\r\n"
                "W,2,,1,A,51.000000,9.000000,,0,1,3,0,65535,,0,0\r\n"
                "W,2,,2,B,51.100000,9.100000,,0,1,3,0,65535,,0,0\r\n";
    QCOMPARE(readFile(out), expected);
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
