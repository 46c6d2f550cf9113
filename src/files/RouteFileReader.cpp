#include "files/RouteFileReader.h"

#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QFile>

namespace {

const int RouteTableColumns = 22;
const int RouteNameLength = 12;

// Where the next line from `pos` lies by the line-taking rule: up to and including the next
// LF, at most MaxRouteLineBytes bytes before it. A longer line, or one that meets a NUL
// first, is cut there, gets an LF of its own, and is marked as the last one read. Only the
// place is found: most lines of a large file are no record, and copying each of them on
// its own would cost an allocation per line.
struct LineSpan {
    qsizetype start = 0;
    qsizetype length = 0; // bytes of the file, the LF included when the line is whole
    bool cut = false;
};

LineSpan findLine(const QByteArray& bytes, qsizetype& pos, bool& last) {
    const qsizetype start = pos;
    const qsizetype limit = qMin<qsizetype>(bytes.size(), start + MaxRouteLineBytes);
    for (qsizetype i = start; i < limit; ++i) {
        const char c = bytes.at(i);
        if (c == '\n') {
            pos = i + 1;
            last = false;
            return {start, pos - start, false};
        }
        if (c == '\0') {
            last = true;
            return {start, i - start, true};
        }
    }
    last = true;
    return {start, limit - start, true};
}

QByteArray lineText(const QByteArray& bytes, const LineSpan& span) {
    QByteArray line = bytes.mid(span.start, span.length);
    if (span.cut)
        line += '\n';
    return line;
}

QString fieldText(const QList<QByteArray>& fields, int index) {
    return index < fields.size() ? QString::fromLatin1(fields.at(index)) : QString();
}

enum class LineKind { Other, Route, Waypoint };

// A record line's field 0 is exactly "R" or "W": its second character is a comma.
LineKind kindOf(const char* line, qsizetype length) {
    if (length < 2 || line[1] != ',')
        return LineKind::Other;
    if (line[0] == 'R')
        return LineKind::Route;
    if (line[0] == 'W')
        return LineKind::Waypoint;
    return LineKind::Other;
}

} // namespace

ReadWholeFileResult ReadWholeFile(const QString& path, QByteArray& bytes, qint32& count) {
    bytes.clear();
    count = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadWholeFileResult::CannotOpen;
    // The size is only a hint: a file that grows or shrinks while it is read is read as it
    // stands, never beyond the cap.
    bytes = file.read(MaxRouteFileBytes);
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

bool ParseRouteFile(const QByteArray& bytes, ParsedRoute& route, QString* reason) {
    auto refuse = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    route = ParsedRoute();
    if (bytes.isEmpty())
        return refuse(QStringLiteral("The file is empty."));
    const qsizetype lineFeeds = bytes.count('\n');
    if (lineFeeds == 0)
        return refuse(QStringLiteral("The file holds no complete line."));

    bool routeSeen = false;
    bool routeEnded = false;
    QByteArray otherRun; // lines outside the route, kept together as one piece
    auto flushOther = [&]() {
        if (!otherRun.isEmpty()) {
            route.lines.append(otherRun);
            otherRun.clear();
        }
    };

    qsizetype pos = 0;
    bool last = false;
    for (qsizetype i = 0; i < lineFeeds && !last; ++i) {
        const LineSpan span = findLine(bytes, pos, last);
        if (i == 0 && !lineText(bytes, span).contains("OziExplorer Route"))
            return refuse(QStringLiteral("The first line does not name an OziExplorer route "
                                         "file."));
        ++route.takenLines;
        const LineKind kind = kindOf(bytes.constData() + span.start, span.length);
        const bool inRoute =
            !routeEnded && kind != LineKind::Other && !(kind == LineKind::Route && routeSeen);
        if (kind == LineKind::Route && routeSeen)
            routeEnded = true;
        if (!inRoute) {
            otherRun.append(bytes.constData() + span.start, span.length);
            if (span.cut)
                otherRun.append('\n');
            continue;
        }
        flushOther();
        const QByteArray line = lineText(bytes, span);
        const int piece = int(route.lines.size());
        route.lines.append(line);
        const QList<QByteArray> fields = SplitFields(line);
        if (kind == LineKind::Route) {
            routeSeen = true;
            route.routeLine = piece;
            route.hasRouteName = fields.size() > 2;
            route.routeName = fieldText(fields, 2).left(RouteNameLength);
            continue;
        }
        if (route.waypointLines.size() == MaxRouteWaypoints)
            return refuse(QStringLiteral("The route has more than %1 waypoints, more than the "
                                         "device holds.")
                              .arg(MaxRouteWaypoints));
        route.waypointLines.append(piece);
        const int row = int(route.waypointLines.size());
        route.rows.append({QString::number(row),
                           QString::fromLatin1(ShortenWaypointName(
                               fields.size() > 4 ? fields.at(4) : QByteArray())),
                           fieldText(fields, 5), fieldText(fields, 6), fieldText(fields, 7),
                           fieldText(fields, 8)});
    }
    flushOther();
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
    state.takenLines = route.takenLines;
    state.loadedFileSize = fileSize;
}

bool ReadRouteFile(const QString& path, RouteTable& table, QString& routeName, RouteState& state,
                   QString* reason, ReadWholeFileResult* read) {
    QByteArray bytes;
    qint32 count = 0;
    const ReadWholeFileResult result = ReadWholeFile(path, bytes, count);
    if (read)
        *read = result;
    const char* why = nullptr;
    switch (result) {
    case ReadWholeFileResult::CannotOpen:
        why = "The file cannot be opened.";
        break;
    case ReadWholeFileResult::ReadFault:
        why = "The file cannot be read.";
        break;
    case ReadWholeFileResult::Empty:
        why = "The file is empty.";
        break;
    case ReadWholeFileResult::Ok:
        break;
    }
    if (why) {
        if (reason)
            *reason = QString::fromLatin1(why);
        return false;
    }
    ParsedRoute route;
    if (!ParseRouteFile(bytes, route, reason))
        return false;
    TakeOverRoute(std::move(route), quint32(count), table, routeName, state);
    return true;
}
