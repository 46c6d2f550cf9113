// SPDX-License-Identifier: GPL-3.0-or-later
// The icon sheet: the pictures of the RV-58's 45 waypoint icons in one 220 x 128 image,
// black on white, and the rule that finds icon n in it. The picker, the table and the
// overview all draw their icons from this one picture.
#pragma once

#include "route/DeviceRules.h"

#include <QImage>
#include <QRect>
#include <QStringList>

class QPainter;

// The icon list's entry k is icon k, for k below IconCount.

// A plain value: build it once and hand it (or its image) to whoever draws icons.
class IconSheet {
public:
    static constexpr int Width = 220;
    static constexpr int Height = 128;
    static constexpr int CellSize = 24;
    static constexpr int Columns = 9;

    // Draws every icon of the artwork compiled into the library: each design pixel becomes
    // a 2 x 2 block, the rest of the sheet stays white.
    IconSheet();

    // Format_RGB32, so that copies of it can hold the picker's red highlight.
    const QImage& image() const { return m_image; }

    // The 24 x 24 square of icon n: 9 cells a row from (2, 2), without gaps. Numbers from
    // 45 up give squares at or below the bottom edge, where the sheet has no icons.
    static QRect IconCell(int n);

private:
    QImage m_image;
};

// The icon list's 45 entries, in icon order, exactly as the list shows them.
QStringList IconListEntries();

// Copies icon n (its low 8 bits, so -1 counts as 255) from the sheet into dest, scaled to
// dest's size without smoothing. Numbers from 45 to 255 have no icon: dest turns white.
void DrawSheetIcon(QPainter& painter, const QImage& sheet, int n, const QRect& dest);

// The icon entry for what the user types into the icon list's field: the entry of that
// number ("11"), else the first entry whose text or name starts with the text, ignoring
// case ("Resta" is 39 Restaurant(Cafe)); -1 when none matches.
int IconEntryForText(const QString& typed);

// Pixels between the half-size table icon and the right edge of its cell.
constexpr int TableIconInset = 2;
// The half-size icon that an "Icon" cell of the route table shows beside its number: the
// 12 x 12 square at the cell's right end, TableIconInset pixels in, centred top to bottom.
void DrawTableIcon(QPainter& painter, const QImage& sheet, const QRect& cellRect, int iconNumber);
