// SPDX-License-Identifier: GPL-3.0-or-later
// Read, then write with no edit. The header and the chosen route's own lines come back byte
// for byte, except where reading itself changes text: the route name cut to 12 characters
// and waypoint names shortened by the GRTP-/GMLS- rule. The output is never longer than the
// input, and the file written reads back as the same route. The last byte chooses the route
// and whether a route longer than the device holds is taken whole.
#include "FuzzCheck.h"

#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <cstddef>
#include <cstdint>

namespace {

bool shortenedFrom(const QByteArray& written, const QByteArray& read) {
    if (written == read)
        return true;
    return read.size() > 6 && (read.contains("GRTP-") || read.contains("GMLS-")) &&
           written == read.left(3) + read.right(3);
}

// The line as written against the line as read: the same fields, but for `changeable`,
// which may differ only as `allowed` says, and only where a comma follows it.
template <class Allowed>
void checkRebuiltLine(const QByteArray& read, const QByteArray& written, int changeable,
                      Allowed allowed) {
    const QList<QByteArray> in = fuzz::fields(read);
    const QList<QByteArray> out = fuzz::fields(written);
    FUZZ_CHECK(in.size() == out.size());
    for (int f = 0; f < in.size(); ++f) {
        if (f == changeable && f < in.size() - 1)
            FUZZ_CHECK(allowed(out.at(f), in.at(f)));
        else
            FUZZ_CHECK(out.at(f) == in.at(f));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const int choice = size ? data[size - 1] : 0;
    const int number = 1 + choice % 3;
    const int limit = choice & 4 ? int(MaxRouteFileBytes) : MaxRouteWaypoints;
    ParsedRoute parsed;
    if (!ParseRouteFile(bytes, parsed, nullptr, number, limit))
        return 0;
    const QList<QByteArray> readLines = parsed.lines;
    int routes = 0;
    FUZZ_CHECK(readLines == fuzz::keptPieces(bytes, number, routes));
    const QString nameRead = parsed.routeName;
    const auto rowsRead = parsed.rows;

    RouteTable table;
    QString routeName;
    RouteState state;
    TakeOverRoute(std::move(parsed), quint32(bytes.size()), table, routeName, state);
    const QByteArray written = RebuildRouteLines(state, table, nameRead);

    FUZZ_CHECK(written == state.RouteLineStore.join());
    FUZZ_CHECK(written.size() <= bytes.size());
    FUZZ_CHECK(state.RouteLineStore.size() == readLines.size());
    for (int i = 0; i < readLines.size(); ++i) {
        const QByteArray& in = readLines.at(i);
        const QByteArray& out = state.RouteLineStore.at(i);
        if (i == state.routeLine) {
            checkRebuiltLine(in, out, 2, [](const QByteArray& w, const QByteArray& r) {
                return w == r.left(12);
            });
        } else if (state.waypointLines.contains(i)) {
            checkRebuiltLine(in, out, 4, shortenedFrom);
        } else {
            FUZZ_CHECK(out == in);
        }
    }
    // Saving twice with no edit in between writes the same bytes.
    FUZZ_CHECK(RebuildRouteLines(state, table, nameRead) == written);

    // The file written is read back as the same route. Left out: a file whose first line is
    // itself a record, where another route's line or a rebuilt field can take the header's
    // mark away.
    const bool firstIsRecord = state.routeLine == 0 || state.lineOfRow(1) == 0;
    if (firstIsRecord && !written.left(written.indexOf('\n')).contains("OziExplorer Route"))
        return 0;
    ParsedRoute again;
    FUZZ_CHECK(ParseRouteFile(written, again, nullptr, 1, limit));
    FUZZ_CHECK(again.lines.join() == written);
    FUZZ_CHECK(again.rows == rowsRead);
    FUZZ_CHECK(again.routeName == nameRead);
    return 0;
}
