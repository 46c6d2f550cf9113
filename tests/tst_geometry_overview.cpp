// The route overview: where the waypoints land in the 256 x 128 picture, and what the
// drawing leaves in it.
#include "geometry/RouteOverview.h"
#include "route/CellNumber.h"
#include "route/RouteTable.h"

#include <QPainter>
#include <QtTest>

using namespace Qt::StringLiterals;

using Points = QVector<ProjectedPoint>;
using Pixels = QVector<QPoint>;

namespace {

// Every icon shows as a square of its own colour, so the tests can find it.
QColor IconColour(int icon) {
    return QColor(0, 128, icon);
}

void PaintIcon(QPainter& painter, int icon, const QRect& dest) {
    painter.fillRect(dest, IconColour(icon));
}

RouteTable* IconTable(const QStringList& icons) {
    auto* table = new RouteTable;
    table->setRowCount(int(icons.size()) + 1);
    table->writeHeaderRow();
    for (int i = 0; i < icons.size(); ++i)
        table->setCell(RouteTable::ColIcon, i + 1, icons[i]);
    return table;
}

int CountPixels(const QImage& image, QColor colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y) == colour;
    return count;
}

const qint32 X = 500000, Y = 5000000;

} // namespace

class TestOverview : public QObject {
    Q_OBJECT
private slots:
    void pixelPositions_data();
    void pixelPositions();
    void worldWindowFollowsAspectRatio_data();
    void worldWindowFollowsAspectRatio();
    void drawsIconsLineAndFrame_data();
    void drawsIconsLineAndFrame();
    void iconNumberTakenAs8Bits_data();
    void iconNumberTakenAs8Bits();
    void badIconCellStopsTheDrawing_data();
    void badIconCellStopsTheDrawing();
};

void TestOverview::pixelPositions_data() {
    QTest::addColumn<Points>("points");
    QTest::addColumn<Pixels>("pixels");
    QTest::newRow("one waypoint") << Points{{X, Y}} << Pixels{{128, 64}};
    QTest::newRow("100 m east") << Points{{X, Y}, {X + 100, Y}} << Pixels{{13, 64}, {242, 64}};
    QTest::newRow("100 m north") << Points{{X, Y}, {X, Y + 100}} << Pixels{{128, 122}, {128, 7}};
    QTest::newRow("below minimum window")
        << Points{{X, Y}, {X + 10, Y + 5}} << Pixels{{108, 72}, {148, 52}};
    QTest::newRow("three points") << Points{{X, Y}, {X + 200, Y + 50}, {X + 400, Y - 30}}
                                  << Pixels{{14, 70}, {127, 42}, {241, 88}};
    // The sum -1 halves to 0, not -1: the window's origin truncates toward zero.
    QTest::newRow("negative coordinates")
        << Points{{-10, -3}, {0, 2}} << Pixels{{108, 76}, {148, 56}};
    // 256 x 21250000 leaves 32 bits: the far point goes through single precision.
    QTest::newRow("20000 km") << Points{{0, 0}, {20000000, 0}} << Pixels{{14, 64}, {240, 64}};
}

void TestOverview::pixelPositions() {
    QFETCH(Points, points);
    QFETCH(Pixels, pixels);
    RouteOverview overview;
    overview.InitViewport();
    QCOMPARE(overview.fitRoute(points, int(points.size())), pixels);
}

void TestOverview::worldWindowFollowsAspectRatio_data() {
    QTest::addColumn<QRect>("box");    // x, y, width, height in metres
    QTest::addColumn<QRect>("window"); // world origin and extent
    QTest::newRow("twice as wide keeps its height")
        << QRect(0, 0, 200, 100) << QRect(0, 0, 200, 100);
    QTest::newRow("square widens around its centre")
        << QRect(0, 0, 100, 100) << QRect(-50, 0, 200, 100);
    QTest::newRow("tiny box gets 64 x 32") << QRect(0, 0, 10, 5) << QRect(-27, -14, 64, 32);
}

void TestOverview::worldWindowFollowsAspectRatio() {
    QFETCH(QRect, box);
    QFETCH(QRect, window);
    RouteOverview overview;
    overview.FitWorldWindow(box.x(), box.y(), box.x() + box.width(), box.y() + box.height(), 256,
                            128);
    const RouteViewport& v = overview.viewport();
    QCOMPARE(QRect(v.worldX, v.worldY, int(v.worldWidth), int(v.worldHeight)), window);
}

void TestOverview::drawsIconsLineAndFrame_data() {
    QTest::addColumn<int>("selectedRow");
    QTest::newRow("none") << 0;
    QTest::newRow("first") << 1;
    QTest::newRow("second") << 2;
    QTest::newRow("beyond the route") << 3;
}

void TestOverview::drawsIconsLineAndFrame() {
    QFETCH(int, selectedRow);
    // Icons centred at (13, 64) and (242, 64), squares (7..18, 58..69) and (236..247, ...).
    QScopedPointer<RouteTable> table(IconTable({u"3"_s, u"4"_s}));
    RouteOverview overview;
    overview.InitViewport();
    QImage image;
    overview.DrawRouteOverview(image, {{X, Y}, {X + 100, Y}}, 2, selectedRow, *table, PaintIcon);

    QCOMPARE(image.size(), QSize(256, 128));
    for (const QPoint p : {QPoint(0, 0), QPoint(255, 127), QPoint(128, 63), QPoint(128, 65)})
        QCOMPARE(image.pixelColor(p), QColor(Qt::white));
    for (int x = 19; x < 236; ++x)
        QCOMPARE(image.pixelColor(x, 64), QColor(Qt::black));
    QCOMPARE(image.pixelColor(10, 60), IconColour(3));
    QCOMPARE(image.pixelColor(245, 67), IconColour(4));
    // The line lies on top of both icons unless the selected one is drawn again.
    QCOMPARE(image.pixelColor(16, 64), selectedRow == 1 ? IconColour(3) : QColor(Qt::black));
    QCOMPARE(image.pixelColor(238, 64), selectedRow == 2 ? IconColour(4) : QColor(Qt::black));

    const bool framed = selectedRow == 1 || selectedRow == 2;
    QCOMPARE(CountPixels(image, Qt::red), framed ? 44 : 0);
    if (framed) {
        const QRect square(selectedRow == 1 ? 7 : 236, 58, 12, 12);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(image.pixelColor(square.left() + i, square.top()), QColor(Qt::red));
            QCOMPARE(image.pixelColor(square.left() + i, square.bottom()), QColor(Qt::red));
            QCOMPARE(image.pixelColor(square.left(), square.top() + i), QColor(Qt::red));
            QCOMPARE(image.pixelColor(square.right(), square.top() + i), QColor(Qt::red));
        }
    }
}

void TestOverview::iconNumberTakenAs8Bits_data() {
    QTest::addColumn<QString>("cell");
    QTest::addColumn<int>("icon");
    QTest::newRow("7") << u"7"_s << 7;
    QTest::newRow("leading blanks") << u"  12"_s << 12;
    QTest::newRow("300") << u"300"_s << 44;
    QTest::newRow("256") << u"256"_s << 0;
    QTest::newRow("-1") << u"-1"_s << 255;
}

void TestOverview::iconNumberTakenAs8Bits() {
    QFETCH(QString, cell);
    QFETCH(int, icon);
    QScopedPointer<RouteTable> table(IconTable({cell}));
    RouteOverview overview;
    overview.InitViewport();
    QVector<QPair<int, QRect>> calls;
    QImage image;
    overview.DrawRouteOverview(image, {{X, Y}}, 1, 1, *table,
                               [&](QPainter&, int k, const QRect& dest) {
                                   calls.append({k, dest});
                               });
    const QPair<int, QRect> expected(icon, QRect(122, 58, 12, 12));
    QCOMPARE(calls, (QVector<QPair<int, QRect>>{expected, expected}));
}

void TestOverview::badIconCellStopsTheDrawing_data() {
    QTest::addColumn<QString>("cell");
    QTest::newRow("letters") << u"x"_s;
    QTest::newRow("empty") << QString();
    QTest::newRow("trailing blank") << u"5 "_s;
}

void TestOverview::badIconCellStopsTheDrawing() {
    QFETCH(QString, cell);
    QScopedPointer<RouteTable> table(IconTable({u"3"_s, cell, u"4"_s}));
    RouteOverview overview;
    overview.InitViewport();
    QImage image;
    try {
        overview.DrawRouteOverview(image, {{X, Y}, {X + 200, Y + 50}, {X + 400, Y - 30}}, 3, 1,
                                   *table, PaintIcon);
        QFAIL("no error");
    } catch (const RouteError& error) {
        QCOMPARE(error.text(), u"'%1' is not a valid integer value"_s.arg(cell));
    }
    // The first icon stays; nothing of the second waypoint on is drawn, nor the frame.
    QCOMPARE(image.pixelColor(14, 70), IconColour(3));
    QCOMPARE(image.pixelColor(127, 42), QColor(Qt::white));
    QCOMPARE(CountPixels(image, IconColour(4)), 0);
    QCOMPARE(CountPixels(image, Qt::black) + CountPixels(image, Qt::red), 0);
}

QTEST_MAIN(TestOverview)
#include "tst_geometry_overview.moc"
