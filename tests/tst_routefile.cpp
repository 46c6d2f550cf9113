// Reading and writing route files: what the reader takes from a file, what it refuses
// (changing nothing), and that the writer gives back every byte it does not replace.
#include "RouteFileFixtures.h"
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace fixtures;

class TestRouteFile : public QObject {
    Q_OBJECT
private slots:
    void init();

    void readsRoute_data();
    void readsRoute();
    void cellsKeepTheFieldsText();
    void shortensMarkedNames_data();
    void shortensMarkedNames();
    void cutsRouteNameToTwelve_data();
    void cutsRouteNameToTwelve();
    void refusedFileChangesNothing_data();
    void refusedFileChangesNothing();
    void routeSizeLimitCountsTheRouteOnly_data();
    void routeSizeLimitCountsTheRouteOnly();
    void manyBareLinesReadQuickly();

    void checksRouteName_data();
    void checksRouteName();
    void writesBackEveryUnchangedByte_data();
    void writesBackEveryUnchangedByte();
    void writesEditedFieldsOnly();
    void keepsLastFieldOfShortLines();
    void failedWriteKeepsTheOldFile();

private:
    bool read(const QByteArray& bytes, QString* reason = nullptr);
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<RouteTable> m_table;
    QString m_routeName;
    RouteState m_state;
};

void TestRouteFile::init() {
    m_dir.reset(new QTemporaryDir);
    m_table.reset(new RouteTable);
    m_table->setRowCount(10);
    m_table->writeHeaderRow();
    m_routeName.clear();
    m_state = RouteState();
}

bool TestRouteFile::read(const QByteArray& bytes, QString* reason) {
    const QString file = path("route.rte");
    if (!writeFile(file, bytes))
        qFatal("cannot write the test file");
    return ReadRouteFile(file, *m_table, m_routeName, m_state, reason);
}

void TestRouteFile::readsRoute_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("waypoints");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("lastName");

    QTest::newRow("CR LF") << routeFile(3) << 3 << 8 << "WP3";
    QTest::newRow("LF") << routeFile(3, "\n") << 3 << 8 << "WP3";
    QTest::newRow("no waypoints") << routeFile(0) << 0 << 5 << "";
    QTest::newRow("124 waypoints, 129 line feeds") << routeFile(124) << 124 << 129 << "WP124";
    QTest::newRow("empty last line is no waypoint") << routeFile(3) + "\r\n" << 3 << 9 << "WP3";
    QTest::newRow("empty lines after the header")
        << header() + "\r\n\r\n" + routeLine("X") + waypointLine(1, "ONE", "1.0", "2.0") << 1 << 8
        << "ONE";
    QTest::newRow("text after the last LF is not read")
        << routeFile(3) + waypointLine(4, "WP4", "1", "2").chopped(2) << 3 << 8 << "WP3";
    QTest::newRow("header text anywhere in line 1")
        << "xx OziExplorer Route yy\n2\n3\n4\n" + routeLine("X") + waypointLine(1, "ONE", "1", "2")
        << 1 << 6 << "ONE";
    QTest::newRow("header lines starting with W or R are no records")
        << "OziExplorer Route\nWGS 84\nReserved\nW line\n" + routeLine("X") +
               waypointLine(1, "ONE", "1", "2")
        << 1 << 6 << "ONE";
    QTest::newRow("a second route is not part of the first")
        << routeFile(2) + routeLine("OTHER") + waypointLine(1, "Z1", "1", "2") +
               waypointLine(2, "Z2", "1", "2") + waypointLine(3, "Z3", "1", "2")
        << 2 << 11 << "WP2";
    QTest::newRow("waypoints ahead of the route line belong to it")
        << header() + waypointLine(1, "EARLY", "1", "2") + routeLine("X") +
               waypointLine(2, "LATE", "1", "2")
        << 2 << 7 << "LATE";
    QByteArray longLine = waypointLine(2, QByteArray(300, 'N'), "1", "2");
    QTest::newRow("a 256-byte line is cut and ends the read")
        << routeFile(1) + longLine + waypointLine(3, "LOST", "1", "2") << 2 << 7
        << QString::fromLatin1(longLine.left(MaxRouteLineBytes).mid(14) + '\n');
    QTest::newRow("a NUL ends the line and the read")
        << routeFile(1) + waypointLine(2, QByteArray("AB\0CD", 5), "1", "2") +
               waypointLine(3, "LOST", "1", "2")
        << 2 << 7 << "AB\n";
}

void TestRouteFile::readsRoute() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, waypoints);
    QFETCH(int, lines);
    QFETCH(QString, lastName);

    QVERIFY(read(bytes));
    QCOMPARE(m_state.waypointCount(), waypoints);
    QCOMPARE(m_state.lineCount(), lines);
    QCOMPARE(m_table->rows(), waypoints + 1);
    QCOMPARE(m_table->columns(), 22);
    QCOMPARE(m_state.loadedFileSize, quint32(qMin<qsizetype>(bytes.size(), MaxRouteFileBytes)));
    if (waypoints > 0)
        QCOMPARE(m_table->cell(RouteTable::ColName, waypoints), lastName);
    for (int row = 1; row <= waypoints; ++row)
        QCOMPARE(m_table->cell(RouteTable::ColNo, row), QString::number(row));
    QCOMPARE(m_table->cell(RouteTable::ColNo, 0), QStringLiteral("NO"));
}

void TestRouteFile::cellsKeepTheFieldsText() {
    const QByteArray latin1Name("Br\xfc"
                                "cke");
    QVERIFY(read(header() + "R,1, My route ,,\r\n" + "W,1,,1," + latin1Name +
                 ", 50.100000,  8.600000,date 7, 12\r\n" + "W,1,,2,SHORT,1.5\r\n"));
    QCOMPARE(m_routeName, QStringLiteral(" My route "));
    QCOMPARE(m_table->cell(RouteTable::ColName, 1).toLatin1(), latin1Name);
    QCOMPARE(m_table->cell(RouteTable::ColLatitude, 1), QStringLiteral(" 50.100000"));
    QCOMPARE(m_table->cell(RouteTable::ColLongitude, 1), QStringLiteral("  8.600000"));
    QCOMPARE(m_table->cell(RouteTable::ColDate, 1), QStringLiteral("date 7"));
    // The line end stays with the last field.
    QCOMPARE(m_table->cell(RouteTable::ColIcon, 1), QStringLiteral(" 12\r\n"));
    // Fields a short line does not have read as empty text.
    QCOMPARE(m_table->cell(RouteTable::ColLatitude, 2), QStringLiteral("1.5\r\n"));
    QCOMPARE(m_table->cell(RouteTable::ColLongitude, 2), QString());
    QCOMPARE(m_table->cell(RouteTable::ColIcon, 2), QString());
}

void TestRouteFile::shortensMarkedNames_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("GRTP-001") << QByteArray("GRTP-001") << "GRT001";
    QTest::newRow("GMLS-012") << QByteArray("GMLS-012") << "GML012";
    QTest::newRow("marker inside") << QByteArray("ABGMLS-77") << "ABG-77";
    QTest::newRow("six characters stay") << QByteArray("GRTP-1") << "GRTP-1";
    QTest::newRow("no marker stays") << QByteArray("ABCDEFGH") << "ABCDEFGH";
}

void TestRouteFile::shortensMarkedNames() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QVERIFY(read(header() + routeLine("X") + waypointLine(1, name, "1", "2")));
    QCOMPARE(m_table->cell(RouteTable::ColName, 1), shown);
}

void TestRouteFile::cutsRouteNameToTwelve_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("15 characters") << QByteArray("ABCDEFGHIJKLMNO") << "ABCDEFGHIJKL";
    QTest::newRow("12 characters") << QByteArray("ABCDEFGHIJKL") << "ABCDEFGHIJKL";
    QTest::newRow("short") << QByteArray("Route 1") << "Route 1";
}

void TestRouteFile::cutsRouteNameToTwelve() {
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    QVERIFY(read(routeFile(1, "\r\n", name)));
    QCOMPARE(m_routeName, shown);
}

void TestRouteFile::refusedFileChangesNothing_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("no line feed") << QByteArray("OziExplorer Route File") << true;
    QTest::newRow("header in lower case") << QByteArray("oziexplorer route\n1\n2\n3\n") << true;
    QTest::newRow("125 waypoints, 130 line feeds") << routeFile(125) << true;
    QTest::newRow("binary noise") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0", 11) << true;
}

void TestRouteFile::refusedFileChangesNothing() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, exists);
    QVERIFY(read(routeFile(3, "\r\n", "KEEP")));
    const QList<QByteArray> lines = m_state.RouteLineStore;
    const QString name = m_table->cell(RouteTable::ColName, 2);

    QString reason;
    const QString file = path("refused.rte");
    if (exists)
        QVERIFY(writeFile(file, bytes));
    QVERIFY(!ReadRouteFile(file, *m_table, m_routeName, m_state, &reason));
    QVERIFY(!reason.isEmpty());
    QCOMPARE(m_routeName, QStringLiteral("KEEP"));
    QCOMPARE(m_table->rows(), 4);
    QCOMPARE(m_table->columns(), 22);
    QCOMPARE(m_table->cell(RouteTable::ColName, 2), name);
    QCOMPARE(m_state.RouteLineStore, lines);
    QCOMPARE(m_state.waypointCount(), 3);
    QCOMPARE(m_state.lineCount(), 8);
    QCOMPARE(m_state.loadedFileSize, quint32(routeFile(3, "\r\n", "KEEP").size()));
}

void TestRouteFile::routeSizeLimitCountsTheRouteOnly_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("accepted");
    QByteArray others;
    for (int i = 0; i < 40; ++i)
        others += "\r\n";
    QTest::newRow("124 and other lines around")
        << header() + others + routeLine("X") + routeFile(124).mid(header().size() + 12) + others
        << true;
    QByteArray second = routeLine("LONG");
    for (int i = 0; i < 200; ++i)
        second += waypointLine(i + 1, "X", "1", "2");
    QTest::newRow("a long second route") << routeFile(2) + second << true;
    QTest::newRow("125 behind other lines")
        << header() + others + routeFile(125).mid(header().size()) << false;
}

void TestRouteFile::routeSizeLimitCountsTheRouteOnly() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, accepted);
    QString reason;
    QCOMPARE(read(bytes, &reason), accepted);
    if (!accepted)
        QVERIFY2(reason.contains(QStringLiteral("124")), qPrintable(reason));
}

void TestRouteFile::manyBareLinesReadQuickly() {
    QByteArray bytes = routeFile(3);
    bytes += QByteArray(MaxRouteFileBytes - bytes.size(), '\n');
    QElapsedTimer timer;
    timer.start();
    QVERIFY(read(bytes));
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(m_state.waypointCount(), 3);
    QVERIFY(m_state.RouteLineStore.size() < 10);
    RouteState copy = m_state;
    QCOMPARE(RebuildRouteLines(copy, *m_table, QStringLiteral("TESTROUTE")), bytes);
}

void TestRouteFile::checksRouteName_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("trimmed");
    const QString length = QStringLiteral("Input Length Error (Route Name)!");
    const QString chars = QStringLiteral("Input Char Error (Route Name)!");
    QTest::newRow("blank inside") << "Route 1"
                                  << ""
                                  << "Route 1";
    QTest::newRow("trimmed") << "  Route 1 \t"
                             << ""
                             << "Route 1";
    QTest::newRow("12 characters") << "ABCDEFGHIJKL"
                                   << ""
                                   << "ABCDEFGHIJKL";
    QTest::newRow("13 characters") << "ABCDEFGHIJKLM" << length << "ABCDEFGHIJKLM";
    QTest::newRow("empty") << "" << length << "";
    QTest::newRow("blanks only") << "    " << length << "";
    QTest::newRow("hyphen") << "A-B" << chars << "A-B";
    QTest::newRow("underscore") << "A_B" << chars << "A_B";
    QTest::newRow("letter above 127")
        << QString::fromLatin1("K\xfcste") << chars << QString::fromLatin1("K\xfcste");
    QTest::newRow("too long beats bad character") << "ABCDEFGHIJK-M" << length << "ABCDEFGHIJK-M";
}

void TestRouteFile::checksRouteName() {
    QFETCH(QString, field);
    QFETCH(QString, message);
    QFETCH(QString, trimmed);
    QString name;
    QCOMPARE(CheckRouteName(field, &name), message);
    QCOMPARE(name, trimmed);
}

void TestRouteFile::writesBackEveryUnchangedByte_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("CR LF") << routeFile(5);
    QTest::newRow("LF") << routeFile(5, "\n");
    QTest::newRow("other lines and a second route")
        << header() + "\r\n" + routeLine("TESTROUTE") + waypointLine(1, "A", "1", "2") + "\r\n" +
               routeLine("SECOND") + waypointLine(1, "B", "3", "4") + "tail\r\n";
    QTest::newRow("bytes above 127")
        << header() + routeLine("TESTROUTE") + waypointLine(1, "\xe9\xff\x80", "1", "2");
    QTest::newRow("header only") << header();
}

void TestRouteFile::writesBackEveryUnchangedByte() {
    QFETCH(QByteArray, bytes);
    QVERIFY(read(bytes));
    const QByteArray first = RebuildRouteLines(m_state, *m_table, QStringLiteral("TESTROUTE"));
    QCOMPARE(first, bytes);
    QCOMPARE(RebuildRouteLines(m_state, *m_table, QStringLiteral("TESTROUTE")), first);
    const QString out = path("out.rte");
    QVERIFY(WriteRouteFile(out, first));
    QCOMPARE(readFile(out), bytes);
}

void TestRouteFile::writesEditedFieldsOnly() {
    QVERIFY(read(header() + "\r\n" + routeLine("OLD") + waypointLine(1, "WP1", "1.0", "2.0") +
                 waypointLine(2, "WP2", "3.0", "4.0")));
    m_table->setCell(RouteTable::ColName, 2, QStringLiteral("NEW"));
    m_table->setCell(RouteTable::ColIcon, 2, QStringLiteral("44"));
    m_table->setCell(RouteTable::ColDate, 2, QStringLiteral("never written"));
    const QByteArray written = RebuildRouteLines(m_state, *m_table, QStringLiteral("Route 1"));
    QCOMPARE(written, header() + "\r\n" + routeLine("Route 1") +
                          waypointLine(1, "WP1", "1.0", "2.0") +
                          waypointLine(2, "NEW", "3.0", "4.0", "44"));
}

void TestRouteFile::keepsLastFieldOfShortLines() {
    const QByteArray bytes = header() + "R,1,OLD\r\n" + "W,1,,1,NAME\r\n" + "W,1,,2,N2,5,6,7,8\r\n";
    QVERIFY(read(bytes));
    m_table->setCell(RouteTable::ColName, 1, QStringLiteral("X"));
    m_table->setCell(RouteTable::ColIcon, 2, QStringLiteral("9"));
    QCOMPARE(RebuildRouteLines(m_state, *m_table, QStringLiteral("NEW")), bytes);
}

void TestRouteFile::failedWriteKeepsTheOldFile() {
    const QString out = path("old.rte");
    QVERIFY(writeFile(out, "old bytes"));
    QString error;
    QVERIFY(!WriteRouteFile(path("no/such/folder/x.rte"), "new", &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(out), QByteArray("old bytes"));
}

QTEST_GUILESS_MAIN(TestRouteFile)
#include "tst_routefile.moc"
