// SPDX-License-Identifier: GPL-3.0-or-later
// The route file reader on any bytes: it never crashes, the list of routes and the route
// taken agree, and what it accepts is the file's header and the chosen route's own lines,
// byte for byte. The last byte chooses the route. The table, name and state live on from
// one input to the next, as they do in the window between loads.
#include "FuzzCheck.h"

#include "files/RouteFileReader.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <cstddef>
#include <cstdint>

namespace {

// A coordinate cell as the reader lets it through: a plain decimal number within the limit.
bool isPlainNumber(const QString& cell, double limit) {
    QString text = cell;
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    text = text.trimmed();
    for (const QChar c : text)
        if (!c.isDigit() && c != QLatin1Char('.') && c != QLatin1Char('-') && c != QLatin1Char('+'))
            return false;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok && value >= -limit && value <= limit;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RouteTable table;
    static QString routeName;
    static RouteState state;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const int number = size ? 1 + data[size - 1] % 3 : 1;
    QList<RouteListEntry> listed;
    const bool usable = ListRoutes(bytes, listed);
    ParsedRoute route;
    QString reason;
    const bool accepted = ParseRouteFile(bytes, route, &reason, number);
    FUZZ_CHECK(accepted || !reason.isEmpty());
    FUZZ_CHECK(usable || !accepted);
    if (!usable) {
        FUZZ_CHECK(listed.isEmpty());
        return 0;
    }
    FUZZ_CHECK(!bytes.contains('\0') && bytes.size() <= MaxRouteFileBytes);
    int routes = 0;
    const QList<QByteArray> kept = fuzz::keptPieces(bytes, number, routes);
    FUZZ_CHECK(listed.size() == routes);
    for (int n = 0; n < listed.size(); ++n)
        FUZZ_CHECK(listed.at(n).number == n + 1 && listed.at(n).kind == QLatin1String("route"));
    const bool exists = number <= qMax(routes, 1);
    const int points = number <= routes ? listed.at(number - 1).points : 0;
    if (!accepted) {
        // A usable file is refused only for the route chosen: absent, too long, or a bad
        // coordinate in it.
        FUZZ_CHECK(!exists || points > MaxRouteWaypoints || reason.startsWith("Waypoint "));
        return 0;
    }
    FUZZ_CHECK(exists && points == route.rows.size());
    FUZZ_CHECK(route.lines == kept);
    FUZZ_CHECK(route.keptLines == int(fuzz::lines(kept.join()).size()));
    FUZZ_CHECK(route.rows.size() == route.waypointLines.size());
    FUZZ_CHECK(route.routeName.size() <= 12);
    FUZZ_CHECK(route.routeLine < route.lines.size());
    if (route.routeLine >= 0)
        FUZZ_CHECK(route.lines.at(route.routeLine).startsWith("R,"));
    int previous = -1;
    for (int r = 0; r < route.rows.size(); ++r) {
        const int piece = route.waypointLines.at(r);
        FUZZ_CHECK(piece > previous && piece < route.lines.size() && piece != route.routeLine);
        FUZZ_CHECK(route.lines.at(piece).startsWith("W,"));
        FUZZ_CHECK(route.rows.at(r).at(0) == QString::number(r + 1));
        FUZZ_CHECK(isPlainNumber(route.rows.at(r).at(2), 90));
        FUZZ_CHECK(isPlainNumber(route.rows.at(r).at(3), 180));
        previous = piece;
    }

    const ParsedRoute copy = route;
    TakeOverRoute(std::move(route), quint32(bytes.size()), table, routeName, state);
    FUZZ_CHECK(table.rows() == copy.rows.size() + 1);
    for (int r = 0; r < copy.rows.size(); ++r)
        for (int c = 0; c < 6; ++c)
            FUZZ_CHECK(table.cell(c, r + 1) == copy.rows.at(r).at(c));
    if (copy.hasRouteName)
        FUZZ_CHECK(routeName == copy.routeName);
    FUZZ_CHECK(state.RouteLineStore == kept);
    FUZZ_CHECK(state.lineCount() == copy.keptLines);
    FUZZ_CHECK(state.waypointCount() == copy.rows.size());
    return 0;
}
