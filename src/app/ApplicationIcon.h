// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon, drawn from the waypoint icon sheet: a route from a flag to a star,
// in the same black-on-white pixel style as the icons the device shows.
#pragma once

#include <QImage>

class IconSheet;

// A square image of `size` pixels (a multiple of 64 looks sharpest).
QImage ApplicationIconImage(const IconSheet& sheet, int size);
