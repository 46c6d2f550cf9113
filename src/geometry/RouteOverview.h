// SPDX-License-Identifier: GPL-3.0-or-later
// The route overview: a 256 x 128 picture with every waypoint's icon at half size, joined
// in route order by a black line, the selected waypoint framed in red. A world window in
// metres is fitted around the route and mapped onto the picture with 32-bit integer
// arithmetic; pixel positions are 16-bit.
#pragma once

#include "geometry/ProjectedPoint.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QVector>
#include <functional>

class QPainter;
class RouteTable;

struct RouteViewport {
    // Pixels: left and top edge, width and height of the picture area drawn into.
    qint16 originX = 0;
    qint16 originY = 0;
    qint16 width = 0;
    qint16 height = 0;
    // Metres: the world window's lower left corner and its extent.
    qint32 worldX = 0;
    qint32 worldY = 0;
    quint32 worldWidth = 0;
    quint32 worldHeight = 0;
};

// Draws icon iconNumber (0..255, the "Icon" cell taken as 8 bits) scaled into dest, a
// 12 x 12 square, leaving the painter as it found it. The icon sheet owns the artwork; the
// overview only places it.
using IconPainter = std::function<void(QPainter&, int iconNumber, const QRect& dest)>;

class RouteOverview {
public:
    static constexpr int PictureWidth = 256;
    static constexpr int PictureHeight = 128;

    // The viewport is the whole picture. Call once before the first drawing.
    void InitViewport();

    // Smallest and largest x and y of the first count points; for no points the minimum
    // stays 2147483647 and the maximum -2147483647.
    static void BoundingBox(const QVector<ProjectedPoint>& points, int count, qint32& minX,
                            qint32& minY, qint32& maxX, qint32& maxY);

    // Fits the world window around the box with the viewport's aspect ratio (w x h pixels),
    // centred on the box, and at least 64 m x 32 m.
    void FitWorldWindow(qint32 minX, qint32 minY, qint32 maxX, qint32 maxY, qint16 w, qint16 h);

    // Metres to pixels through the world window; north is up.
    void WorldToPixel(qint32 x, qint32 y, qint16& px, qint16& py) const;

    // Fits the world window around the first n points with a margin of a sixteenth of the
    // route's extent on each side and returns their pixel positions.
    QVector<QPoint> fitRoute(const QVector<ProjectedPoint>& points, int n);

    // Draws the overview of the first n points into image (made 256 x 128 if null), icons
    // from the "Icon" cells of table rows 1..n. selectedRow is 1-based; 0 or a row beyond n
    // frames nothing. An "Icon" cell that is not an integer throws RouteError and leaves
    // the drawing as far as it got.
    void DrawRouteOverview(QImage& image, const QVector<ProjectedPoint>& points, int n,
                           int selectedRow, const RouteTable& table, const IconPainter& drawIcon);

    const RouteViewport& viewport() const { return m_viewport; }

private:
    RouteViewport m_viewport;
};
