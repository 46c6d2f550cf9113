// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The two characters that number a waypoint in the names the name macro makes, from its
// 0-based index i (0 to 255, taken modulo 256): "00" to "99", then a letter for the tens
// above 99 so that the code keeps two characters: 100 is "A0", 110 "B0", 255 "P5".
QString SequenceCode(int i);
