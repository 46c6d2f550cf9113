// SPDX-License-Identifier: GPL-3.0-or-later
// The converter's output on any bytes, through the repair and the route listing as a GPX
// load takes it in. Three looks at each input:
// - as it is: nothing crashes, nothing grows, a second repair changes nothing more, and the
//   list counts every route and waypoint line;
// - as the recipe of a file the converter could have written, with free text of any bytes
//   (no digits, R or W, which could make up a record's fixed parts): every waypoint keeps
//   its name, latitude and longitude in its fields, and every route its listed name;
// - in that recipe's file, each line as the cost of the repair: libFuzzer's per-input
//   timeout catches a pass that grows faster than the bytes.
#include "files/ConverterOutput.h"

#include <QByteArray>
#include <QList>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A property that fails stops the run with the reason, so libFuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                      \
    ((condition) ? void() : (std::fprintf(stderr, "broken: %s\n", #condition), std::abort()))

namespace {

const QByteArray Header = "OziExplorer Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\n"
                          "Reserved 2\r\n";

QByteArray blanked(QByteArray text) {
    for (char& c : text)
        if (c == ',' || c == '\r' || c == '\n')
            c = ' ';
    return text;
}

QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i)
        lines[i] += '\n';
    if (lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

void checkAsItIs(const QByteArray& input) {
    std::atomic_bool stop{false};
    ConvertedRoutes out;
    out.bytes = Header + input;
    if (!TakeInRouteFile(out, 0, stop))
        return;
    FUZZ_CHECK(out.bytes.size() <= Header.size() + input.size());
    QByteArray again = out.bytes;
    RepairConverterRecords(again, out.recordsStart);
    FUZZ_CHECK(again == out.bytes);
    ListConvertedRoutes(out, out.bytes.size());
    qsizetype routeLines = 0, waypointLines = 0, points = 0;
    for (const QByteArray& line : linesOf(out.bytes)) {
        routeLines += line.startsWith("R,");
        waypointLines += line.startsWith("W,");
    }
    for (const RouteListEntry& entry : out.routes)
        points += entry.points;
    FUZZ_CHECK(points == waypointLines && out.routes.size() >= routeLines &&
               out.routes.size() <= routeLines + 1);
}

// Bytes from the input, one at a time, 0 when it is used up.
struct Recipe {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    int next() { return at < size ? data[at++] : 0; }
    QByteArray text() {
        QByteArray text;
        for (int n = next() % 24; n > 0 && at < size; --n) {
            const char c = char(next());
            if ((c < '0' || c > '9') && c != 'R' && c != 'W')
                text += c;
        }
        return text;
    }
    QByteArray coordinate(int limit) {
        const double value = (next() * 256 + next()) % (2 * limit * 1000) / 1000.0 - limit;
        return QByteArray::number(value + next() / 1e6, 'f', 6);
    }
};

struct Made {
    QByteArray name, lat, lon;
};

void checkRecipe(const uint8_t* data, size_t size) {
    Recipe recipe{data, size};
    QByteArray file = Header;
    QList<Made> waypoints, routes;
    QList<int> points;
    ListedRouteNames listed;
    // The converter lists the names of the routes that have waypoints, control characters
    // made blanks.
    auto list = [&] {
        if (!routes.isEmpty() && points.last() > 0)
            listed.names << QByteArray(routes.last().name).replace('\r', ' ').replace('\n', ' ');
    };
    while (recipe.at < size) {
        if (recipe.next() % 4 == 0 || routes.isEmpty()) {
            list();
            routes << Made{recipe.text(), {}, {}};
            points << 0;
            file += "R," + QByteArray::number(routes.size()) + ',' + routes.last().name + ',' +
                    recipe.text() + ",\r\n";
            continue;
        }
        waypoints << Made{recipe.text(), recipe.coordinate(90), recipe.coordinate(180)};
        file += "W,1,," + QByteArray::number(++points.last()) + ',' + waypoints.last().name + ',' +
                waypoints.last().lat + ',' + waypoints.last().lon + ",,0,1,3,0,65535," +
                recipe.text() + ",0,0\r\n";
    }
    list();
    std::atomic_bool stop{false};
    ConvertedRoutes out;
    out.bytes = file;
    out.names = listed;
    FUZZ_CHECK(TakeInRouteFile(out, 0, stop) && out.bytes.size() <= file.size());
    ListConvertedRoutes(out, out.bytes.size());
    FUZZ_CHECK(out.routes.size() == routes.size());
    // A route without waypoints is not listed; its name is guessed from its commas.
    for (qsizetype r = 0; r < routes.size(); ++r)
        FUZZ_CHECK(points.at(r) == 0 ||
                   out.routes.at(r).name.toLatin1() == blanked(routes.at(r).name));
    qsizetype w = 0;
    for (const QByteArray& line : linesOf(out.bytes)) {
        if (!line.startsWith("W,"))
            continue;
        const QList<QByteArray> fields = line.split(',');
        FUZZ_CHECK(w < waypoints.size() && fields.size() == 16);
        FUZZ_CHECK(fields.at(4) == blanked(waypoints.at(w).name) &&
                   fields.at(5) == waypoints.at(w).lat && fields.at(6) == waypoints.at(w).lon);
        ++w;
    }
    FUZZ_CHECK(w == waypoints.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    checkAsItIs(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    checkRecipe(data, size);
    return 0;
}
