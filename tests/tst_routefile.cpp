// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing route files: what the reader takes from a file, what it refuses
// (changing nothing), and that the writer gives back every byte it does not replace.
#include "RouteFileFixtures.h"
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using namespace fixtures;
using namespace Qt::StringLiterals;

namespace {

// A whole load of a route file as the programs make it: the bytes, the chosen route taken
// apart, and only then the table, route name and state changed.
bool ReadRouteFile(const QString& path, RouteTable& table, QString& routeName, RouteState& state,
                   QString* reason = nullptr, int number = 1, int limit = MaxRouteWaypoints) {
    QByteArray bytes;
    ParsedRoute route;
    if (!ReadRouteBytes(path, bytes, reason) ||
        !ParseRouteFile(bytes, route, reason, number, limit))
        return false;
    TakeOverRoute(std::move(route), quint32(bytes.size()), table, routeName, state);
    return true;
}

} // namespace

// One file read over a loaded route: the routes listed (-1: the listing refuses the file),
// the waypoints read (-1: refused) and the lines kept, the last waypoint's name or part of
// the refusal, and what the writer gives back unedited (null: the file as it was).
struct ReadCase {
    QByteArray bytes; // null: no file at all; "<dir>", "<fifo>": a folder or a fifo instead
    int routes, waypoints, lines;
    QString text;
    QByteArray written = {};
    int number = 1, limit = MaxRouteWaypoints; // the route chosen, the most waypoints taken
};

class TestRouteFile : public QObject {
    Q_OBJECT

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

private slots:
    void init() {
        m_dir.reset(new QTemporaryDir);
        m_table.reset(new RouteTable);
        m_table->setRowCount(10);
        m_table->writeHeaderRow();
        m_routeName.clear();
        m_state = RouteState();
    }

    void readsOrRefusesAndWritesBack_data() {
        QTest::addColumn<ReadCase>("c");
        auto row = [](const char* tag, ReadCase c) {
            c.written = c.written.isNull() ? c.bytes : c.written;
            QTest::newRow(tag) << c;
        };
        auto wpt = [](int number, const QByteArray& name, const QByteArray& lat = "1",
                      const QByteArray& lon = "2") { return waypointLine(number, name, lat, lon); };
        auto third = [](const QByteArray& lat, const QByteArray& lon = "2") {
            return routeFile(2) + waypointLine(3, "WP3", lat, lon);
        };
        auto route = [](int count, const QByteArray& name = "TESTROUTE") {
            return routeFile(count, "\r\n", name).mid(header().size());
        };
        const QByteArray others = QByteArray("\r\n").repeated(40);
        const QByteArray full =
            routeFile(3) + QByteArray(MaxRouteFileBytes - routeFile(3).size(), '\n');
        QByteArray high;
        for (int b = 128; b < 256; ++b)
            high += char(b);
        const QByteArray three = header() + route(2, "ONE") + "\r\n" + route(3, "TWO") + route(4);

        row("CR LF", {routeFile(3), 1, 3, 8, "WP3"});
        row("LF", {routeFile(3, "\n"), 1, 3, 8, "WP3"});
        row("header only", {header(), 0, 0, 4, ""});
        row("one line without LF is a header", {"OziExplorer Route File", 0, 0, 1, ""});
        row("124 waypoints", {routeFile(124), 1, 124, 129, "WP124"});
        row("lines between records are not kept", {header() + others + route(124) + others, 1, 124,
                                                   169, "WP124", header() + others + route(124)});
        row("last line without LF is written back as read",
            {routeFile(3) + "W,1,,4,WP4,1,2", 1, 4, 9, "WP4"});
        row("a long line is read whole and reading goes on",
            {routeFile(1) + wpt(2, QByteArray(300, 'N')) + wpt(3, "LAST"), 1, 3, 8, "LAST"});
        row("header text anywhere in line 1, lines starting with R or W in the header",
            {"xx OziExplorer Route yy\nR x\nW y\n4\n" + routeLine("X") + wpt(1, "ONE"), 1, 1, 6,
             "ONE"});
        row("waypoints ahead of the route line belong to it",
            {header() + wpt(1, "EARLY") + routeLine("X") + wpt(2, "LATE"), 1, 2, 7, "LATE"});
        row("bytes above 127",
            {header() + routeLine("X") + wpt(1, high), 1, 1, 6, QString::fromLatin1(high)});
        row("exactly 4 MiB", {full, 1, 3, 8, "WP3", routeFile(3)});
        row("coordinates: blanks, signs, a point at either end, the limits",
            {header() + routeLine("X") + wpt(1, "A", " -34.445850 ", "+8.5") +
                 wpt(2, "B", "-.5", "5.") + wpt(3, "C", "90", "-180") + "W,1,,4,D,-90.0,180\r\n",
             1, 4, 9, "D"});
        row("whole numbers, tabs, form feeds and a minus zero",
            {header() + routeLine("X") + wpt(1, "A", "\t47\f", "\v-0 "), 1, 1, 6, "A"});
        row("three routes, the middle", {three, 3, 3, 8, "WP3", header() + route(3, "TWO"), 2});
        row("three routes, the last", {three, 3, 4, 9, "WP4", header() + route(4), 3});
        row("a long route is taken whole when asked",
            {routeFile(125), 1, 125, 130, "WP125", {}, 1, 200});

        // Why a path cannot be read is told before it is opened: a fifo would otherwise block.
        row("missing", {QByteArray(), -1, -1, 0, "next.rte does not exist."});
        row("folder", {"<dir>", -1, -1, 0, "next.rte is a directory."});
        row("fifo", {"<fifo>", -1, -1, 0, "next.rte is not a regular file."});
        row("empty", {QByteArray(""), -1, -1, 0, "empty"});
        row("header in lower case", {"oziexplorer route\n1\n2\n3\n", -1, -1, 0, "OziExplorer"});
        row("NUL byte", {routeFile(1) + wpt(2, QByteArray("AB\0CD", 5)), -1, -1, 0,
                         "Line 7 holds a NUL byte."});
        row("4 MiB and a byte",
            {full + "\n", -1, -1, 0,
             "The file has 4,194,305 bytes, more than the 4,194,304 a route file may have."});
        row("4 MiB and a byte in one endless line",
            {full.left(routeFile(3).size()).leftJustified(MaxRouteFileBytes + 1, 'x'), -1, -1, 0,
             "The file has 4,194,305 bytes"});
        row("125 waypoints", {routeFile(125), 1, -1, 0,
                              "The route has 125 waypoints, more than the 124 the device holds."});
        row("a route beyond the list",
            {three, 3, -1, 0, "The file holds 3 routes; there is no route 5.", {}, 5});
        row("latitude not a number",
            {third(" north"), 1, -1, 0,
             "Waypoint 3 has the latitude \" north\", not a number from -90 to 90."});
        row("latitude beyond 90", {third("90.000001"), 1, -1, 0, "latitude \"90.000001\""});
        row("longitude beyond 180",
            {third("1", "-180.5"), 1, -1, 0,
             "Waypoint 3 has the longitude \"-180.5\", not a number from -180 to 180."});
        row("an exponent", {third("1e1"), 1, -1, 0, "latitude"});
        row("two points", {third("1.2.3"), 1, -1, 0, "latitude \"1.2.3\""});
        row("a sign and a point alone", {third("-."), 1, -1, 0, "latitude \"-.\""});
        row("two signs", {third("+-1"), 1, -1, 0, "latitude \"+-1\""});
        row("so small it rounds to zero",
            {third("0." + QByteArray(400, '0') + "1"), 1, -1, 0, "latitude \"0.000"});
        // A field is quoted with its control characters visible and cut to 60 characters.
        row("a 5,000-digit latitude",
            {third(QByteArray(5000, '9')), 1, -1, 0,
             u"Waypoint 3 has the latitude \"%1\u2026\", not a number from -90 to 90."_s.arg(
                 QString(60, u'9'))});
        row("lines that end in CR alone",
            {routeFile(3, "\r"), -1, -1, 0,
             "The lines end in CR alone; route files end their lines in LF or CR LF."});
        row("no longitude", {routeFile(2) + "W,1,,3,X,1\r\n", 1, -1, 0, "longitude \"\""});
    }

    // Each file is read over a route loaded before: nothing of that route may remain, and a
    // refused file must leave it entirely as it was.
    void readsOrRefusesAndWritesBack() {
        QFETCH(ReadCase, c);
        QVERIFY(read(routeFile(5, "\r\n", "KEEP")));
        const QStringList before = snapshot();
        const QString file = path("next.rte");
        if (c.bytes == "<dir>")
            QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("next.rte")));
        else if (c.bytes == "<fifo>")
            QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        else if (!c.bytes.isNull())
            QVERIFY(writeFile(file, c.bytes));

        QList<RouteListEntry> listed;
        QCOMPARE(ListRoutes(c.bytes, listed) ? int(listed.size()) : -1, c.routes);

        QString reason;
        const bool accepted =
            ReadRouteFile(file, *m_table, m_routeName, m_state, &reason, c.number, c.limit);
        if (c.waypoints < 0) {
            QVERIFY2(!accepted && reason.contains(c.text), qPrintable(reason));
            QCOMPARE(snapshot(), before);
            return;
        }
        QVERIFY2(accepted, qPrintable(reason));
        QCOMPARE(m_state.waypointCount(), c.waypoints);
        QCOMPARE(m_state.lineCount(), c.lines);
        QCOMPARE(m_table->rowCount(), c.waypoints); // the header row is the model's header
        QCOMPARE(m_state.loadedFileSize, quint32(c.bytes.size()));
        QCOMPARE(m_table->cell(RouteTable::ColName, c.waypoints),
                 c.waypoints ? c.text : "WPT Name");
        for (int row = 1; row <= c.waypoints; ++row)
            QCOMPARE(m_table->cell(RouteTable::ColNo, row), QString::number(row));
        if (c.routes > 0) {
            QCOMPARE(listed.at(c.number - 1).points, c.waypoints);
            QCOMPARE(listed.at(c.number - 1).name.left(12), m_routeName);
        }
        // Saving twice gives the same bytes: a rebuild leaves the lines as it found them.
        for (int pass = 0; pass < 2; ++pass)
            QCOMPARE(RebuildRouteLines(m_state, *m_table, m_routeName), c.written);
        m_table->setCell(21, 1, QStringLiteral("x"));
        m_table->setCell(-1, 2, QStringLiteral("y")); // nothing is written or read beyond the edges
        QCOMPARE(m_table->cell(21, 1) + m_table->cell(-1, 2), c.waypoints ? "x" : "");
    }

    // Field text is taken as it stands but for the name rules: the route name is cut to 12
    // characters, and a waypoint name of more than 6 holding GRTP- or GMLS- keeps its first and
    // last three.
    void cellsKeepTheFieldsText() {
        QVERIFY(read(header() + "R,1, My long route ,,\r\n" +
                     "W,1,,1,GRTP-001, 50.100000,  8.600000,date 7, 12\r\n" +
                     "W,1,,2,GMLS-012,1.5,2\r\n" + "W,1,,3,ABGMLS-77,0,0\r\n" +
                     "W,1,,4,GRTP-1,0,0\r\n" + "W,1,,5,ABCDEFGH,0,0\r\n"));
        QCOMPARE(m_routeName, QStringLiteral(" My long rou"));
        QStringList cells;
        for (int row = 1; row <= 5; ++row)
            for (int column = RouteTable::ColName; column <= RouteTable::ColIcon; ++column)
                cells << m_table->cell(column, row);
        // The line end stays with the last field; fields a short line does not have are empty.
        QCOMPARE(cells, QStringList({"GRT001",   " 50.100000", "  8.600000", "date 7", " 12\r\n",
                                     "GML012",   "1.5",        "2\r\n",      "",       "",
                                     "ABG-77",   "0",          "0\r\n",      "",       "",
                                     "GRTP-1",   "0",          "0\r\n",      "",       "",
                                     "ABCDEFGH", "0",          "0\r\n",      "",       ""}));
    }

    void checksRouteName() {
        const QString length = "Input Length Error (Route Name)!",
                      chars = "Input Char Error (Route Name)!";
        const std::pair<QString, QString> cases[] = {
            {"  Route 1 \t", {}}, {"ABCDEFGHIJKL", {}},  {"ABCDEFGHIJKLM", length},
            {"    ", length},     {"K\u00fcste", chars}, {"ABCDEFGHIJK-M", length}};
        for (const auto& [field, message] : cases) {
            QString name;
            QCOMPARE(CheckRouteName(field, &name), message);
            QCOMPARE(name, field.trimmed());
        }
    }

    // Only fields that a line has and that do not carry its line end are replaced; the date
    // never is. Every other byte is written back as read.
    void writesEditedFieldsOnly() {
        const QByteArray head = header() + "\r\n";
        const QByteArray shortLines = "W,1,,3,N3,5,6,7,8\r\nW,1,,4,N4,5,6\r\n";
        QVERIFY(read(head + routeLine("OLD") + waypointLine(1, "WP1", "1.0", "2.0") +
                     waypointLine(2, "WP2", "3.0", "4.0") + shortLines));
        for (int row : {1, 3})
            m_table->setCell(RouteTable::ColIcon, row, QStringLiteral("44"));
        for (int row : {2, 4})
            m_table->setCell(RouteTable::ColName, row, QStringLiteral("NEW"));
        m_table->setCell(RouteTable::ColLongitude, 4, QStringLiteral("9"));
        m_table->setCell(RouteTable::ColDate, 2, QStringLiteral("never written"));
        const QString out = path("out.rte");
        QVERIFY(
            WriteRouteFile(out, RebuildRouteLines(m_state, *m_table, QStringLiteral("Route 1"))));
        QCOMPARE(readFile(out), head + routeLine("Route 1") +
                                    waypointLine(1, "WP1", "1.0", "2.0", "44") +
                                    waypointLine(2, "NEW", "3.0", "4.0") +
                                    "W,1,,3,N3,5,6,7,8\r\nW,1,,4,NEW,5,6\r\n");
        QVERIFY(read(head + "R,1,OLD\r\n"));
        QCOMPARE(RebuildRouteLines(m_state, *m_table, QStringLiteral("Route 1")),
                 head + "R,1,OLD\r\n");
        // A route line that is the file's first line, header mark and all, is renamed too.
        QVERIFY(read("R,1,OziExplorer Route,\r\n"));
        QCOMPARE(RebuildRouteLines(m_state, *m_table, QStringLiteral("Route 1")),
                 "R,1,Route 1,\r\n");
        // A route line without a name field names no route: the name stays, the line too.
        QList<RouteListEntry> listed;
        QVERIFY(read(head + "R,1\r\n") && ListRoutes(head + "R,1\r\n", listed));
        QCOMPARE(listed.at(0).name + m_routeName, QStringLiteral("OziExplorer "));
        QCOMPARE(RebuildRouteLines(m_state, *m_table, QStringLiteral("Route 2")), head + "R,1\r\n");
    }
};

QTEST_GUILESS_MAIN(TestRouteFile)
#include "tst_routefile.moc"
