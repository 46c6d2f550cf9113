// SPDX-License-Identifier: GPL-3.0-or-later
// The route file reader and writer on any bytes: reading never crashes, the route list and
// the route taken agree, every kept line is one of the file's own lines in file order, and
// a save with no edit is never longer than the file, is the same twice, and reads back as
// the same route. The last byte chooses the route and whether a long route is taken whole.
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property that fails stops the run with the reason, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : (std::fprintf(stderr, "broken: %s\n", #condition), std::abort()))

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const int choice = size ? data[size - 1] : 0;
    const int number = 1 + choice % 3;
    const int limit = choice & 4 ? int(MaxRouteFileBytes) : MaxRouteWaypoints;
    QList<RouteListEntry> listed;
    const bool usable = ListRoutes(bytes, listed);
    ParsedRoute route;
    QString reason;
    const bool accepted = ParseRouteFile(bytes, route, &reason, number, limit);
    FUZZ_CHECK(accepted != !reason.isEmpty());
    if (!accepted)
        return 0;
    FUZZ_CHECK(usable && !bytes.contains('\0') && bytes.size() <= MaxRouteFileBytes);
    FUZZ_CHECK(listed.isEmpty() ? route.rows.isEmpty()
                                : listed.at(number - 1).points == route.rows.size());
    // Each kept line is found, whole, at or after the end of the one before it.
    qsizetype at = 0;
    const QByteArray kept = route.lines.join();
    for (qsizetype start = 0; start < kept.size();) {
        const qsizetype lf = kept.indexOf('\n', start);
        const QByteArray line = kept.mid(start, lf < 0 ? -1 : lf + 1 - start);
        while ((at = bytes.indexOf(line, at)) > 0 && bytes.at(at - 1) != '\n')
            ++at;
        FUZZ_CHECK(at >= 0);
        at += line.size();
        start += line.size();
    }
    FUZZ_CHECK(route.rows.size() == route.waypointLines.size() && route.routeName.size() <= 12);

    const QString nameRead = route.routeName;
    const auto rowsRead = route.rows;
    RouteTable table;
    QString routeName;
    RouteState state;
    TakeOverRoute(std::move(route), quint32(bytes.size()), table, routeName, state);
    FUZZ_CHECK(table.rows() == rowsRead.size() + 1 && state.waypointCount() == rowsRead.size());
    const QByteArray written = RebuildRouteLines(state, table, nameRead);
    FUZZ_CHECK(written.size() <= bytes.size());
    FUZZ_CHECK(RebuildRouteLines(state, table, nameRead) == written);

    // Left out: a file whose first line is itself a record. Its rebuilt fields decide whether
    // the saved file still has a header at all, or one that holds a CR inside its line.
    if (state.routeLine == 0 || state.lineOfRow(1) == 0)
        return 0;
    ParsedRoute again;
    FUZZ_CHECK(ParseRouteFile(written, again, nullptr, 1, limit));
    FUZZ_CHECK(again.lines.join() == written && again.rows == rowsRead);
    FUZZ_CHECK(again.routeName == nameRead);
    return 0;
}
