// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The caption of every message box, made from the program's file name: the name without
// its folder (either kind of separator), cut at its first full stop, its first character
// in upper case and every letter after it in lower case. "/usr/bin/rv58route" gives
// "Rv58route".
QString ApplicationTitle(const QString& programPath);
