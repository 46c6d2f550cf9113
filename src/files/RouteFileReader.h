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
// name, latitude, longitude, date and icon number. Every line is kept byte for byte so the
// writer can give back what it does not change.
#pragma once

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

// Files are read up to this many bytes; the rest is never read.
constexpr qint64 MaxRouteFileBytes = 4194304;
// A route holds at most this many waypoints; a longer one is refused.
constexpr int MaxRouteWaypoints = 124;
// The line-taking rule cuts a line at this many bytes and ends the read there.
constexpr int MaxRouteLineBytes = 256;

ReadWholeFileResult ReadWholeFile(const QString& path, QByteArray& bytes, qint32& count);

// The fields of a line, divided at every comma; the last carries the line end.
QList<QByteArray> SplitFields(const QByteArray& line);

// A waypoint name longer than 6 characters that holds "GRTP-" or "GMLS-" becomes its
// first three and last three characters.
QByteArray ShortenWaypointName(const QByteArray& name);

// One route file taken apart, before anything outside the reader is touched.
struct ParsedRoute {
    QList<QByteArray> lines;  // the file in pieces, as RouteState::RouteLineStore keeps it
    int routeLine = -1;       // piece of the route line, -1 when there is none
    QList<int> waypointLines; // piece of the line of table row r at r - 1
    int takenLines = 0;       // lines taken from the file
    bool hasRouteName = false;
    QString routeName; // field 2 of the route line, cut to 12 characters
    // Per waypoint: "NO", "WPT Name", "Latitude", "Longitude", "Date", "Icon".
    QVector<std::array<QString, 6>> rows;
};

// Takes a whole file's bytes apart. On false, `reason` says why in a sentence a user can
// act on, and `route` is to be thrown away.
bool ParseRouteFile(const QByteArray& bytes, ParsedRoute& route, QString* reason = nullptr);

// Hands a parsed route over to the table, the route name and the route state.
void TakeOverRoute(ParsedRoute&& route, quint32 fileSize, RouteTable& table, QString& routeName,
                   RouteState& state);

// Reads the file into the table, the route name and the route state. On false nothing of
// the three has changed; `reason`, when given, says why, and `read`, when given, tells a
// file that could not be read at all from one that was read and refused.
bool ReadRouteFile(const QString& path, RouteTable& table, QString& routeName, RouteState& state,
                   QString* reason = nullptr, ReadWholeFileResult* read = nullptr);
