// SPDX-License-Identifier: GPL-3.0-or-later
#include "geometry/RouteOverview.h"

#include "route/CellNumber.h"
#include "route/RouteTable.h"

#include <QPainter>
#include <QPen>
#include <cmath>

namespace {

// Coordinates and extents are 32-bit quantities that wrap rather than overflow, so a
// route of nonsense coordinates draws something instead of invoking undefined behaviour.
qint32 Add32(qint32 a, qint32 b) {
    return qint32(quint32(a) + quint32(b));
}
qint32 Sub32(qint32 a, qint32 b) {
    return qint32(quint32(a) - quint32(b));
}

// Beyond this offset the integer product size x offset could leave 32 bits; there the
// scaling goes through single precision instead.
constexpr qint32 IntegerScaleLimit = 6710880;

// size x offset / extent, truncated toward zero.
qint64 ScaleToPixels(qint32 offset, qint16 size, quint32 extent) {
    if (extent == 0) // no world window fitted yet
        return 0;
    if (offset >= -IntegerScaleLimit && offset <= IntegerScaleLimit)
        return qint64(size) * offset / qint64(extent);
    const float product = float(offset) * float(size);
    const float quotient = product / float(extent);
    return qint64(std::trunc(quotient));
}

qint16 Wrap16(qint64 value) {
    return qint16(quint16(quint64(value)));
}

// Widens [lo, hi] by a sixteenth of its extent on each side; the far side's sixteenth is
// taken of the range already widened on the near side.
void AddMargins(qint32& lo, qint32& hi) {
    lo = Sub32(lo, Sub32(hi, lo) / 16);
    hi = Add32(hi, Sub32(hi, lo) / 16);
}

// A 1-pixel border on the inside of the square, in the brush colour.
void FrameSquare(QPainter& painter, const QRect& square, const QColor& colour) {
    painter.fillRect(QRect(square.left(), square.top(), square.width(), 1), colour);
    painter.fillRect(QRect(square.left(), square.bottom(), square.width(), 1), colour);
    painter.fillRect(QRect(square.left(), square.top(), 1, square.height()), colour);
    painter.fillRect(QRect(square.right(), square.top(), 1, square.height()), colour);
}

QRect IconSquare(const QPoint& centre) {
    return QRect(centre.x() - 6, centre.y() - 6, 12, 12);
}

} // namespace

void RouteOverview::InitViewport() {
    m_viewport.originX = 0;
    m_viewport.originY = 0;
    m_viewport.width = PictureWidth;
    m_viewport.height = PictureHeight;
}

void RouteOverview::BoundingBox(const QVector<ProjectedPoint>& points, int count, qint32& minX,
                                qint32& minY, qint32& maxX, qint32& maxY) {
    minX = minY = 2147483647;
    maxX = maxY = -2147483647;
    count = qBound(0, count, int(points.size()));
    for (int i = 0; i < count; ++i) {
        const ProjectedPoint& p = points.at(i);
        minX = qMin(minX, p.x);
        minY = qMin(minY, p.y);
        maxX = qMax(maxX, p.x);
        maxY = qMax(maxY, p.y);
    }
}

void RouteOverview::FitWorldWindow(qint32 minX, qint32 minY, qint32 maxX, qint32 maxY, qint16 w,
                                   qint16 h) {
    quint32 width = quint32(maxX) - quint32(minX);
    quint32 height = quint32(maxY) - quint32(minY);
    qint32 originX = minX;
    qint32 originY = minY;

    // Stretch the box's short side to the viewport's aspect ratio, keeping it centred.
    // The products are 32-bit unsigned like the extents.
    const quint32 W = quint32(w);
    const quint32 H = quint32(h);
    if (w > 0 && h > 0) {
        if (H * width < W * height) {
            width = W * height / H;
            originX = Sub32(Add32(maxX, minX) / 2, qint32(width / 2));
        } else {
            height = H * width / W;
            originY = Sub32(Add32(maxY, minY) / 2, qint32(height / 2));
        }
    }

    // A single point or a tiny route: at most 4 pixels per metre, around the same centre.
    if (height <= 32 || width <= 64) {
        originY = Sub32(Add32(originY, qint32(height / 2)), 16);
        originX = Sub32(Add32(originX, qint32(width / 2)), 32);
        height = 32;
        width = 64;
    }

    m_viewport.worldX = originX;
    m_viewport.worldY = originY;
    m_viewport.worldWidth = width;
    m_viewport.worldHeight = height;
}

void RouteOverview::WorldToPixel(qint32 x, qint32 y, qint16& px, qint16& py) const {
    const RouteViewport& v = m_viewport;
    const qint64 tx = ScaleToPixels(Sub32(x, v.worldX), v.width, v.worldWidth);
    const qint64 ty = ScaleToPixels(Sub32(y, v.worldY), v.height, v.worldHeight);
    px = Wrap16(v.originX + tx);
    // Northing grows upwards, pixel rows downwards: the window's bottom edge is the
    // viewport's bottom row.
    py = Wrap16(v.originY + v.height - ty);
}

QVector<QPoint> RouteOverview::fitRoute(const QVector<ProjectedPoint>& points, int n) {
    n = qBound(0, n, int(points.size()));
    qint32 minX, minY, maxX, maxY;
    BoundingBox(points, n, minX, minY, maxX, maxY);
    AddMargins(minX, maxX);
    AddMargins(minY, maxY);
    FitWorldWindow(minX, minY, maxX, maxY, PictureWidth, PictureHeight);

    QVector<QPoint> pixels(n);
    for (int i = 0; i < n; ++i) {
        qint16 px, py;
        WorldToPixel(points.at(i).x, points.at(i).y, px, py);
        pixels[i] = QPoint(px, py);
    }
    return pixels;
}

void RouteOverview::DrawRouteOverview(QImage& image, const QVector<ProjectedPoint>& points, int n,
                                      int selectedRow, const RouteTable& table,
                                      const IconPainter& drawIcon) {
    if (image.isNull())
        image = QImage(PictureWidth, PictureHeight, QImage::Format_RGB32);
    const QVector<QPoint> pixels = fitRoute(points, n);
    n = int(pixels.size());

    QPainter painter(&image);
    // An icon cell that is not an integer throws from here; the painter ends on the way
    // out and the picture keeps what was drawn.
    const auto paintIcon = [&](int i) {
        const quint8 icon = quint8(CellToInteger(table.cell(RouteTable::ColIcon, i + 1)));
        if (drawIcon)
            drawIcon(painter, icon, IconSquare(pixels.at(i)));
    };

    painter.fillRect(QRect(0, 0, PictureWidth, PictureHeight), Qt::white);
    painter.setPen(QPen(Qt::black, 1));
    // Each line goes on top of the icons at both its ends; the next icon then covers the
    // end of the line before it.
    for (int i = 0; i < n; ++i) {
        paintIcon(i);
        if (i > 0)
            painter.drawLine(pixels.at(i - 1), pixels.at(i));
    }

    if (selectedRow >= 1 && selectedRow <= n) {
        const int w = selectedRow - 1;
        paintIcon(w);
        FrameSquare(painter, IconSquare(pixels.at(w)), Qt::red);
    }
}
