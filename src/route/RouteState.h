// The route-wide values beside the route table: the lines of the route file last read,
// kept byte for byte, and where the route sits among them.
#pragma once

#include <QByteArray>
#include <QList>
#include <QtGlobal>

struct RouteState {
    // Every line of the file as read, each with its own line end. Lines outside the route
    // (extra header lines, empty lines, further routes) are kept and written back as read.
    QList<QByteArray> RouteLineStore;
    // Index in RouteLineStore of the route ("R") line, -1 when the file has none.
    int routeLine = -1;
    // For table row r (from 1), the index in RouteLineStore of its waypoint ("W") line.
    QList<int> waypointLines;
    quint32 loadedFileSize = 0;
    quint8 selectedRow = 0;

    int lineCount() const { return int(RouteLineStore.size()); }
    int waypointCount() const { return int(waypointLines.size()); }
    // The line that table row r (from 1) came from, or -1.
    int lineOfRow(int row) const;
};
