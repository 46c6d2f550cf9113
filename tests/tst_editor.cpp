// The waypoint editor on the route table: row load, Accept, and the two macros.
#include "editing/SequenceCode.h"
#include "editing/WaypointEditor.h"
#include "route/CellNumber.h"
#include "route/RouteTable.h"

#include <QtTest>

namespace {

// A table of `count` waypoints named WPT1.. with icons 1.., and two spare rows below.
void fill(RouteTable& table, int count) {
    table.setRowCount(count + 3);
    table.writeHeaderRow();
    for (int row = 1; row <= count; ++row) {
        table.setCell(RouteTable::ColName, row, QStringLiteral("WPT%1").arg(row));
        table.setCell(RouteTable::ColLongitude, row, QStringLiteral("139.%1").arg(row));
        table.setCell(RouteTable::ColIcon, row, QString::number(row));
    }
}

QStringList cells(const RouteTable& table, int col, int first, int last) {
    QStringList texts;
    for (int row = first; row <= last; ++row)
        texts << table.cell(col, row);
    return texts;
}

QStringList words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void sequenceCode();
    void macrosRewriteRowsOneToN_data();
    void macrosRewriteRowsOneToN();
    void nameMacroLettersAbove99();
    void acceptWritesSelectedRow_data();
    void acceptWritesSelectedRow();
    void waypointCountFromText();
    void rowLoad_data();
    void rowLoad();
};

void TestEditor::sequenceCode() {
    const QStringList pairs = words("0:00 9:09 99:99 100:A0 109:A9 110:B0 123:C3 255:P5");
    for (const QString& pair : pairs)
        QCOMPARE(SequenceCode(pair.section(QLatin1Char(':'), 0, 0).toInt()),
                 pair.section(QLatin1Char(':'), 1));
}

void TestEditor::macrosRewriteRowsOneToN_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("empty, 5") << QString() << 5 << words("START TURN01 TURN02 TURN03 FINISH");
    QTest::newRow("RIVER1, 5") << QStringLiteral("RIVER1") << 5
                               << words("RIVE00 RIVE01 RIVE02 RIVE03 RIVE04");
    QTest::newRow("AB, 5") << QStringLiteral("AB") << 5 << words("AB00 AB01 AB02 AB03 AB04");
    QTest::newRow("empty, 1") << QString() << 1 << words("START");
    QTest::newRow("empty, 2") << QString() << 2 << words("START FINISH");
    QTest::newRow("RIVER1, 12") << QStringLiteral("RIVER1") << 12
                                << words("RIVE00 RIVE01 RIVE02 RIVE03 RIVE04 RIVE05 RIVE06 "
                                         "RIVE07 RIVE08 RIVE09 RIVE10 RIVE11");
}

// Both macros at once: every row 1 to n gets the macro name and the accepted icon; the
// accepted name stays in no row, and rows beyond the count keep their cells.
void TestEditor::macrosRewriteRowsOneToN() {
    QFETCH(QString, name);
    QFETCH(int, n);
    QFETCH(QStringList, names);
    RouteTable table;
    fill(table, n + 2);
    AcceptWaypoint(table, 1, name, 33, n, true, true);
    QCOMPARE(cells(table, RouteTable::ColName, 1, n), names);
    QCOMPARE(cells(table, RouteTable::ColIcon, 1, n), QStringList(n, QStringLiteral("33")));
    QCOMPARE(cells(table, RouteTable::ColName, n + 1, n + 2),
             QStringList({QStringLiteral("WPT%1").arg(n + 1), QStringLiteral("WPT%1").arg(n + 2)}));
    QCOMPARE(table.cell(RouteTable::ColIcon, n + 2), QString::number(n + 2));
    QCOMPARE(table.cell(RouteTable::ColName, 0), QStringLiteral("WPT Name"));
}

void TestEditor::nameMacroLettersAbove99() {
    RouteTable table;
    fill(table, 124);
    AcceptWaypoint(table, 1, QString(), 0, 124, false, true);
    QCOMPARE(cells(table, RouteTable::ColName, 100, 101), words("TURN99 TURNA0"));
    QCOMPARE(table.cell(RouteTable::ColName, 111), QStringLiteral("TURNB0"));
    QCOMPARE(table.cell(RouteTable::ColName, 124), QStringLiteral("FINISH"));
}

void TestEditor::acceptWritesSelectedRow_data() {
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("n");
    QTest::addColumn<bool>("iconMacro");
    QTest::addColumn<bool>("nameMacro");
    QTest::addColumn<QStringList>("icons"); // rows 1 to 5 afterwards
    QTest::newRow("one row") << 7 << 4 << false << false << words("1 7 3 4 5");
    QTest::newRow("icon macro") << 7 << 4 << true << false << words("7 7 7 7 5");
    QTest::newRow("none counted") << 7 << 0 << true << true << words("1 7 3 4 5");
    QTest::newRow("no entry selected") << -1 << 4 << true << false << words("1 2 3 4 5");
    QTest::newRow("beyond the list") << 45 << 4 << false << false << words("1 2 3 4 5");
}

void TestEditor::acceptWritesSelectedRow() {
    QFETCH(int, icon);
    QFETCH(int, n);
    QFETCH(bool, iconMacro);
    QFETCH(bool, nameMacro);
    QFETCH(QStringList, icons);
    RouteTable table;
    fill(table, 5);
    AcceptWaypoint(table, 2, QStringLiteral("ab 1"), icon, n, iconMacro, nameMacro);
    QCOMPARE(cells(table, RouteTable::ColIcon, 1, 5), icons);
    QCOMPARE(cells(table, RouteTable::ColName, 1, 3),
             QStringList({QStringLiteral("WPT1"), QStringLiteral("ab 1"), QStringLiteral("WPT3")}));
}

void TestEditor::waypointCountFromText() {
    QCOMPARE(WaypointCountFromText(QStringLiteral("124")), 124);
    QCOMPARE(WaypointCountFromText(QStringLiteral("300")), 44);
    bool refused = false;
    try {
        WaypointCountFromText(QStringLiteral("12x"));
    } catch (const RouteError&) {
        refused = true;
    }
    QVERIFY(refused);
}

void TestEditor::rowLoad_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("iconCell");
    QTest::addColumn<int>("iconIndex"); // -2: not loaded, -3: error
    QTest::newRow("icon 44") << 1 << QStringLiteral("44") << 44;
    QTest::newRow("leading blanks") << 1 << QStringLiteral("  7") << 7;
    QTest::newRow("45: no entry") << 1 << QStringLiteral("45") << -1;
    QTest::newRow("300: low 8 bits") << 1 << QStringLiteral("300") << 44;
    QTest::newRow("-1: counts as 255") << 1 << QStringLiteral("-1") << -1;
    QTest::newRow("empty icon cell") << 1 << QString() << -2;
    QTest::newRow("header row") << 0 << QStringLiteral("3") << -2;
    QTest::newRow("not an integer") << 1 << QStringLiteral("x1") << -3;
}

void TestEditor::rowLoad() {
    QFETCH(int, row);
    QFETCH(QString, iconCell);
    QFETCH(int, iconIndex);
    RouteTable table;
    fill(table, 2);
    table.setCell(RouteTable::ColName, row, QStringLiteral(" ab "));
    table.setCell(RouteTable::ColLatitude, row, QStringLiteral(" -35.5"));
    table.setCell(RouteTable::ColIcon, row, iconCell);
    const std::optional<EditorRow> shown = LoadWaypointRow(table, row);
    QCOMPARE(shown.has_value(), iconIndex != -2);
    if (!shown)
        return;
    QCOMPARE(shown->name, QStringLiteral(" ab "));
    QCOMPARE(shown->latitude, QStringLiteral(" -35.5"));
    QCOMPARE(shown->longitude, QStringLiteral("139.1"));
    QCOMPARE(shown->iconText, iconCell);
    try {
        QCOMPARE(EditorIconIndex(shown->iconText), iconIndex);
    } catch (const RouteError& error) {
        QCOMPARE(error.text(), QStringLiteral("'x1' is not a valid integer value"));
        QCOMPARE(iconIndex, -3);
    }
}

QTEST_GUILESS_MAIN(TestEditor)
#include "tst_editor.moc"
