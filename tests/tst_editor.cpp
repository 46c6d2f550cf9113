// SPDX-License-Identifier: GPL-3.0-or-later
// The waypoint editor on the route table: the input check, Accept with its two macros, and
// the warning about names the device will not take; the icon sheet, the picker's red square
// and preview, and icons drawn into other pictures, checked pixel by pixel; edits undone and
// redone.
#include "editing/IconPicker.h"
#include "editing/IconSheet.h"
#include "editing/RouteEdits.h"
#include "editing/SequenceCode.h"
#include "editing/WaypointEditor.h"
#include "editing/WaypointValidation.h"
#include "files/RouteFileWriter.h"
#include "files/RouteImport.h"
#include "route/CellNumber.h"
#include "route/DeviceText.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QUndoStack>
#include <QtTest>

namespace {

// A table of `count` waypoints named WPT1.. with icons 1.., and two spare rows below.
void fill(RouteTable& table, int count) {
    table.setRowCount(count + 3);
    table.writeHeaderRow();
    for (int row = 1; row <= count; ++row) {
        table.setCell(RouteTable::ColName, row, QStringLiteral("WPT%1").arg(row));
        table.setCell(RouteTable::ColIcon, row, QString::number(row));
    }
}

QString column(const RouteTable& table, int col, int last) {
    QStringList texts;
    for (int row = 1; row <= last; ++row)
        texts << table.cell(col, row);
    return texts.join(QLatin1Char(' '));
}

const QRgb White = qRgb(255, 255, 255);
const QRgb Grey = qRgb(128, 128, 128);

QImage filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The clean sheet with the red square, a 25 x 25 one-pixel frame, at origin; none for (0, 0).
QImage withSquare(const QImage& clean, QPoint origin) {
    QImage image = clean;
    QPainter painter(&image);
    painter.setPen(Qt::red);
    if (!origin.isNull())
        painter.drawRect(QRect(origin, QSize(24, 24)));
    painter.end();
    return image;
}

} // namespace

class TestEditor : public QObject {
    Q_OBJECT
private slots:
    // Text in, the first failing rule's message out: name, then latitude, then longitude.
    void inputCheck_data() {
        QTest::addColumn<QStringList>("texts"); // name, latitude, longitude, message
        // Expected: "" passes, else "Rule Field" of "Input Rule Error (Field)!".
        // clang-format off
        const char* const rows[][4] = {
            {"ABCDEFG", "", "", "Length Name"},       {"ABCDEF!", "", "", "Length Name"},
            {" \t\x1f 09AZaz \r\n", "", "", ""},      {"\xa0Z", "", "", "Char Name"},
            {"AB\xe9", "", "", "Char Name"},          {"A\x01" "C", "", "", "Char Name"},
            {"", "+90.000000", "", ""},               {"", "90.000001", "", "Range Latitude"},
            {"", "-90.000001", "", "Range Latitude"}, {"", "12.1234567", "", "Length Latitude"},
            {"", " -12.123456 ", "", ""},             {"", "12,5", "", "Char Latitude"},
            {"", "+-5", "", "Char Latitude"},         {"", "-", ".", ""},
            {"", "90.0.1", "", ""},                   {"", "90.1.5", "", "Range Latitude"},
            {"", "", "-180.000000", ""},              {"", "", "180.000001", "Range Longitude"},
            {"", "", "179.1234567", "Length Longitude"}, {"", "", "12a", "Char Longitude"},
            {"", "", "1234567890", "Range Longitude"}, {"A-B", "91", "", "Char Name"},
            {"", "91", "181", "Range Latitude"},      {"", "-90.", "+.5", ""},
            {"", "090.00001", "", "Range Latitude"},  {"", "", "e1", "Char Longitude"}};
        // clang-format on
        for (const auto& r : rows) {
            const QStringList rule = QString::fromLatin1(r[3]).split(QLatin1Char(' '));
            QTest::addRow("%s|%s|%s", r[0], r[1], r[2]) << QStringList{
                QString::fromLatin1(r[0]), QString::fromLatin1(r[1]), QString::fromLatin1(r[2]),
                rule.size() < 2 ? QString()
                                : QStringLiteral("Input %1 Error (%2)!").arg(rule[0], rule[1])};
        }
    }
    void inputCheck() {
        QFETCH(QStringList, texts);
        QCOMPARE(ValidateWaypointInput(texts[0], texts[1], texts[2]), texts[3]);
    }

    // One Accept on six waypoints (a plain edit and both macros on a route are driven through
    // the window and the command line): the loaded row (0: none), the name, the icon entry (-1:
    // none), the count and the macro boxes checked (I: icon, N: name); then the names and
    // icons of rows 1 to 6.
    void acceptWritesRowOrMacros_data() {
        QTest::addColumn<QString>("accept");
        QTest::addColumn<QString>("result");
        const QString row2 = "WPT1 AB1 WPT3 WPT4 WPT5 WPT6|",
                      all = "WPT1 WPT2 WPT3 WPT4 WPT5 WPT6|";
        const QString five = "33 33 33 33 33 6";
        const std::tuple<const char*, const char*, QString> rows[] = {
            {"none counted", "2|AB1|7|0|IN", row2 + "1 7 3 4 5 6"},
            {"no entry", "2|AB1|-1|4|I", row2 + "1 2 3 4 5 6"},
            {"beyond the list", "2|AB1|45|4|I", row2 + "1 2 3 4 5 6"},
            {"no row loaded", "0|AB1|7|4|", all + "1 2 3 4 5 6"},
            {"prefix RIVER1", "1|RIVER1|33|5|IN",
             "RIVE00 RIVE01 RIVE02 RIVE03 RIVE04 WPT6|" + five},
            {"prefix AB", "1|AB|0|5|IN", "AB00 AB01 AB02 AB03 AB04 WPT6|0 0 0 0 0 6"},
            {"two", "1||44|2|IN", "START FINISH WPT3 WPT4 WPT5 WPT6|44 44 3 4 5 6"}};
        for (const auto& [tag, accept, result] : rows)
            QTest::newRow(tag) << QString::fromLatin1(accept) << result;
    }
    void acceptWritesRowOrMacros() {
        QFETCH(QString, accept);
        QFETCH(QString, result);
        const QStringList a = accept.split(QLatin1Char('|'));
        RouteTable table;
        fill(table, 6);
        QStringList before;
        for (int row = 0; row < table.rows(); ++row)
            for (int col = 0; col < table.columns(); ++col)
                before << table.cell(col, row);
        QSignalSpy changed(&table, &RouteTable::dataChanged);
        QSignalSpy header(&table, &RouteTable::headerDataChanged);
        AcceptWaypoint(table, a[0].toInt(), a[1], a[2].toInt(), a[3].toInt(),
                       a[4].contains(QLatin1Char('I')), a[4].contains(QLatin1Char('N')));
        QCOMPARE(column(table, RouteTable::ColName, 6) + "|" +
                     column(table, RouteTable::ColIcon, 6),
                 result);
        QCOMPARE(table.cell(RouteTable::ColName, 0), QStringLiteral("WPT Name"));
        // The grid repaints what changed: every changed cell is signalled at its own place.
        QList<QModelIndex> edited, signalled;
        for (int i = 0; i < before.size(); ++i)
            if (table.cell(i % table.columns(), i / table.columns()) != before.at(i))
                edited << table.index(i / table.columns() - 1, i % table.columns());
        for (const QList<QVariant>& signal : changed)
            signalled << signal.at(0).toModelIndex() << signal.at(1).toModelIndex();
        for (const QModelIndex& at : edited)
            QVERIFY2(signalled.contains(at), qPrintable(QString::number(at.row() + 1)));
        QCOMPARE(header.count(), 0);
    }

    // The name macro numbers on past 99 with a letter for the tens.
    void sequenceCodes() {
        QStringList codes;
        for (int i : {0, 9, 10, 99, 100, 109, 110, 255, 256})
            codes << SequenceCode(i);
        QCOMPARE(codes.join(QLatin1Char(' ')), QStringLiteral("00 09 10 99 A0 A9 B0 P5 00"));
    }

    // An "Icon" cell as the editor's icon list reads it: decimal, low 8 bits, 0 to 44.
    void iconCells_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("index"); // -2: not a valid integer
        QTest::addColumn<int>("count"); // as the Total Points field reads it
        // clang-format off
        const std::tuple<const char*, int, int> rows[] = {
            {"44", 44, 44},          {"  +7", 7, 7},    {"45", -1, 45},   {"300", 44, 44},
            {"-1", -1, 255},         {"-2147483648", 0, 0},               {"2147483648", -2, 0},
            {"-2147483649", -2, 0},  {"2147483647", -1, 255},             {"x1", -2, 0},
            {"5 ", -2, 0},           {"", -2, 0},       {"-", -2, 0},     {"+-5", -2, 0},
            {"  ", -2, 0},           {"\t5", -2, 0},    {"- 5", -2, 0},   {"\xb2", -2, 0},
            {"000000000000000000044", 44, 44}};
        // clang-format on
        for (const auto& [cell, index, count] : rows)
            QTest::addRow("'%s'", cell) << QString::fromLatin1(cell) << index << count;
    }
    void iconCells() {
        QFETCH(QString, cell);
        QFETCH(int, index);
        QFETCH(int, count);
        try {
            QCOMPARE(EditorIconIndex(cell), index);
            QCOMPARE(WaypointCountFromText(cell), count);
        } catch (const RouteError& error) {
            QCOMPARE(index, -2);
            QCOMPARE(error.text(), QStringLiteral("'%1' is not a valid integer value").arg(cell));
        }
    }

    // The first three misfits are named; names beyond the waypoint count are not the route's.
    void deviceNameWarning() {
        RouteTable table;
        fill(table, 7);
        const QStringList names = QString::fromLatin1("A|RIVE00|Bern Bahnhof|Caf\xe9|a_b|TURN\x80")
                                      .split(QLatin1Char('|'));
        for (int i = 0; i < names.size(); ++i)
            table.setCell(RouteTable::ColName, i + 1, names.at(i));
        QCOMPARE(DeviceNameWarning(table, 2), QString());
        QCOMPARE(DeviceNameWarning(table, 6),
                 QString::fromUtf8("4 waypoint names do not fit the device (at most 6 characters "
                                   "of blank, 0-9, A-Z, a-z): Bern Bahnhof, Café, a_b, ... The "
                                   "Waypoint Name Change Macro renames them all."));
    }

    // Each icon is drawn at double size inside its cell's white border and has the list entry
    // of its number; outside the cells the sheet is white.
    void everyIconHasItsCellAndListEntry() {
        const QImage& image = m_sheet.image();
        const QStringList entries = IconListEntries();
        QCOMPARE(entries.size(), IconCount);
        QCOMPARE(entries.at(0) + entries.at(44), QStringLiteral("0  Star       44 Parking"));
        QImage outside = image; // the sheet with the inside of every cell's white border blanked
        QPainter painter(&outside);
        for (int n = 0; n < IconCount; ++n) {
            QVERIFY(entries.at(n).startsWith(QString::number(n) + QLatin1Char(' ')));
            const QRect cell = IconSheet::IconCell(n);
            painter.fillRect(cell.adjusted(2, 2, 0, -2), Qt::white);
            const QImage icon = image.copy(cell);
            // Each design pixel is a 2 x 2 block, black or white, and some are black.
            QCOMPARE(icon, icon.scaled(12, 12).scaled(24, 24));
            QCOMPARE(icon.convertToFormat(QImage::Format_Mono).convertToFormat(icon.format()),
                     icon);
            QVERIFY2(icon != filled(24, 24, White), qPrintable(QString::number(n)));
        }
        painter.end();
        QCOMPARE(outside, filled(220, 128, White));
    }

    void redSquareAndPreviewShowOnlyTheChoice_data() {
        QTest::addColumn<QList<int>>("choices"); // the list's selections in turn
        QTest::addColumn<QPoint>("origin");
        QTest::newRow("nothing chosen yet") << QList<int>{} << QPoint(0, 0);
        QTest::newRow("0 after 3") << QList<int>{3, 0} << QPoint(2, 2);
        // 11's square runs along icon 12's left edge.
        QTest::newRow("12 after 11") << QList<int>{11, 12} << QPoint(74, 26);
        QTest::newRow("no entry after 5") << QList<int>{5, -1} << QPoint(0, 0);
        QTest::newRow("45 after 5") << QList<int>{5, 45} << QPoint(0, 0);
        QTest::newRow("7 after no entry") << QList<int>{5, -1, 7} << QPoint(170, 2);
    }

    void redSquareAndPreviewShowOnlyTheChoice() {
        QFETCH(QList<int>, choices);
        QFETCH(QPoint, origin);
        IconPicker picker(m_sheet);
        for (int k : choices)
            picker.change(k);
        const int chosen = origin.isNull() ? -1 : choices.last();
        QCOMPARE(picker.highlightOrigin(), origin);
        QCOMPARE(picker.pickerImage(), withSquare(m_sheet.image(), origin));
        QCOMPARE(picker.preview(), chosen < 0 ? filled(24, 24, White)
                                              : m_sheet.image().copy(IconSheet::IconCell(chosen)));
    }

    // Each cell answers to its 24 x 24 pixels; the two columns beyond the last cells belong to
    // them, the rows below the icons to none.
    void clickPicksIcon() {
        const std::pair<QPoint, int> clicks[] = {{{30, 5}, 1},  {{100, 60}, 22}, {{100, 125}, -1},
                                                 {{23, 23}, 0}, {{24, 0}, 1},    {{215, 119}, 44},
                                                 {{216, 5}, 8}, {{217, 100}, 44}};
        for (const auto& [click, icon] : clicks)
            QCOMPARE(IconPicker::indexAt(click.x(), click.y()), icon);
        // Typed text picks an entry by its number or the start of its text.
        const std::pair<const char*, int> typed[] = {{"0", 0},      {" 44 ", 44}, {"45", -1},
                                                     {"resta", 39}, {"Zz", -1},   {"", -1}};
        for (const auto& [text, icon] : typed)
            QCOMPARE(IconEntryForText(QString::fromLatin1(text)), icon);
    }

    void drawnIconIsTheCellOrBlank_data() {
        QTest::addColumn<QRect>("cellRect"); // of the table
        QTest::addColumn<int>("icon");
        QTest::newRow("bridge in the first cell") << QRect(0, 0, 53, 20) << 12;
        QTest::newRow("bridge lower down, taller cell") << QRect(300, 41, 53, 24) << 12;
        QTest::newRow("parking, wider cell") << QRect(7, 3, 60, 20) << 44;
        for (int n : {45, 53, 54, 255, -1})
            QTest::addRow("%d: no icon", n) << QRect(7, 3, 53, 20) << n;
    }

    // Full size, as the preview and the overview draw, and half size at the table cell's right
    // end, 2 pixels in and centred top to bottom, with nothing else of the cell drawn over.
    void drawnIconIsTheCellOrBlank() {
        QFETCH(QRect, cellRect);
        QFETCH(int, icon);
        const bool blank = icon < 0 || icon >= IconCount;
        const QImage sheet = blank ? filled(220, 128, White) : m_sheet.image();
        const QRect cell = IconSheet::IconCell(blank ? 0 : icon);

        QImage full = filled(24, 24, Grey);
        QImage grid = filled(cellRect.right() + 10, cellRect.bottom() + 10, Grey);
        {
            QPainter painter(&full);
            DrawSheetIcon(painter, m_sheet.image(), icon, full.rect());
            QPainter table(&grid);
            DrawTableIcon(table, m_sheet.image(), cellRect, icon);
        }
        QCOMPARE(full, sheet.copy(cell));
        QImage expected = filled(grid.width(), grid.height(), Grey);
        QPainter(&expected).drawImage(QPoint(cellRect.right() - 13, cellRect.center().y() - 5),
                                      sheet.copy(cell).scaled(12, 12));
        QCOMPARE(grid, expected);
    }

    // Undo and redo over random edits of routes read from real files: undoing all gives
    // back what Save wrote before the first edit, redoing all what it wrote after the last,
    // and undoing half what it wrote after the first half.
    void undoAndRedoGiveBackWhatSaveWrites_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("route");
        QTest::addRow("lake shore") << RV58_TEST_DATA "/../../examples/lake-shore.gpx" << 1;
        QTest::addRow("second route") << RV58_TEST_DATA "/two_routes.gpx" << 2;
        QTest::addRow("a track") << RV58_TEST_DATA "/mixed.gpx" << 2;
        QTest::addRow("124 points fitted") << RV58_TEST_DATA "/long_125.gpx" << 1;
    }
    void undoAndRedoGiveBackWhatSaveWrites() {
        QFETCH(QString, file);
        QFETCH(int, route);
        RouteTable table;
        RouteState state;
        QString routeName;
        RouteLoader loader;
        loader.open(file);
        loader.waitForStep();
        loader.choose(route, true);
        loader.waitForStep();
        QCOMPARE(loader.stage(), RouteLoader::Stage::Ready);
        loader.takeOver(table, routeName, state);
        const int n = state.waypointCount();
        auto save = [&] { return RebuildRouteLines(state, table, routeName.trimmed()); };
        QRandomGenerator random{quint32(n)};
        auto name = [&random](int most) {
            static const char chars[] = " 09AZaz";
            QString text;
            for (int i = int(random.bounded(most + 1)); i > 0; --i)
                text += QLatin1Char(chars[random.bounded(int(sizeof chars) - 1)]);
            return text;
        };
        for (int run = 0; run < 10; ++run) {
            QUndoStack stack;
            QList<QByteArray> saved{save()};
            for (int step = 0; step < 12; ++step) {
                const int kind = int(random.bounded(4));
                const QString text = name(kind == 3 ? 11 : 6);
                std::unique_ptr<QUndoCommand> edit =
                    kind == 3
                        ? RouteNameEdit(routeName, QLatin1Char('R') + text,
                                        [&routeName](const QString& t) { routeName = t; })
                        : AcceptAsEdit(table, int(random.bounded(n)) + 1, text.trimmed(),
                                       int(random.bounded(45)), n, kind == 1, kind == 2, {}, {});
                if (edit) { // an Accept that changed no cell is no step
                    stack.push(edit.release());
                    saved << save();
                }
            }
            const int half = stack.count() / 2;
            stack.setIndex(0);
            QCOMPARE(save(), saved.first());
            stack.setIndex(stack.count());
            QCOMPARE(save(), saved.last());
            stack.setIndex(half);
            QCOMPARE(save(), saved.at(half));
            stack.setIndex(stack.count());
        }
    }

private:
    IconSheet m_sheet;
};

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"
