// SPDX-License-Identifier: GPL-3.0-or-later
// The icon sheet, the picker's red highlight and preview, and icons drawn into other
// pictures, checked pixel by pixel.
#include "editing/IconPicker.h"
#include "editing/IconSheet.h"

#include <QPainter>
#include <QtTest>

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Grey = qRgb(128, 128, 128);

QImage filled(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The clean sheet with the red square, a 25 x 25 one-pixel frame, at origin; none for (0, 0).
QImage withSquare(const QImage& clean, QPoint origin) {
    QImage image = clean;
    for (int i = 0; origin != QPoint(0, 0) && i <= 24; ++i) {
        image.setPixel(origin + QPoint(i, 0), Red);
        image.setPixel(origin + QPoint(i, 24), Red);
        image.setPixel(origin + QPoint(0, i), Red);
        image.setPixel(origin + QPoint(24, i), Red);
    }
    return image;
}

} // namespace

class TestIconSheet : public QObject {
    Q_OBJECT
private slots:
    void everyIconHasItsCellAndListEntry();
    void redSquareAndPreviewShowOnlyTheChoice_data();
    void redSquareAndPreviewShowOnlyTheChoice();
    void clickPicksIcon();
    void drawnIconIsTheCellOrBlank_data();
    void drawnIconIsTheCellOrBlank();

private:
    IconSheet m_sheet;
};

// Each icon is drawn at double size inside its cell's white border and has the list entry
// of its number; outside the cells the sheet is white.
void TestIconSheet::everyIconHasItsCellAndListEntry() {
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
        QCOMPARE(icon.convertToFormat(QImage::Format_Mono).convertToFormat(icon.format()), icon);
        QVERIFY2(icon != filled(24, 24, White), qPrintable(QString::number(n)));
    }
    painter.end();
    QCOMPARE(outside, filled(220, 128, White));
}

void TestIconSheet::redSquareAndPreviewShowOnlyTheChoice_data() {
    QTest::addColumn<QList<int>>("choices"); // the list's selections in turn
    QTest::addColumn<QPoint>("origin");
    QTest::newRow("nothing chosen yet") << QList<int>{} << QPoint(0, 0);
    QTest::newRow("0 after 3") << QList<int>{3, 0} << QPoint(2, 2);
    QTest::newRow("9 after 0") << QList<int>{0, 9} << QPoint(2, 26);
    QTest::newRow("44 after 35") << QList<int>{35, 44} << QPoint(194, 98);
    // 11's square runs along icon 12's left edge.
    QTest::newRow("12 after 11") << QList<int>{11, 12} << QPoint(74, 26);
    QTest::newRow("no entry after 5") << QList<int>{5, -1} << QPoint(0, 0);
    QTest::newRow("45 after 5") << QList<int>{5, 45} << QPoint(0, 0);
    QTest::newRow("7 after no entry") << QList<int>{5, -1, 7} << QPoint(170, 2);
}

void TestIconSheet::redSquareAndPreviewShowOnlyTheChoice() {
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
void TestIconSheet::clickPicksIcon() {
    const std::pair<QPoint, int> clicks[] = {{{30, 5}, 1},  {{100, 60}, 22}, {{100, 125}, -1},
                                             {{23, 23}, 0}, {{24, 0}, 1},    {{215, 119}, 44},
                                             {{216, 5}, 8}, {{217, 100}, 44}};
    for (const auto& [click, icon] : clicks)
        QCOMPARE(IconPicker::indexAt(click.x(), click.y()), icon);
}

void TestIconSheet::drawnIconIsTheCellOrBlank_data() {
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
void TestIconSheet::drawnIconIsTheCellOrBlank() {
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

QTEST_MAIN(TestIconSheet)
#include "tst_iconsheet.moc"
