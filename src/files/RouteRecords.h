// SPDX-License-Identifier: GPL-3.0-or-later
// The one place that tells a route file's records from its other lines and the routes they
// belong to. The reader and everything that interprets the converter's files go through it,
// so that all of them agree on what a route and a waypoint are.
#pragma once

#include <QByteArray>

#include <cstring>

enum class LineKind { Other, Route, Waypoint };

// A record line's field 0 is exactly "R" or "W": its second character is a comma.
inline LineKind RecordKindOf(const char* line, qsizetype length) {
    if (length < 2 || line[1] != ',')
        return LineKind::Other;
    if (line[0] == 'R')
        return LineKind::Route;
    if (line[0] == 'W')
        return LineKind::Waypoint;
    return LineKind::Other;
}

// Goes once over the lines of a file: each runs up to and including its LF, the last one to
// the end of the file with or without an LF. `visit` gets the line's place, its kind and the
// route it belongs to: 0 for the header ahead of the first record line, then from 1, each R
// line starting the next route, except that the first R line also takes the W lines that
// stand ahead of it. Only places are passed: most lines of a large file are no record, and
// copying each of them would cost an allocation per line.
template <class Visit> int ScanRouteLines(const QByteArray& bytes, Visit visit) {
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    int route = 0;
    bool routeHasRouteLine = false;
    for (qsizetype start = 0; start < size;) {
        const void* lf = std::memchr(data + start, '\n', size_t(size - start));
        const qsizetype end = lf ? static_cast<const char*>(lf) - data + 1 : size;
        const LineKind kind = RecordKindOf(data + start, end - start);
        if (kind == LineKind::Route) {
            if (route == 0 || routeHasRouteLine)
                ++route;
            routeHasRouteLine = true;
        } else if (kind == LineKind::Waypoint && route == 0) {
            route = 1;
        }
        visit(start, end - start, kind, route);
        start = end;
    }
    return route;
}
