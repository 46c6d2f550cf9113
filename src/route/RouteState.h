// SPDX-License-Identifier: GPL-3.0-or-later
// The route-wide values beside the route table: the lines of the route last read, kept
// byte for byte, and where its records sit among them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

struct RouteState {
    // The lines kept from the file, in pieces that put together give what is saved: first
    // the header (every line ahead of the file's first record line) as one piece, so a
    // header of many lines costs no more than its own size; then the chosen route's R line
    // and W lines in file order, each a piece of its own with its line end (a last line of
    // the file has none). Other routes and the lines between records are not kept.
    QList<QByteArray> RouteLineStore;
    // Index in RouteLineStore of the route ("R") line, -1 when the file has none.
    int routeLine = -1;
    // For table row r (from 1), the index in RouteLineStore of its waypoint ("W") line.
    QList<int> waypointLines;
    // Number of lines kept: the header's and the route's.
    int keptLines = 0;
    quint32 loadedFileSize = 0;
    quint8 selectedRow = 0;

    int lineCount() const { return keptLines; }
    int waypointCount() const { return int(waypointLines.size()); }
    // The line that table row r (from 1) came from, or -1.
    int lineOfRow(int row) const;
};
