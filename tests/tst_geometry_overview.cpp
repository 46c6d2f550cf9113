// SPDX-License-Identifier: GPL-3.0-or-later
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

const qint32 X = 500000, Y = 5000000;

// Every icon shows as a square of its own colour, so the tests can find it.
QColor IconColour(int icon) {
    return QColor(0, 128, icon);
}

using Calls = QVector<QPair<int, QRect>>;

// Draws points with the given "Icon" cells and returns every icon painted.
Calls Draw(QImage& image, const Points& points, const QStringList& icons, int selectedRow) {
    RouteTable table;
    table.setRowCount(int(icons.size()) + 1);
    table.writeHeaderRow();
    for (int i = 0; i < icons.size(); ++i)
        table.setCell(RouteTable::ColIcon, i + 1, icons[i]);
    RouteOverview overview;
    overview.InitViewport();
    Calls calls;
    overview.DrawRouteOverview(image, points, int(points.size()), selectedRow, table,
                               [&calls](QPainter& painter, int icon, const QRect& dest) {
                                   calls.append({icon, dest});
                                   painter.fillRect(dest, IconColour(icon));
                               });
    return calls;
}

// The pixels that have the colour outside expected, or lack it inside: none when the image
// shows the colour exactly on expected.
QRegion Mismatch(const QImage& image, QColor colour, const QRegion& expected = QRegion()) {
    QRegion wrong;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixelColor(x, y) == colour) != expected.contains(QPoint(x, y)))
                wrong += QRect(x, y, 1, 1);
    return wrong;
}

} // namespace

class TestOverview : public QObject {
    Q_OBJECT
private slots:
    void pixelPositions_data() {
        QTest::addColumn<Points>("points");
        QTest::addColumn<Pixels>("pixels");
        QTest::newRow("one waypoint") << Points{{X, Y}} << Pixels{{128, 64}};
        QTest::newRow("100 m east") << Points{{X, Y}, {X + 100, Y}} << Pixels{{13, 64}, {242, 64}};
        QTest::newRow("100 m north")
            << Points{{X, Y}, {X, Y + 100}} << Pixels{{128, 122}, {128, 7}};
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

    void pixelPositions() {
        QFETCH(Points, points);
        QFETCH(Pixels, pixels);
        RouteOverview overview;
        overview.InitViewport();
        QCOMPARE(overview.fitRoute(points, int(points.size())), pixels);
    }

    // Icons centred at (13, 64) and (242, 64), squares (7..18, 58..69) and (236..247, ...),
    // the line between them, and the selected one drawn again on top, framed in red.
    void drawsIconsLineAndFrame() {
        for (int selectedRow : {0, 1, 2, 3}) {
            QImage image;
            Draw(image, {{X, Y}, {X + 100, Y}}, {u"3"_s, u"4"_s}, selectedRow);
            const QRegion first(7, 58, 12, 12), second(236, 58, 12, 12), line(13, 64, 230, 1);
            const QRegion selected = selectedRow == 1   ? first
                                     : selectedRow == 2 ? second
                                                        : QRegion();
            const QRegion frame =
                selected.subtracted(selected.boundingRect().adjusted(1, 1, -1, -1));
            QCOMPARE(Mismatch(image, Qt::red, frame), QRegion());
            QCOMPARE(Mismatch(image, IconColour(3),
                              (first - line + (selectedRow == 1 ? first : QRegion())) - frame),
                     QRegion());
            QCOMPARE(Mismatch(image, IconColour(4),
                              (second - line + (selectedRow == 2 ? second : QRegion())) - frame),
                     QRegion());
            QCOMPARE(Mismatch(image, Qt::black, line - selected), QRegion());
            QCOMPARE(Mismatch(image, Qt::white, QRegion(image.rect()) - first - second - line),
                     QRegion());
        }
    }

    void iconCells_data() {
        QTest::addColumn<QString>("cell");
        QTest::addColumn<int>("icon"); // -1: not an integer
        QTest::newRow("leading blanks") << u"  12"_s << 12;
        QTest::newRow("300") << u"300"_s << 44;
        QTest::newRow("-1") << u"-1"_s << 255;
        QTest::newRow("letters") << u"x"_s << -1;
        QTest::newRow("trailing blank") << u"5 "_s << -1;
    }

    void iconCells() {
        QFETCH(QString, cell);
        QFETCH(int, icon);
        // The cell belongs to the middle of three waypoints, which is selected.
        const Points points = {{X, Y}, {X + 200, Y + 50}, {X + 400, Y - 30}};
        const QRect first(8, 64, 12, 12), second(121, 36, 12, 12), third(235, 82, 12, 12);
        QImage image;
        try {
            QCOMPARE(Draw(image, points, {u"3"_s, cell, u"4"_s}, 2),
                     (Calls{{3, first}, {icon, second}, {4, third}, {icon, second}}));
        } catch (const RouteError& error) {
            QCOMPARE(icon, -1);
            QCOMPARE(error.text(), u"'%1' is not a valid integer value"_s.arg(cell));
            // The first icon stays; nothing from the bad waypoint on is drawn, nor line or frame.
            QCOMPARE(image.pixelColor(14, 70), IconColour(3));
            QCOMPARE(image.pixelColor(127, 42), QColor(Qt::white));
            for (const QColor colour : {IconColour(4), QColor(Qt::black), QColor(Qt::red)})
                QCOMPARE(Mismatch(image, colour), QRegion());
        }
    }
};

QTEST_MAIN(TestOverview)
#include "tst_geometry_overview.moc"
