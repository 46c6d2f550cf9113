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

    void readsOrRefusesAndWritesBack_data();
    void readsOrRefusesAndWritesBack();
    void cellsKeepTheFieldsText();

    void checksRouteName_data();
    void checksRouteName();
    void writesEditedFieldsOnly();

private:
    bool read(const QByteArray& bytes) {
        return writeFile(path("route.rte"), bytes) &&
               ReadRouteFile(path("route.rte"), *m_table, m_routeName, m_state);
    }
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    // Everything a read may change.
    QStringList snapshot() const {
        QStringList all{m_routeName, QString::number(m_state.loadedFileSize),
                        QString::number(m_state.lineCount()), QString::number(m_table->rows())};
        for (int line : m_state.waypointLines)
            all << QString::number(line);
        for (const QByteArray& line : m_state.RouteLineStore)
            all << QString::fromLatin1(line);
        for (int row = 0; row < m_table->rows(); ++row)
            for (int column = 0; column < m_table->columns(); ++column)
                all << m_table->cell(column, row);
        return all;
    }

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

void TestRouteFile::readsOrRefusesAndWritesBack_data() {
    QTest::addColumn<QByteArray>("bytes"); // null: no file at all
    QTest::addColumn<int>("waypoints");    // -1: refused
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("text");       // the last waypoint's name, or part of the refusal
    QTest::addColumn<QByteArray>("written"); // what the writer gives back unedited
    auto row = [](const char* tag, const QByteArray& bytes, int waypoints, int lines,
                  const QString& text, const QByteArray& written = QByteArray()) {
        QTest::newRow(tag) << bytes << waypoints << lines << text
                           << (written.isNull() ? bytes : written);
    };
    auto wpt = [](int number, const QByteArray& name) {
        return waypointLine(number, name, "1", "2");
    };
    auto route = [](int count) { return routeFile(count).mid(header().size()); };
    const QByteArray others = QByteArray("\r\n").repeated(40);
    const QByteArray bare =
        routeFile(3) + QByteArray(MaxRouteFileBytes - routeFile(3).size(), '\n');
    QByteArray high;
    for (int b = 128; b < 256; ++b)
        high += char(b);
    const QByteArray cutLine = wpt(2, QByteArray(300, 'N')).left(MaxRouteLineBytes) + '\n';

    row("CR LF", routeFile(3), 3, 8, "WP3");
    row("LF", routeFile(3, "\n"), 3, 8, "WP3");
    row("header only", header(), 0, 4, "");
    row("124 waypoints, 129 line feeds", routeFile(124), 124, 129, "WP124");
    row("124 waypoints among other lines", header() + others + route(124) + others, 124, 209,
        "WP124");
    row("empty last line is no waypoint", routeFile(3) + "\r\n", 3, 9, "WP3");
    row("text after the last LF is not read", routeFile(3) + "W,1,,4,WP4", 3, 8, "WP3",
        routeFile(3));
    row("header text anywhere in line 1, lines starting with R or W in the header",
        "xx OziExplorer Route yy\nR x\nW y\n4\n" + routeLine("X") + wpt(1, "ONE"), 1, 6, "ONE");
    row("a long second route is not part of the first",
        routeFile(2) + routeLine("LONG") + wpt(1, "X").repeated(200), 2, 208, "WP2");
    row("waypoints ahead of the route line belong to it",
        header() + wpt(1, "EARLY") + routeLine("X") + wpt(2, "LATE"), 2, 7, "LATE");
    row("bytes above 127", header() + routeLine("X") + wpt(1, high), 1, 6,
        QString::fromLatin1(high));
    row("a 256-byte line is cut and ends the read",
        routeFile(1) + wpt(2, QByteArray(300, 'N')) + wpt(3, "LOST"), 2, 7,
        QString::fromLatin1(cutLine.mid(14)), routeFile(1) + cutLine);
    row("a NUL ends the line and the read",
        routeFile(1) + wpt(2, QByteArray("AB\0CD", 5)) + wpt(3, "LOST"), 2, 7, "AB\n",
        routeFile(1) + "W,  1,  2,  2,AB\n");
    row("4 MiB of nearly only bare line feeds", bare, 3, int(bare.count('\n')), "WP3");

    row("missing", QByteArray(), -1, 0, "");
    row("empty", QByteArray(""), -1, 0, "");
    row("no line feed", "OziExplorer Route File", -1, 0, "");
    row("header in lower case", "oziexplorer route\n1\n2\n3\n", -1, 0, "");
    row("125 waypoints, 130 line feeds", routeFile(125), -1, 0, "124");
    row("125 waypoints among other lines", header() + others + route(125) + others, -1, 0, "124");
}

// Each file is read over a route loaded before: nothing of that route may remain, and a
// refused file must leave it entirely as it was.
void TestRouteFile::readsOrRefusesAndWritesBack() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, waypoints);
    QFETCH(int, lines);
    QFETCH(QString, text);
    QFETCH(QByteArray, written);
    QVERIFY(read(routeFile(5, "\r\n", "KEEP")));
    const QStringList before = snapshot();
    const QString file = path("next.rte");
    if (!bytes.isNull())
        QVERIFY(writeFile(file, bytes));

    QString reason;
    QElapsedTimer timer;
    timer.start();
    const bool accepted = ReadRouteFile(file, *m_table, m_routeName, m_state, &reason);
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
    if (waypoints < 0) {
        QVERIFY2(!accepted && !reason.isEmpty() && reason.contains(text), qPrintable(reason));
        QCOMPARE(snapshot(), before);
        return;
    }
    QVERIFY2(accepted, qPrintable(reason));
    QCOMPARE(m_state.waypointCount(), waypoints);
    QCOMPARE(m_state.lineCount(), lines);
    QCOMPARE(m_table->rows(), waypoints + 1);
    QCOMPARE(m_table->columns(), 22);
    QCOMPARE(m_state.loadedFileSize, quint32(bytes.size()));
    QCOMPARE(m_table->cell(RouteTable::ColName, waypoints), waypoints ? text : "WPT Name");
    for (int row = 0; row <= waypoints; ++row)
        QCOMPARE(m_table->cell(RouteTable::ColNo, row), row ? QString::number(row) : "NO");
    // Lines outside the route are kept in runs, not a piece each, so memory follows the size.
    QVERIFY(m_state.RouteLineStore.size() <= waypoints + 4);
    // Saving twice gives the same bytes: a rebuild leaves the lines as it found them.
    for (int pass = 0; pass < 2; ++pass)
        QCOMPARE(RebuildRouteLines(m_state, *m_table, m_routeName), written);
}

// Field text is taken as it stands but for the name rules: the route name is cut to 12
// characters, and a waypoint name of more than 6 holding GRTP- or GMLS- keeps its first and
// last three.
void TestRouteFile::cellsKeepTheFieldsText() {
    QVERIFY(read(header() + "R,1, My long route ,,\r\n" +
                 "W,1,,1,GRTP-001, 50.100000,  8.600000,date 7, 12\r\n" +
                 "W,1,,2,GMLS-012,1.5\r\n" + "W,1,,3,ABGMLS-77,\r\n" + "W,1,,4,GRTP-1,\r\n" +
                 "W,1,,5,ABCDEFGH,\r\n"));
    QCOMPARE(m_routeName, QStringLiteral(" My long rou"));
    QStringList cells;
    for (int row = 1; row <= 5; ++row)
        for (int column = RouteTable::ColName; column <= RouteTable::ColIcon; ++column)
            cells << m_table->cell(column, row);
    // The line end stays with the last field; fields a short line does not have are empty.
    QCOMPARE(cells, QStringList({"GRT001",   " 50.100000", "  8.600000", "date 7", " 12\r\n",
                                 "GML012",   "1.5\r\n",    "",           "",       "",
                                 "ABG-77",   "\r\n",       "",           "",       "",
                                 "GRTP-1",   "\r\n",       "",           "",       "",
                                 "ABCDEFGH", "\r\n",       "",           "",       ""}));
}

void TestRouteFile::checksRouteName_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("trimmed");
    const QString length = QStringLiteral("Input Length Error (Route Name)!");
    const QString chars = QStringLiteral("Input Char Error (Route Name)!");
    QTest::newRow("trimmed, blank inside") << "  Route 1 \t" << QString() << "Route 1";
    QTest::newRow("12 characters") << "ABCDEFGHIJKL" << QString() << "ABCDEFGHIJKL";
    QTest::newRow("13 characters") << "ABCDEFGHIJKLM" << length << "ABCDEFGHIJKLM";
    QTest::newRow("blanks only") << "    " << length << "";
    QTest::newRow("hyphen") << "A-B" << chars << "A-B";
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

// Only fields that a line has and that do not carry its line end are replaced; the date
// never is. Every other byte is written back as read.
void TestRouteFile::writesEditedFieldsOnly() {
    const QByteArray head = header() + "\r\n";
    const QByteArray shortLines = "W,1,,3,N3,5,6,7,8\r\nW,1,,4,N4\r\n";
    QVERIFY(read(head + routeLine("OLD") + waypointLine(1, "WP1", "1.0", "2.0") +
                 waypointLine(2, "WP2", "3.0", "4.0") + shortLines));
    for (int row : {1, 3})
        m_table->setCell(RouteTable::ColIcon, row, QStringLiteral("44"));
    for (int row : {2, 4})
        m_table->setCell(RouteTable::ColName, row, QStringLiteral("NEW"));
    m_table->setCell(RouteTable::ColDate, 2, QStringLiteral("never written"));
    const QString out = path("out.rte");
    QVERIFY(WriteRouteFile(out, RebuildRouteLines(m_state, *m_table, QStringLiteral("Route 1"))));
    QCOMPARE(readFile(out), head + routeLine("Route 1") +
                                waypointLine(1, "WP1", "1.0", "2.0", "44") +
                                waypointLine(2, "NEW", "3.0", "4.0") + shortLines);
    QVERIFY(read(head + "R,1,OLD\r\n"));
    QCOMPARE(RebuildRouteLines(m_state, *m_table, QStringLiteral("Route 1")), head + "R,1,OLD\r\n");
    QString error;
    QVERIFY(!WriteRouteFile(path("no/such/folder/x.rte"), "new", &error));
    QVERIFY(!error.isEmpty());
}

QTEST_GUILESS_MAIN(TestRouteFile)
#include "tst_routefile.moc"
