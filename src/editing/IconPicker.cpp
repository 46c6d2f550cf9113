// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/IconPicker.h"

#include "editing/IconSheet.h"

namespace {

// The one-pixel outline from (x, y) to (x + 24, y + 24), both far edges included, so that it
// lies on the white edges of the cell and of its right and lower neighbours.
void drawSquare(QImage& image, QPoint origin, QRgb colour) {
    const int size = IconSheet::CellSize;
    for (int d = 0; d <= size; ++d) {
        const QPoint points[] = {{origin.x() + d, origin.y()},
                                 {origin.x() + d, origin.y() + size},
                                 {origin.x(), origin.y() + d},
                                 {origin.x() + size, origin.y() + d}};
        for (const QPoint& p : points) {
            if (image.valid(p))
                image.setPixel(p, colour);
        }
    }
}

QImage blankPreview() {
    QImage preview(IconSheet::CellSize, IconSheet::CellSize, QImage::Format_RGB32);
    preview.fill(Qt::white);
    return preview;
}

} // namespace

IconPicker::IconPicker(const IconSheet& sheet)
    : m_sheet(sheet.image().convertToFormat(QImage::Format_RGB32)), m_preview(blankPreview()) {}

void IconPicker::change(int k) {
    if (HighlightOrigin != QPoint(0, 0))
        drawSquare(m_sheet, HighlightOrigin, qRgb(255, 255, 255));
    if (k < 0 || k >= IconCount) {
        m_preview = blankPreview();
        HighlightOrigin = QPoint(0, 0);
        return;
    }
    const QRect cell = IconSheet::IconCell(k);
    // Taken before the red square is drawn, so the preview never shows the mark.
    m_preview = m_sheet.copy(cell);
    drawSquare(m_sheet, cell.topLeft(), qRgb(255, 0, 0));
    HighlightOrigin = cell.topLeft();
}

int IconPicker::indexAt(int x, int y) {
    if (x < 0 || y < 0)
        return -1;
    const int column = qMin(x / IconSheet::CellSize, IconSheet::Columns - 1);
    const int index = (y / IconSheet::CellSize) * IconSheet::Columns + column;
    return index < IconCount ? index : -1;
}
