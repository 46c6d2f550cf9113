// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ConverterOutputRepair.h"

#include "files/RouteRecords.h"

#include <QByteArrayView>

#include <cstring>

namespace {

const int HeaderLines = 4;
// How many records are repaired between two looks at the stop flag.
const int RecordsPerLook = 4096;

const QByteArrayView WaypointTail(",0,1,3,0,65535,");
const QByteArrayView WaypointEnd(",0,0\r\n");
const QByteArrayView LineEnd("\r\n");
const QByteArrayView Generated(",Generated from track ");

// The record text is scanned in place: `d` the file's bytes, `end` its size; positions
// are offsets into it, -1 where a shape is not found.
struct Text {
    char* d;
    qsizetype end;

    bool isDigit(qsizetype p) const { return p < end && d[p] >= '0' && d[p] <= '9'; }
    bool at(qsizetype p, char c) const { return p < end && d[p] == c; }
    bool at(qsizetype p, QByteArrayView s) const {
        return p >= 0 && end - p >= s.size() && std::memcmp(d + p, s.data(), size_t(s.size())) == 0;
    }
    // One or more digits from p: the position behind them.
    qsizetype digits(qsizetype p) const {
        if (!isDigit(p))
            return -1;
        while (isDigit(p))
            ++p;
        return p;
    }
    // ",-?\d+\.\d{6}" from p, a coordinate as the converter prints it.
    qsizetype coordinate(qsizetype p) const {
        if (!at(p, ','))
            return -1;
        ++p;
        if (at(p, '-'))
            ++p;
        p = digits(p);
        if (p < 0 || !at(p, '.'))
            return -1;
        ++p;
        for (int k = 0; k < 6; ++k, ++p)
            if (!isDigit(p))
                return -1;
        return p;
    }
    // The fixed middle of a waypoint record from the comma that ends its name:
    // ",LAT,LON,DATE,0,1,3,0,65535,". The position behind it, where the comment begins.
    qsizetype waypointMiddle(qsizetype p) const {
        p = coordinate(p);
        p = p < 0 ? -1 : coordinate(p);
        if (p < 0 || !at(p, ','))
            return -1;
        ++p;
        while (isDigit(p) || at(p, '-') || at(p, '.'))
            ++p;
        return at(p, WaypointTail) ? p + WaypointTail.size() : -1;
    }
    // A record ends with `terminator` where another record or the end of the file follows.
    // The first such end at or behind `from`: the position behind the terminator.
    qsizetype recordEnd(qsizetype from, QByteArrayView terminator) const {
        for (qsizetype p = from + terminator.size() - 1; p < end;) {
            const void* lf = std::memchr(d + p, '\n', size_t(end - p));
            if (!lf)
                return -1;
            const qsizetype q = static_cast<const char*>(lf) - d + 1;
            const qsizetype start = q - terminator.size();
            if (start >= from && at(start, terminator) &&
                (q == end || RecordKindOf(d + q, end - q) != LineKind::Other))
                return q;
            p = q;
        }
        return -1;
    }
    // Bytes [from, to) go to w, which moves on behind them.
    void keep(qsizetype from, qsizetype to, qsizetype& w) const {
        if (w != from)
            std::memmove(d + w, d + from, size_t(to - from));
        w += to - from;
    }
    void blank(qsizetype from, qsizetype to) const {
        for (qsizetype p = from; p < to; ++p)
            if (d[p] == ',' || d[p] == '\r' || d[p] == '\n')
                d[p] = ' ';
    }
};

// The next listed name when it is the one that stands at p: the same text, except that a
// control character there is a blank in the list, or a '?' where the encoding had none.
qsizetype listedNameAt(const Text& t, qsizetype p, ListedRouteNames* names) {
    if (!names || names->next >= names->names.size())
        return -1;
    const QByteArray& name = names->names.at(names->next);
    if (!t.at(p + name.size(), ','))
        return -1;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(t.d[p + i]);
        if (c == static_cast<unsigned char>(name.at(i)))
            continue;
        if (name.at(i) != ' ' || (c >= 0x20 && c != 0x7f && c != '?'))
            return -1;
    }
    ++names->next;
    return name.size();
}

// NAME,DESCRIPTION, of a route line whose name's length is not known, repaired; it may
// come out shorter.
QByteArray repairedRoute(QByteArray fields) {
    auto blanked = [](QByteArray text) {
        for (char& c : text)
            if (c == ',' || c == '\r' || c == '\n')
                c = ' ';
        return text;
    };
    if (!fields.endsWith(','))
        return fields;
    const QByteArray text = fields.chopped(1);
    const qsizetype half = (text.size() - Generated.size()) / 2;
    if (half >= 0 && text.size() == 2 * half + Generated.size() &&
        QByteArrayView(text).sliced(half, Generated.size()) == Generated &&
        text.left(half) == text.right(half)) {
        const QByteArray name = blanked(text.left(half));
        return name + Generated.toByteArray() + name + ',';
    }
    const qsizetype last = text.lastIndexOf(',');
    if (last < 0)
        return fields;
    const QByteArray name = text.left(last);
    const QByteArray description = name.contains(',') ? QByteArray() : text.mid(last + 1);
    return blanked(name) + ',' + blanked(description) + ',';
}

// The end of the waypoint record at r repaired in place, with `w` where its bytes go (w <= r;
// they move when an earlier route line came out shorter). -1 when it has not the shape.
qsizetype repairWaypoint(Text& t, qsizetype r, qsizetype& w) {
    qsizetype nameStart = t.digits(r + 2);
    if (nameStart < 0 || !t.at(nameStart, ',') || !t.at(nameStart + 1, ','))
        return -1;
    nameStart = t.digits(nameStart + 2);
    if (nameStart < 0 || !t.at(nameStart, ','))
        return -1;
    ++nameStart;
    qsizetype nameEnd = nameStart;
    qsizetype commentStart = -1;
    while (commentStart < 0) {
        const void* comma = std::memchr(t.d + nameEnd, ',', size_t(t.end - nameEnd));
        if (!comma)
            return -1;
        nameEnd = static_cast<const char*>(comma) - t.d;
        commentStart = t.waypointMiddle(nameEnd);
        if (commentStart < 0)
            ++nameEnd;
    }
    const qsizetype end = t.recordEnd(commentStart, WaypointEnd);
    if (end < 0)
        return -1;
    t.blank(nameStart, nameEnd);
    t.blank(commentStart, end - WaypointEnd.size());
    t.keep(r, end, w);
    return end;
}

// The same for the route record at r.
qsizetype repairRoute(Text& t, qsizetype r, qsizetype& w, ListedRouteNames* names) {
    const qsizetype fieldsStart = t.digits(r + 2);
    if (fieldsStart < 0 || !t.at(fieldsStart, ','))
        return -1;
    qsizetype nameLength = listedNameAt(t, fieldsStart + 1, names);
    qsizetype end = t.recordEnd(fieldsStart + 1 + qMax<qsizetype>(nameLength, 0), LineEnd);
    if (nameLength >= 0 &&
        (end < 0 || RecordKindOf(t.d + end, t.end - end) != LineKind::Waypoint)) {
        // Only routes with waypoints are listed: the name belongs to a later one.
        --names->next;
        nameLength = -1;
        end = t.recordEnd(fieldsStart + 1, LineEnd);
    }
    if (end < 0)
        return -1;
    const qsizetype fieldsEnd = end - LineEnd.size();
    if (nameLength >= 0 && t.at(fieldsEnd - 1, ',') &&
        fieldsEnd - 1 > fieldsStart + 1 + nameLength) {
        // NAME,DESCRIPTION, with the name's end known: both keep their place and length.
        t.blank(fieldsStart + 1, fieldsStart + 1 + nameLength);
        t.blank(fieldsStart + 2 + nameLength, fieldsEnd - 1);
        t.keep(r, end, w);
        return end;
    }
    const QByteArray fields =
        repairedRoute(QByteArray(t.d + fieldsStart + 1, fieldsEnd - fieldsStart - 1));
    t.keep(r, fieldsStart + 1, w);
    std::memcpy(t.d + w, fields.constData(), size_t(fields.size()));
    w += fields.size();
    std::memcpy(t.d + w, LineEnd.data(), size_t(LineEnd.size()));
    w += LineEnd.size();
    return end;
}

} // namespace

qsizetype RepairConverterRecords(QByteArray& bytes, qsizetype from, ListedRouteNames* names,
                                 const std::atomic_bool* stop) {
    Text t{bytes.data(), bytes.size()};
    qsizetype r = from;
    qsizetype w = from;
    for (int count = 1; r < t.end; ++count) {
        if (stop && count % RecordsPerLook == 0 && stop->load(std::memory_order_relaxed))
            return -1;
        const LineKind kind = RecordKindOf(t.d + r, t.end - r);
        const qsizetype next = kind == LineKind::Waypoint ? repairWaypoint(t, r, w)
                               : kind == LineKind::Route  ? repairRoute(t, r, w, names)
                                                          : -1;
        if (next < 0)
            break;
        r = next;
    }
    // From a record that could not be taken on, the rest stays as it is.
    t.keep(r, t.end, w);
    bytes.truncate(w);
    return w;
}

QByteArray RepairConverterOutput(const QByteArray& bytes) {
    QByteArray repaired = bytes;
    qsizetype start = 0;
    for (int line = 0; line < HeaderLines; ++line) {
        const qsizetype end = repaired.indexOf("\r\n", start);
        if (end < 0)
            return repaired;
        start = end + 2;
    }
    RepairConverterRecords(repaired, start);
    return repaired;
}

qsizetype ConverterRecordsStart(const QByteArray& bytes) {
    if (RecordKindOf(bytes.constData(), bytes.size()) != LineKind::Other)
        return 0;
    qsizetype pos = 0;
    for (int line = 0; line < HeaderLines; ++line) {
        const qsizetype end = bytes.indexOf("\r\n", pos);
        if (end < 0)
            return bytes.size();
        pos = end + 2;
    }
    return pos;
}
