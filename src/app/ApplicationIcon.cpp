// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ApplicationIcon.h"

#include "editing/IconSheet.h"

#include <QPainter>

namespace {
const int FlagPost = 1;
const int Star = 0;
const int Design = 64; // drawn at this size, then scaled without smoothing
} // namespace

QImage ApplicationIconImage(const IconSheet& sheet, int size) {
    QImage icon(Design, Design, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter p(&icon);
    p.setBrush(Qt::white);
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(QRect(1, 1, Design - 2, Design - 2));
    // The route line first, the two waypoints over its ends, as the overview draws them.
    p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::SquareCap));
    const QPoint route[] = {{18, 46}, {40, 42}, {46, 18}};
    p.drawPolyline(route, 3);
    DrawSheetIcon(p, sheet.image(), FlagPost, QRect(4, 34, 24, 24));
    DrawSheetIcon(p, sheet.image(), Star, QRect(34, 4, 24, 24));
    p.end();
    return size == Design ? icon
                          : icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}
