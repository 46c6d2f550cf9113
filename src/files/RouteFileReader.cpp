// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RouteFileReader.h"

#include "files/RouteRecords.h"

#include "route/DeviceRules.h"
#include "route/Messages.h"
#include "route/NumberReader.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QByteArrayView>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <algorithm>

namespace {

const int RouteTableColumns = 22;
constexpr char EmptyFile[] = "The file is empty.";

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

// A coordinate is a decimal number in the C locale: blanks around it (a last field's line end
// among them), an optional sign, digits with at most one point (".5" and "5." are numbers, a
// sign or point alone is not), and no exponent.
bool isCoordinate(QByteArrayView field, double limit) {
    const QByteArrayView text = field.trimmed();
    const NumberRead number = ReadNumber(text, 0, NumberShape::Decimal);
    return number.value && number.end == text.size() && *number.value >= -limit &&
           *number.value <= limit;
}

// What makes a whole file unusable, whichever route is wanted; empty when there is none.
QString checkWholeFile(const QByteArray& bytes) {
    if (bytes.isEmpty())
        return QString::fromLatin1(EmptyFile);
    if (bytes.size() > MaxRouteFileBytes)
        return tooLarge(bytes.size());
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        const auto lineFeeds = std::count(bytes.constBegin(), bytes.constBegin() + nul, '\n');
        return QStringLiteral("Line %1 holds a NUL byte.").arg(lineFeeds + 1);
    }
    const qsizetype firstEnd = bytes.indexOf('\n');
    const QByteArrayView firstLine =
        QByteArrayView(bytes).first(firstEnd < 0 ? bytes.size() : firstEnd);
    if (!firstLine.contains("OziExplorer Route"))
        return QStringLiteral("The first line does not name an OziExplorer route file.");
    // Lines that end in CR alone would all be one header line: a route without waypoints.
    const qsizetype cr = firstLine.indexOf('\r');
    if (cr >= 0 && cr < firstLine.size() - 1)
        return QStringLiteral("The lines end in CR alone; route files end their lines in LF or "
                              "CR LF.");
    return QString();
}

// Where the header ends and where the chosen route's own lines are, found in one pass.
struct RouteLines {
    struct Span {
        qsizetype start;
        qsizetype length;
        LineKind kind;
    };
    qsizetype headerEnd = 0;
    int headerLines = 0;
    int routes = 0;
    int waypoints = 0; // the route's W lines, also those beyond the limit, which are not kept
    QList<Span> own;
};

RouteLines findRouteLines(const QByteArray& bytes, int number, int maxWaypoints) {
    RouteLines found;
    found.routes =
        ScanRouteLines(bytes, [&](qsizetype start, qsizetype length, LineKind kind, int in) {
            if (in == 0) {
                found.headerEnd = start + length;
                ++found.headerLines;
            } else if (in == number && kind != LineKind::Other) {
                if (kind == LineKind::Waypoint && ++found.waypoints > maxWaypoints)
                    return;
                found.own.append({start, length, kind});
            }
        });
    return found;
}

// Why route `number` cannot be taken; empty when it can.
QString checkRouteLines(const RouteLines& found, int number, int maxWaypoints) {
    // A file without any record line is a route of its own: the header and no waypoint.
    if (number < 1 || number > qMax(found.routes, 1))
        return QStringLiteral("The file holds %1; there is no route %2.")
            .arg(found.routes == 1 ? QStringLiteral("1 route")
                                   : QStringLiteral("%1 routes").arg(found.routes))
            .arg(number);
    if (found.waypoints > maxWaypoints)
        return QStringLiteral("The route has %1 waypoints, more than the %2 the device holds.")
            .arg(found.waypoints)
            .arg(maxWaypoints);
    return QString();
}

// Why the latitude or longitude of waypoint `row` is refused; empty when both are numbers in
// range. The field is quoted as it stands, without the line end a last field carries.
QString checkCoordinates(const QList<QByteArray>& fields, int row) {
    const struct {
        int field;
        const char* what;
        double limit;
    } coordinates[] = {{5, "latitude", 90}, {6, "longitude", 180}};
    for (const auto& c : coordinates) {
        const QByteArray field = fields.value(c.field);
        if (!isCoordinate(field, c.limit))
            return QStringLiteral("Waypoint %1 has the %2 \"%3\", not a number from -%4 to %4.")
                .arg(QString::number(row), QLatin1String(c.what),
                     Quoted(QString::fromLatin1(withoutLineEnd(field))), QString::number(c.limit));
    }
    return QString();
}

// Takes one of the route's record lines into `route`: the route name from an R line, a table
// row from a W line. Returns why a W line is refused; empty when it is taken.
QString takeRecord(const QByteArray& line, LineKind kind, ParsedRoute& route) {
    const int piece = int(route.lines.size());
    route.lines.append(line);
    const QList<QByteArray> fields = SplitFields(line);
    if (kind == LineKind::Route) {
        route.routeLine = piece;
        route.hasRouteName = fields.size() > 2;
        route.routeName = fieldText(fields, 2).left(MaxRouteNameLength);
        return QString();
    }
    route.waypointLines.append(piece);
    const int row = int(route.waypointLines.size());
    const QString wrong = checkCoordinates(fields, row);
    if (wrong.isEmpty())
        route.rows.append({QString::number(row),
                           QString::fromLatin1(ShortenWaypointName(fields.value(4))),
                           fieldText(fields, 5), fieldText(fields, 6), fieldText(fields, 7),
                           fieldText(fields, 8)});
    return wrong;
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
        return Reason::IsDirectory(path);
    if (!info.isFile())
        return Reason::NotRegularFile(path);
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
    const int half = MaxWaypointNameLength / 2;
    if (name.size() > MaxWaypointNameLength && (name.contains("GRTP-") || name.contains("GMLS-")))
        return name.left(half) + name.right(half);
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
    const RouteLines found = findRouteLines(bytes, number, maxWaypoints);
    const QString missing = checkRouteLines(found, number, maxWaypoints);
    if (!missing.isEmpty())
        return refuse(reason, missing);

    if (found.headerEnd > 0)
        route.lines.append(bytes.left(found.headerEnd));
    route.keptLines = found.headerLines + int(found.own.size());
    for (const RouteLines::Span& span : found.own) {
        const QString wrong = takeRecord(bytes.mid(span.start, span.length), span.kind, route);
        if (!wrong.isEmpty())
            return refuse(reason, wrong);
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
        return refuse(reason, QString::fromLatin1(EmptyFile));
    case ReadWholeFileResult::Ok:
        break;
    }
    // Only one byte more than allowed was read; the message gives the file's whole size.
    if (bytes.size() > MaxRouteFileBytes)
        return refuse(reason, tooLarge(qMax<qint64>(QFileInfo(path).size(), bytes.size())));
    return true;
}
