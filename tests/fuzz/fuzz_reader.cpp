// The route file reader on any bytes: it never crashes, and what it accepts is the file's
// own text, taken apart into the pieces the writer puts back together. The table, name and
// state live on from one input to the next, as they do in the window between loads.
#include "FuzzCheck.h"

#include "files/RouteFileReader.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static RouteTable table;
    static QString routeName;
    static RouteState state;

    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ParsedRoute route;
    QString reason;
    if (!ParseRouteFile(bytes, route, &reason)) {
        FUZZ_CHECK(!reason.isEmpty());
        return 0;
    }
    const QByteArray taken = route.lines.join();
    FUZZ_CHECK(fuzz::isTakenText(taken, bytes));
    FUZZ_CHECK(route.takenLines == taken.count('\n'));
    FUZZ_CHECK(route.rows.size() == route.waypointLines.size());
    FUZZ_CHECK(route.rows.size() <= MaxRouteWaypoints);
    FUZZ_CHECK(route.routeName.size() <= 12);
    FUZZ_CHECK(route.routeLine < route.lines.size());
    if (route.routeLine >= 0)
        FUZZ_CHECK(route.lines.at(route.routeLine).startsWith("R,"));
    int previous = -1; // waypoint lines ahead of the route line belong to it too
    for (int r = 0; r < route.rows.size(); ++r) {
        const int piece = route.waypointLines.at(r);
        FUZZ_CHECK(piece > previous && piece < route.lines.size() && piece != route.routeLine);
        const QByteArray& line = route.lines.at(piece);
        FUZZ_CHECK(line.startsWith("W,") && line.indexOf('\n') == line.size() - 1);
        FUZZ_CHECK(route.rows.at(r).at(0) == QString::number(r + 1));
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
    FUZZ_CHECK(state.RouteLineStore.join() == taken);
    FUZZ_CHECK(state.lineCount() == copy.takenLines);
    FUZZ_CHECK(state.waypointCount() == copy.rows.size());
    return 0;
}
