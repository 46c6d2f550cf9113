// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RouteFileReader.h"

#include "files/RouteRecords.h"

#include "route/DeviceRules.h"
#include "route/Messages.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>
#include <cstring>

namespace {

const int RouteTableColumns = 22;

QString fieldText(const QList<QByteArray>& fields, int index) {
    return index < fields.size() ? QString::fromLatin1(fields.at(index)) : QString();
}

// The text of a field without the line end that a last field carries.
QByteArray withoutLineEnd(QByteArray field) {
    if (field.endsWith('\n'))
        field.chop(1);
    if (field.endsWith('\r'))
        field.chop(1);
    return field;
}

// Numbers are shown with a comma between thousands, whatever the user's locale.
QString groupedNumber(qint64 value) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::DefaultNumberOptions);
    return c.toString(value);
}

QString tooLarge(qint64 size) {
    return QStringLiteral("The file has %1 bytes, more than the %2 a route file may have.")
        .arg(groupedNumber(size), groupedNumber(MaxRouteFileBytes));
}

// A coordinate is a decimal number in the C locale: blanks around it, an optional sign,
// digits with at most one point (".5" and "5." are numbers, a sign or point alone is not),
// and no exponent. A last field may carry the line end.
bool isCoordinate(const QByteArray& field, bool lastField, double limit) {
    const QByteArray text = (lastField ? withoutLineEnd(field) : field).trimmed();
    qsizetype i = text.startsWith('+') || text.startsWith('-') ? 1 : 0;
    int digits = 0;
    int points = 0;
    for (; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c >= '0' && c <= '9')
            ++digits;
        else if (c == '.')
            ++points;
        else
            return false;
    }
    if (digits == 0 || points > 1)
        return false;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value >= -limit && value <= limit;
}

// What makes a whole file unusable, whichever route is wanted; empty when there is none.
QString checkWholeFile(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QStringLiteral("The file is empty.");
    if (bytes.size() > MaxRouteFileBytes)
        return tooLarge(bytes.size());
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        const auto lineFeeds = std::count(bytes.constBegin(), bytes.constBegin() + nul, '\n');
        return QStringLiteral("Line %1 holds a NUL byte.").arg(lineFeeds + 1);
    }
    const qsizetype firstEnd = bytes.indexOf('\n');
    if (!QByteArrayView(bytes)
             .first(firstEnd < 0 ? bytes.size() : firstEnd)
             .contains("OziExplorer Route"))
        return QStringLiteral("The first line does not name an OziExplorer route file.");
    return QString();
}

bool refuse(QString* reason, const QString& why) {
    if (reason)
        *reason = why;
    return false;
}

} // namespace

QString CheckReadableFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("%1 does not exist.").arg(path);
    if (info.isDir())
        return QStringLiteral("%1 is a directory.").arg(path);
    if (!info.isFile())
        return QStringLiteral("%1 is not a regular file.").arg(path);
    if (!info.isReadable())
        return QStringLiteral("%1 cannot be read: permission denied.").arg(path);
    return QString();
}

ReadWholeFileResult ReadWholeFile(const QString& path, QByteArray& bytes, qint32& count) {
    bytes.clear();
    count = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadWholeFileResult::CannotOpen;
    // The size is only a hint: a file that grows or shrinks while it is read is read as it
    // stands, never beyond one byte more than a route file may have.
    bytes = file.read(MaxRouteFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        bytes.clear();
        return ReadWholeFileResult::ReadFault;
    }
    count = qint32(bytes.size());
    return count > 0 ? ReadWholeFileResult::Ok : ReadWholeFileResult::Empty;
}

QList<QByteArray> SplitFields(const QByteArray& line) {
    return line.split(',');
}

QByteArray ShortenWaypointName(const QByteArray& name) {
    if (name.size() > 6 && (name.contains("GRTP-") || name.contains("GMLS-")))
        return name.left(3) + name.right(3);
    return name;
}

bool ListRoutes(const QByteArray& bytes, QList<RouteListEntry>& routes, QString* reason) {
    routes.clear();
    const QString unusable = checkWholeFile(bytes);
    if (!unusable.isEmpty())
        return refuse(reason, unusable);
    ScanRouteLines(bytes, [&](qsizetype start, qsizetype length, LineKind kind, int number) {
        if (kind == LineKind::Other)
            return;
        if (number > routes.size()) {
            RouteListEntry entry;
            entry.number = number;
            routes.append(entry);
        }
        if (kind == LineKind::Waypoint) {
            ++routes.last().points;
            return;
        }
        const QList<QByteArray> fields = SplitFields(bytes.mid(start, length));
        if (fields.size() > 2)
            routes.last().name = QString::fromLatin1(
                fields.size() == 3 ? withoutLineEnd(fields.at(2)) : fields.at(2));
    });
    return true;
}

bool ParseRouteFile(const QByteArray& bytes, ParsedRoute& route, QString* reason, int number,
                    int maxWaypoints) {
    route = ParsedRoute();
    const QString unusable = checkWholeFile(bytes);
    if (!unusable.isEmpty())
        return refuse(reason, unusable);

    struct Span {
        qsizetype start;
        qsizetype length;
        LineKind kind;
    };
    qsizetype headerEnd = 0;
    int headerLines = 0;
    QList<Span> own; // the chosen route's lines, collected up to the waypoint limit
    int waypoints = 0;
    const int routes =
        ScanRouteLines(bytes, [&](qsizetype start, qsizetype length, LineKind kind, int in) {
            if (in == 0) {
                headerEnd = start + length;
                ++headerLines;
            } else if (in == number && kind != LineKind::Other) {
                if (kind == LineKind::Waypoint && ++waypoints > maxWaypoints)
                    return;
                own.append({start, length, kind});
            }
        });
    // A file without any record line is a route of its own: the header and no waypoint.
    if (number < 1 || number > qMax(routes, 1))
        return refuse(reason, QStringLiteral("The file holds %1; there is no route %2.")
                                  .arg(routes == 1 ? QStringLiteral("1 route")
                                                   : QStringLiteral("%1 routes").arg(routes))
                                  .arg(number));
    if (waypoints > maxWaypoints)
        return refuse(reason, QStringLiteral("The route has %1 waypoints, more than the %2 the "
                                             "device holds.")
                                  .arg(waypoints)
                                  .arg(maxWaypoints));

    if (headerEnd > 0)
        route.lines.append(bytes.left(headerEnd));
    route.keptLines = headerLines + int(own.size());
    for (const Span& span : own) {
        const QByteArray line = bytes.mid(span.start, span.length);
        const int piece = int(route.lines.size());
        route.lines.append(line);
        const QList<QByteArray> fields = SplitFields(line);
        if (span.kind == LineKind::Route) {
            route.routeLine = piece;
            route.hasRouteName = fields.size() > 2;
            route.routeName = fieldText(fields, 2).left(MaxRouteNameLength);
            continue;
        }
        route.waypointLines.append(piece);
        const int row = int(route.waypointLines.size());
        const struct {
            int field;
            const char* what;
            double limit;
        } coordinates[] = {{5, "latitude", 90}, {6, "longitude", 180}};
        for (const auto& c : coordinates) {
            const QByteArray field = fields.value(c.field);
            if (!isCoordinate(field, c.field == fields.size() - 1, c.limit))
                return refuse(reason,
                              QStringLiteral("Waypoint %1 has the %2 \"%3\", not a number from "
                                             "-%4 to %4.")
                                  .arg(QString::number(row), QLatin1String(c.what),
                                       Quoted(QString::fromLatin1(withoutLineEnd(field))),
                                       QString::number(c.limit)));
        }
        route.rows.append({QString::number(row),
                           QString::fromLatin1(ShortenWaypointName(fields.value(4))),
                           fieldText(fields, 5), fieldText(fields, 6), fieldText(fields, 7),
                           fieldText(fields, 8)});
    }
    return true;
}

void TakeOverRoute(ParsedRoute&& route, quint32 fileSize, RouteTable& table, QString& routeName,
                   RouteState& state) {
    table.setColumnCount(RouteTableColumns);
    table.setRowCount(int(route.rows.size()) + 1);
    for (int r = 0; r < route.rows.size(); ++r) {
        const auto& cells = route.rows.at(r);
        for (int c = 0; c < int(cells.size()); ++c)
            table.setCell(c, r + 1, cells.at(c));
        // Cells of earlier routes beyond the six read columns do not belong to this one.
        for (int c = int(cells.size()); c < RouteTableColumns; ++c)
            table.setCell(c, r + 1, QString());
    }
    if (route.hasRouteName)
        routeName = route.routeName;
    state.RouteLineStore = std::move(route.lines);
    state.routeLine = route.routeLine;
    state.waypointLines = std::move(route.waypointLines);
    state.keptLines = route.keptLines;
    state.loadedFileSize = fileSize;
}

bool ReadRouteBytes(const QString& path, QByteArray& bytes, QString* reason,
                    ReadWholeFileResult* read) {
    if (read)
        *read = ReadWholeFileResult::CannotOpen;
    const QString unreadable = CheckReadableFile(path);
    if (!unreadable.isEmpty())
        return refuse(reason, unreadable);
    qint32 count = 0;
    const ReadWholeFileResult result = ReadWholeFile(path, bytes, count);
    if (read)
        *read = result;
    switch (result) {
    case ReadWholeFileResult::CannotOpen:
        return refuse(reason, QStringLiteral("The file cannot be opened."));
    case ReadWholeFileResult::ReadFault:
        return refuse(reason, QStringLiteral("The file cannot be read."));
    case ReadWholeFileResult::Empty:
        return refuse(reason, QStringLiteral("The file is empty."));
    case ReadWholeFileResult::Ok:
        break;
    }
    // Only one byte more than allowed was read; the message gives the file's whole size.
    if (bytes.size() > MaxRouteFileBytes)
        return refuse(reason, tooLarge(qMax<qint64>(QFileInfo(path).size(), bytes.size())));
    return true;
}

bool ReadRouteFile(const QString& path, RouteTable& table, QString& routeName, RouteState& state,
                   QString* reason, ReadWholeFileResult* read, int number, int maxWaypoints) {
    QByteArray bytes;
    if (!ReadRouteBytes(path, bytes, reason, read))
        return false;
    ParsedRoute route;
    if (!ParseRouteFile(bytes, route, reason, number, maxWaypoints))
        return false;
    TakeOverRoute(std::move(route), quint32(bytes.size()), table, routeName, state);
    return true;
}
