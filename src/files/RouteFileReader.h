// SPDX-License-Identifier: GPL-3.0-or-later
// Reading OziExplorer route files (.rte).
//
// A route file is 8-bit text, one record a line, fields divided at every comma with no
// quoting. Lines end with LF; a CR before it belongs to the line. For example:
//
//   OziExplorer Route File Version 1.0
//   WGS 84
//   Reserved 1
//   Reserved 2
//   R,  0,MYROUTE,,
//   W,  1,  1,  1,WPT001, 50.123456,   8.654321,40000.00000,  0, 1, 3,0,65535,,0,0
//
// Field 2 of the "R" line is the route name; fields 4 to 8 of a "W" line are the waypoint's
// name, latitude, longitude, date and icon number. A file may hold several routes, each an
// R line with its W lines; one is chosen. Its lines and the header ahead of the first record
// are kept byte for byte so the writer can give back what it does not change.
#pragma once

#include "files/RouteList.h"
#include "route/DeviceRules.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <array>

class RouteTable;
struct RouteState;

enum class ReadWholeFileResult {
    Ok = 0,         // read, count above 0
    ReadFault = 1,  // a fault while reading
    CannotOpen = 2, // the file cannot be opened
    Empty = 3,      // nothing was read
};

// A route file may have at most this many bytes; a larger one is refused.
constexpr qint64 MaxRouteFileBytes = 4194304;

// Why the file at `path` cannot be read, in a sentence naming it, or the empty text when it
// is a regular file that can be opened for reading. Checked before any open, so a fifo or
// device never blocks the caller.
QString CheckReadableFile(const QString& path);

// Reads at most MaxRouteFileBytes + 1 bytes: enough to tell a file that is too large.
ReadWholeFileResult ReadWholeFile(const QString& path, QByteArray& bytes, qint32& count);

// The fields of a line, divided at every comma; the last carries the line end.
QList<QByteArray> SplitFields(const QByteArray& line);

// A waypoint name longer than 6 characters that holds "GRTP-" or "GMLS-" becomes its
// first three and last three characters.
QByteArray ShortenWaypointName(const QByteArray& name);

// One route of a file taken apart, before anything outside the reader is touched.
struct ParsedRoute {
    QList<QByteArray> lines;  // the kept lines in pieces, as RouteState::RouteLineStore holds them
    int routeLine = -1;       // piece of the route line, -1 when there is none
    QList<int> waypointLines; // piece of the line of table row r at r - 1
    int keptLines = 0;        // lines kept: the header's and the route's own
    bool hasRouteName = false;
    QString routeName; // field 2 of the route line, cut to 12 characters
    // Per waypoint: "NO", "WPT Name", "Latitude", "Longitude", "Date", "Icon".
    QVector<std::array<QString, 6>> rows;
};

// The routes a file holds, in file order: each R line with the W lines up to the next R line;
// W lines ahead of the first R line belong to route 1. Refuses only what makes the whole file
// unusable (size, NUL byte, header, lines that end in CR alone); a file without any record line
// lists no route.
bool ListRoutes(const QByteArray& bytes, QList<RouteListEntry>& routes, QString* reason = nullptr);

// Takes route `number` (from 1) of a whole file's bytes: the header (every line ahead of the
// first record line) and that route's own lines, each byte for byte. On false, `reason`
// says why in a sentence a user can act on, and `route` is to be thrown away.
bool ParseRouteFile(const QByteArray& bytes, ParsedRoute& route, QString* reason = nullptr,
                    int number = 1, int maxWaypoints = MaxRouteWaypoints);

// Hands a parsed route over to the table, the route name and the route state.
void TakeOverRoute(ParsedRoute&& route, quint32 fileSize, RouteTable& table, QString& routeName,
                   RouteState& state);

// Reads the whole file at `path` for the reader: a file that is missing, no regular file,
// unreadable, empty or larger than a route file may be is refused with `reason`; `read`,
// when given, tells a file that could not be read at all from one that was read.
bool ReadRouteBytes(const QString& path, QByteArray& bytes, QString* reason = nullptr,
                    ReadWholeFileResult* read = nullptr);
