// SPDX-License-Identifier: GPL-3.0-or-later
// The icon picker: the sheet on which the chosen icon is framed in red, and the full-size
// preview of the chosen icon. The window shows both pictures and calls change() whenever
// the icon list's selection changes, from the list, a click on the picker or a row load.
#pragma once

#include <QImage>
#include <QPoint>

class IconSheet;

class IconPicker {
public:
    explicit IconPicker(const IconSheet& sheet);

    // The list's selected entry became k (-1 for none): erases the previous red square,
    // copies icon k into the preview and frames it in red on the picker's sheet. With no
    // entry (k outside 0 to 44) the sheet is left without a square and the preview blank.
    void change(int k);

    // The icon under a click at (x, y) in the picker's own pixels (218 x 128, the sheet
    // shown 2 pixels narrower): 9 columns and rows of 24 pixels from (0, 0); the two
    // columns right of the ninth (216 and 217) count into the ninth. -1 where no icon is.
    static int indexAt(int x, int y);

    const QImage& pickerImage() const { return m_sheet; }
    // 24 x 24; white while no icon is chosen.
    const QImage& preview() const { return m_preview; }
    // Corner of the red square; (0, 0) while there is none (no cell has that corner).
    QPoint highlightOrigin() const { return HighlightOrigin; }

private:
    QImage m_sheet;
    QImage m_preview;
    QPoint HighlightOrigin;
};
