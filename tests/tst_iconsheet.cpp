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

bool onSquare(QPoint p, QPoint origin) {
    const int dx = p.x() - origin.x();
    const int dy = p.y() - origin.y();
    return dx >= 0 && dx <= 24 && dy >= 0 && dy <= 24 &&
           (dx == 0 || dx == 24 || dy == 0 || dy == 24);
}

// The first pixel where the picker differs from the clean sheet with a red square at
// origin (no square for origin (0, 0)), or "" when there is none.
QString squareMismatch(const QImage& picker, const QImage& clean, QPoint origin) {
    for (int y = 0; y < clean.height(); ++y) {
        for (int x = 0; x < clean.width(); ++x) {
            const bool red = origin != QPoint(0, 0) && onSquare(QPoint(x, y), origin);
            const QRgb expected = red ? Red : clean.pixel(x, y);
            if (picker.pixel(x, y) != expected)
                return QStringLiteral("pixel (%1, %2) is %3")
                    .arg(x)
                    .arg(y)
                    .arg(picker.pixel(x, y), 0, 16);
        }
    }
    return QString();
}

// A grey picture holding the cell, with one DrawTableIcon call on it.
QImage tableCell(const IconSheet& sheet, const QRect& cellRect, int iconNumber) {
    QImage grid(cellRect.right() + 10, cellRect.bottom() + 10, QImage::Format_RGB32);
    grid.fill(Grey);
    QPainter painter(&grid);
    DrawTableIcon(painter, sheet.image(), cellRect, iconNumber);
    return grid;
}

} // namespace

class TestIconSheet : public QObject {
    Q_OBJECT
private slots:
    void sheetHasEveryIconInsideWhiteBorders();
    void listEntriesAreInIconOrder();
    void redSquareFramesOnlyTheChosenIcon_data();
    void redSquareFramesOnlyTheChosenIcon();
    void previewIsTheCleanCell();
    void noEntryLeavesNoSquareAndABlankPreview();
    void clickPicksIcon_data();
    void clickPicksIcon();
    void tableIconIsTheHalfSizeCell_data();
    void tableIconIsTheHalfSizeCell();
    void numbersWithoutIconDrawBlank_data();
    void numbersWithoutIconDrawBlank();

private:
    IconSheet m_sheet;
};

void TestIconSheet::sheetHasEveryIconInsideWhiteBorders() {
    const QImage& image = m_sheet.image();
    QCOMPARE(image.size(), QSize(220, 128));
    QCOMPARE(image.format(), QImage::Format_RGB32);
    QRegion cells;
    for (int n = 0; n < IconCount; ++n)
        cells += IconSheet::IconCell(n);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY2(pixel == White || pixel == Black,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            if (!cells.contains(QPoint(x, y)))
                QVERIFY2(pixel == White, qPrintable(QStringLiteral("margin %1,%2").arg(x).arg(y)));
        }
    }
    for (int n = 0; n < IconCount; ++n) {
        const QRect cell = IconSheet::IconCell(n);
        int black = 0;
        for (int dy = 0; dy < 24; ++dy) {
            for (int dx = 0; dx < 24; ++dx) {
                const QRgb pixel = image.pixel(cell.x() + dx, cell.y() + dy);
                // Each design pixel is a 2 x 2 block.
                QCOMPARE(pixel, image.pixel(cell.x() + (dx & ~1), cell.y() + (dy & ~1)));
                if (pixel == Black) {
                    ++black;
                    QVERIFY2(dx >= 2 && dy >= 2 && dy <= 21,
                             qPrintable(QStringLiteral("icon %1 at %2,%3").arg(n).arg(dx).arg(dy)));
                }
            }
        }
        QVERIFY2(black > 0, qPrintable(QStringLiteral("icon %1 is blank").arg(n)));
    }
}

void TestIconSheet::listEntriesAreInIconOrder() {
    const QStringList entries = IconListEntries();
    QCOMPARE(entries.size(), IconCount);
    for (int k = 0; k < IconCount; ++k)
        QVERIFY(entries.at(k).startsWith(QString::number(k) + QLatin1Char(' ')));
    QCOMPARE(entries.at(0), QStringLiteral("0  Star       "));
    QCOMPARE(entries.at(44), QStringLiteral("44 Parking"));
}

void TestIconSheet::redSquareFramesOnlyTheChosenIcon_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QPoint>("origin");
    QTest::newRow("0 after 3") << 3 << 0 << QPoint(2, 2);
    QTest::newRow("9 after 0") << 0 << 9 << QPoint(2, 26);
    QTest::newRow("44 after 35") << 35 << 44 << QPoint(194, 98);
    QTest::newRow("40 after 3") << 3 << 40 << QPoint(98, 98);
}

void TestIconSheet::redSquareFramesOnlyTheChosenIcon() {
    QFETCH(int, before);
    QFETCH(int, chosen);
    QFETCH(QPoint, origin);
    IconPicker picker(m_sheet);
    picker.change(before);
    picker.change(chosen);
    QCOMPARE(picker.highlightOrigin(), origin);
    QCOMPARE(squareMismatch(picker.pickerImage(), m_sheet.image(), origin), QString());
}

void TestIconSheet::previewIsTheCleanCell() {
    IconPicker picker(m_sheet);
    picker.change(11); // its square runs along icon 12's left edge
    picker.change(12);
    QCOMPARE(picker.preview(), m_sheet.image().copy(IconSheet::IconCell(12)));
}

void TestIconSheet::noEntryLeavesNoSquareAndABlankPreview() {
    IconPicker picker(m_sheet);
    QImage blank(24, 24, QImage::Format_RGB32);
    blank.fill(White);
    QCOMPARE(picker.preview(), blank);
    picker.change(5);
    picker.change(-1);
    QCOMPARE(picker.highlightOrigin(), QPoint(0, 0));
    QCOMPARE(squareMismatch(picker.pickerImage(), m_sheet.image(), QPoint(0, 0)), QString());
    QCOMPARE(picker.preview(), blank);
    picker.change(7);
    QCOMPARE(squareMismatch(picker.pickerImage(), m_sheet.image(), QPoint(170, 2)), QString());
}

void TestIconSheet::clickPicksIcon_data() {
    QTest::addColumn<QPoint>("click");
    QTest::addColumn<int>("icon");
    QTest::newRow("(30, 5): Flag Post") << QPoint(30, 5) << 1;
    QTest::newRow("(100, 60): Church") << QPoint(100, 60) << 22;
    QTest::newRow("(100, 125): below the icons") << QPoint(100, 125) << -1;
    QTest::newRow("(23, 23)") << QPoint(23, 23) << 0;
    QTest::newRow("(24, 0)") << QPoint(24, 0) << 1;
    QTest::newRow("(215, 119)") << QPoint(215, 119) << 44;
    QTest::newRow("(216, 5): last column") << QPoint(216, 5) << 8;
    QTest::newRow("(217, 100): last column") << QPoint(217, 100) << 44;
    QTest::newRow("(5, 120)") << QPoint(5, 120) << -1;
}

void TestIconSheet::clickPicksIcon() {
    QFETCH(QPoint, click);
    QFETCH(int, icon);
    QCOMPARE(IconPicker::indexAt(click.x(), click.y()), icon);
}

void TestIconSheet::tableIconIsTheHalfSizeCell_data() {
    QTest::addColumn<QRect>("cellRect");
    QTest::addColumn<int>("icon");
    QTest::newRow("bridge in the first cell") << QRect(0, 0, 53, 20) << 12;
    QTest::newRow("bridge lower down") << QRect(300, 41, 53, 20) << 12;
    QTest::newRow("parking") << QRect(7, 3, 53, 20) << 44;
}

void TestIconSheet::tableIconIsTheHalfSizeCell() {
    QFETCH(QRect, cellRect);
    QFETCH(int, icon);
    const QImage grid = tableCell(m_sheet, cellRect, icon);
    const QRect square(cellRect.topLeft() + QPoint(20, 4), QSize(12, 12));
    const QRect cell = IconSheet::IconCell(icon);
    for (int y = 0; y < grid.height(); ++y) {
        for (int x = 0; x < grid.width(); ++x) {
            const QRgb expected = square.contains(x, y)
                                      ? m_sheet.image().pixel(cell.x() + 2 * (x - square.x()),
                                                              cell.y() + 2 * (y - square.y()))
                                      : Grey;
            QVERIFY2(grid.pixel(x, y) == expected,
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
}

void TestIconSheet::numbersWithoutIconDrawBlank_data() {
    QTest::addColumn<int>("icon");
    for (int n : {45, 53, 54, 100, 255, -1})
        QTest::addRow("%d", n) << n;
}

void TestIconSheet::numbersWithoutIconDrawBlank() {
    QFETCH(int, icon);
    QImage full(24, 24, QImage::Format_RGB32);
    full.fill(Grey);
    {
        QPainter painter(&full);
        DrawSheetIcon(painter, m_sheet.image(), icon, full.rect());
    }
    QImage white(24, 24, QImage::Format_RGB32);
    white.fill(White);
    QCOMPARE(full, white);
    const QImage grid = tableCell(m_sheet, QRect(0, 0, 53, 20), icon);
    QCOMPARE(grid.copy(20, 4, 12, 12), white.copy(0, 0, 12, 12));
}

QTEST_MAIN(TestIconSheet)
#include "tst_iconsheet.moc"
