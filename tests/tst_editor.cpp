// The waypoint editor on the route table: row load, Accept, and the two macros.
#include "editing/SequenceCode.h"
#include "editing/WaypointEditor.h"
#include "route/CellNumber.h"
#include "route/DeviceText.h"
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

// One Accept: the checked name and icon entry, the count and the two macro boxes, and the
// names and icons rows 1 to 6 hold afterwards.
struct AcceptCase {
    int selected; // the loaded row, 0 for none
    const char* name;
    int icon; // -1: no entry selected
    int n;
    bool iconMacro, nameMacro;
    const char* names;
    const char* icons;
};

} // namespace

Q_DECLARE_METATYPE(AcceptCase)

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    void acceptWritesRowOrMacros_data();
    void acceptWritesRowOrMacros();
    void sequenceCodesAbove99();
    void waypointCountFromText();
    void rowLoad_data();
    void rowLoad();
    void deviceNameWarning_data();
    void deviceNameWarning();
};

void TestEditor::acceptWritesRowOrMacros_data() {
    QTest::addColumn<AcceptCase>("accept");
    auto row = [](const char* tag, const AcceptCase& accept) { QTest::newRow(tag) << accept; };
    const char* accepted = "WPT1 AB1 WPT3 WPT4 WPT5 WPT6";
    const char* unchanged = "1 2 3 4 5 6";
    row("one row", {2, "AB1", 7, 4, false, false, accepted, "1 7 3 4 5 6"});
    row("icon macro", {2, "AB1", 7, 4, true, false, accepted, "7 7 7 7 5 6"});
    row("none counted", {2, "AB1", 7, 0, true, true, accepted, "1 7 3 4 5 6"});
    row("no entry selected", {2, "AB1", -1, 4, true, false, accepted, unchanged});
    row("beyond the list", {2, "AB1", 45, 4, false, false, accepted, unchanged});
    row("no row loaded",
        {0, "AB1", 7, 4, false, false, "WPT1 WPT2 WPT3 WPT4 WPT5 WPT6", unchanged});
    // Both macros: rows 1 to n get the macro names and the icon, the accepted name stays in
    // no row.
    const char* five = "33 33 33 33 33 6";
    row("START to FINISH",
        {1, "", 33, 5, true, true, "START TURN01 TURN02 TURN03 FINISH WPT6", five});
    row("prefix RIVER1",
        {1, "RIVER1", 33, 5, true, true, "RIVE00 RIVE01 RIVE02 RIVE03 RIVE04 WPT6", five});
    row("prefix AB", {1, "AB", 33, 5, true, true, "AB00 AB01 AB02 AB03 AB04 WPT6", five});
    row("one waypoint",
        {1, "", 33, 1, true, true, "START WPT2 WPT3 WPT4 WPT5 WPT6", "33 2 3 4 5 6"});
    row("two waypoints",
        {1, "", 33, 2, true, true, "START FINISH WPT3 WPT4 WPT5 WPT6", "33 33 3 4 5 6"});
}

void TestEditor::acceptWritesRowOrMacros() {
    QFETCH(AcceptCase, accept);
    RouteTable table;
    fill(table, 6);
    AcceptWaypoint(table, accept.selected, QString::fromLatin1(accept.name), accept.icon, accept.n,
                   accept.iconMacro, accept.nameMacro);
    QCOMPARE(cells(table, RouteTable::ColName, 0, 6),
             QStringList(QStringLiteral("WPT Name")) + words(accept.names));
    QCOMPARE(cells(table, RouteTable::ColIcon, 0, 6), words("Icon") + words(accept.icons));
}

// The name macro numbers on past 99 with a letter for the tens.
void TestEditor::sequenceCodesAbove99() {
    RouteTable table;
    fill(table, 124);
    AcceptWaypoint(table, 1, QString(), 0, 124, false, true);
    QCOMPARE(cells(table, RouteTable::ColName, 100, 101), words("TURN99 TURNA0"));
    QCOMPARE(table.cell(RouteTable::ColName, 111), QStringLiteral("TURNB0"));
    QCOMPARE(table.cell(RouteTable::ColName, 124), QStringLiteral("FINISH"));
    QCOMPARE(SequenceCode(109), QStringLiteral("A9"));
    QCOMPARE(SequenceCode(255), QStringLiteral("P5"));
}

void TestEditor::waypointCountFromText() {
    QCOMPARE(WaypointCountFromText(QStringLiteral("124")), 124);
    QCOMPARE(WaypointCountFromText(QStringLiteral("300")), 44);
    QVERIFY_THROWS_EXCEPTION(RouteError, WaypointCountFromText(QStringLiteral("12x")));
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
    QCOMPARE(QStringList({shown->name, shown->latitude, shown->longitude, shown->iconText}),
             QStringList({" ab ", " -35.5", "139.1", iconCell}));
    try {
        QCOMPARE(EditorIconIndex(shown->iconText), iconIndex);
    } catch (const RouteError& error) {
        QCOMPARE(error.text(), QStringLiteral("'x1' is not a valid integer value"));
        QCOMPARE(iconIndex, -3);
    }
}

void TestEditor::deviceNameWarning_data() {
    QTest::addColumn<QString>("names"); // of rows 1.., '|' between them
    QTest::addColumn<QString>("warning");
    const QString rule = QStringLiteral(
        "the device (at most 6 characters of blank, 0-9, A-Z, a-z): %1 The Waypoint Name Change "
        "Macro renames them all.");
    QTest::newRow("all fit") << QStringLiteral("START|Ab 9|RIVE00|") << QString();
    QTest::newRow("seven characters")
        << QStringLiteral("ABCDEFG|OK")
        << QStringLiteral("1 waypoint name does not fit ") + rule.arg(QStringLiteral("ABCDEFG."));
    QTest::newRow("first three named")
        << QString::fromLatin1("A|Bern Bahnhof|Caf\xe9|a_b|TURN\x80")
        << QStringLiteral("4 waypoint names do not fit ") +
               rule.arg(QString::fromUtf8("Bern Bahnhof, Café, a_b, ..."));
}

// Names beyond the waypoint count are not the route's and are left out.
void TestEditor::deviceNameWarning() {
    QFETCH(QString, names);
    QFETCH(QString, warning);
    const QStringList rows = names.split(QLatin1Char('|'));
    RouteTable table;
    fill(table, int(rows.size()) + 1);
    for (int i = 0; i < rows.size(); ++i)
        table.setCell(RouteTable::ColName, i + 1, rows.at(i));
    table.setCell(RouteTable::ColName, int(rows.size()) + 1, QStringLiteral("NOT IN THE ROUTE"));
    QCOMPARE(DeviceNameWarning(table, int(rows.size())), warning);
}

QTEST_GUILESS_MAIN(TestEditor)
#include "tst_editor.moc"
