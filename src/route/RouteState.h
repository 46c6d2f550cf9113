// The route-wide values beside the route table: the lines of the route file last read,
// kept byte for byte, and where the route sits among them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

struct RouteState {
    // The file as read, in pieces that put together give its bytes. The route line and each
    // waypoint line are a piece of their own, with their line end; every run of other lines
    // (extra header lines, empty lines, further routes) is one piece, kept as read, so a
    // file of many such lines costs no more than its own size.
    QList<QByteArray> RouteLineStore;
    // Index in RouteLineStore of the route ("R") line, -1 when the file has none.
    int routeLine = -1;
    // For table row r (from 1), the index in RouteLineStore of its waypoint ("W") line.
    QList<int> waypointLines;
    // Number of lines taken from the file.
    int takenLines = 0;
    quint32 loadedFileSize = 0;
    quint8 selectedRow = 0;

    int lineCount() const { return takenLines; }
    int waypointCount() const { return int(waypointLines.size()); }
    // The line that table row r (from 1) came from, or -1.
    int lineOfRow(int row) const;
};
