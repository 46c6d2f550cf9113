// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ConverterOutput.h"

#include "files/GpsBabelConverter.h"
#include "files/RouteRecords.h"
#include "files/SaveTarget.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace {

const qint64 MinGpxBytesPerPoint = 24; // <trkpt lat="1" lon="1"/>
// Files are read in pieces of this size, with a look at the stop flag between two.
const qint64 ReadChunkBytes = 16 << 20;
// A device with less room than one of the converter's writes is taken to be full.
const qint64 FullDeviceBytes = 64 * 1024;
// The converter prints coordinates with six decimals: a point it gives back lies within
// half a millionth of a degree of the one it read, whatever decimals that one had.
const double SamePlaceDegrees = 0.6e-6;

const char* const NoRouteOrTrackText = "The GPX file holds no route or track.";

// Appends the file at `path` to `bytes`, in place. False when it cannot be read whole.
bool appendFile(const QString& path, QByteArray& bytes, const std::atomic_bool& stop) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    const qsizetype at = bytes.size();
    bytes.resize(at + size);
    for (qint64 done = 0; done < size;) {
        if (stop.load(std::memory_order_relaxed))
            return false;
        const qint64 read = file.read(bytes.data() + at + done, qMin(ReadChunkBytes, size - done));
        if (read <= 0)
            return false;
        done += read;
    }
    return true;
}

// The converter ended well but its files are cut short: it could not write them.
QString cutShort() {
    const QString temp = QDir::toNativeSeparators(QDir::tempPath());
    const QStorageInfo storage(QDir::tempPath());
    if (storage.isValid() && storage.bytesAvailable() < FullDeviceBytes)
        return QStringLiteral("GPSBabel could not write its output to %1: %2")
            .arg(temp, DescribeWriteError(QString(), ENOSPC));
    return QStringLiteral("GPSBabel's output in %1 is cut short; it could not write all of it.")
        .arg(temp);
}

// The names the tab-separated list gives: the second field of each "Track" line.
QList<QByteArray> listedNames(const QByteArray& text) {
    QList<QByteArray> names;
    const QByteArrayView track("Track\t");
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = text.indexOf('\n', start);
        end = end < 0 ? text.size() : end + 1;
        const QByteArrayView line = QByteArrayView(text).sliced(start, end - start);
        if (line.startsWith(track)) {
            const QByteArrayView rest = line.sliced(track.size());
            const qsizetype tab = rest.indexOf('\t');
            names << rest.first(tab < 0 ? rest.size() : tab).toByteArray();
        }
        start = end;
    }
    return names;
}

// Field 2 of a route line, the route's name, without the line end a last field carries.
QString routeName(const char* line, qsizetype length) {
    const QByteArrayView text(line, length);
    const qsizetype first = text.indexOf(',', 2);
    if (first < 0)
        return QString();
    qsizetype end = text.indexOf(',', first + 1);
    if (end < 0) {
        end = length;
        while (end > first + 1 && (text.at(end - 1) == '\n' || text.at(end - 1) == '\r'))
            --end;
    }
    return QString::fromLatin1(text.sliced(first + 1, end - first - 1));
}

// Appends one of the listing's route files and takes it in; false with the reason when it
// is cut short.
bool takeRouteFile(const QString& path, ConvertedRoutes& out, QString& reason,
                   const std::atomic_bool& stop) {
    const qsizetype at = out.bytes.size();
    if (!appendFile(path, out.bytes, stop)) {
        reason = stop ? QString() : cutShort();
        return false;
    }
    if (!TakeInRouteFile(out, at, stop)) {
        reason = stop ? QString() : cutShort();
        return false;
    }
    return true;
}

bool isPlainNumber(QByteArrayView text) {
    qsizetype i = text.startsWith('-') ? 1 : 0;
    bool digits = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !point)
            point = true;
        else
            return false;
    }
    return digits;
}

// A coordinate field as the converter reads it: blanks around it ignored, 0 when it is no
// number.
double coordinate(QByteArrayView field) {
    field = field.trimmed();
    double value = 0;
    if (isPlainNumber(field)) {
        const auto result = std::from_chars(field.data(), field.data() + field.size(), value);
        if (result.ec == std::errc() && result.ptr == field.data() + field.size())
            return value;
    }
    return field.toByteArray().toDouble();
}

Place placeOf(QByteArrayView line) {
    qsizetype start = 0;
    QByteArrayView fields[7];
    for (int i = 0; i < 7; ++i) {
        if (start > line.size())
            return Place();
        qsizetype comma = line.indexOf(',', start);
        if (comma < 0)
            comma = line.size();
        fields[i] = line.sliced(start, comma - start);
        start = comma + 1;
    }
    return {coordinate(fields[5]), coordinate(fields[6])};
}

bool samePlace(const Place& a, const Place& b) {
    return qAbs(a.lat - b.lat) <= SamePlaceDegrees && qAbs(a.lon - b.lon) <= SamePlaceDegrees;
}

// Calls visit(line, isWaypoint) for each line of `text`, line ends included.
template <class Visit> void forEachLine(QByteArrayView text, Visit visit) {
    for (qsizetype start = 0; start < text.size();) {
        const void* lf = std::memchr(text.data() + start, '\n', size_t(text.size() - start));
        const qsizetype end = lf ? static_cast<const char*>(lf) - text.data() + 1 : text.size();
        const QByteArrayView line = text.sliced(start, end - start);
        visit(line, RecordKindOf(line.data(), line.size()) == LineKind::Waypoint);
        start = end;
    }
}

} // namespace

int ThinnedLevelsFor(qint64 gpxBytes) {
    const qint64 points = gpxBytes / MinGpxBytesPerPoint;
    int levels = 0;
    for (qint64 kept = MaxFitInputPoints; kept < points; kept *= 10)
        ++levels;
    return levels;
}

QByteArrayView ConvertedRoutes::records(int index) const {
    const qsizetype start = routeStarts.at(index);
    const qsizetype end = index + 1 < routeStarts.size() ? routeStarts.at(index + 1) : bytes.size();
    return QByteArrayView(bytes).sliced(start, end - start);
}

bool ReadConvertedRoutes(const QString& folder, int levels, ConvertedRoutes& out, QString& reason,
                         const std::atomic_bool& stop) {
    out = ConvertedRoutes();
    out.levels = levels;
    reason.clear();
    const QDir dir(folder);
    // The names are written last: when they are whole, so is everything before them.
    QByteArray names;
    if (!appendFile(dir.filePath(QString::fromLatin1(GpsBabelConverter::NamesFile)), names, stop) ||
        !names.endsWith("\r\n")) {
        if (!stop)
            reason = cutShort();
        return false;
    }
    out.names.names = listedNames(names);
    const QString routes = dir.filePath(QString::fromLatin1(GpsBabelConverter::RoutesFile));
    const QString tracks = dir.filePath(QString::fromLatin1(GpsBabelConverter::TracksFile));
    const QFileInfo routesInfo(routes), tracksInfo(tracks);
    if (!routesInfo.exists() && !tracksInfo.exists()) {
        reason = QString::fromLatin1(NoRouteOrTrackText);
        return false;
    }
    out.bytes.reserve(routesInfo.size() + tracksInfo.size());
    if (routesInfo.exists() && !takeRouteFile(routes, out, reason, stop))
        return false;
    const qsizetype tracksStart = out.bytes.size();
    if (tracksInfo.exists() && !takeRouteFile(tracks, out, reason, stop))
        return false;
    ListConvertedRoutes(out, tracksStart);
    return !stop;
}

bool TakeInRouteFile(ConvertedRoutes& out, qsizetype at, const std::atomic_bool& stop) {
    if (!out.bytes.endsWith("\r\n"))
        return false;
    const QByteArray part =
        QByteArray::fromRawData(out.bytes.constData() + at, out.bytes.size() - at);
    const qsizetype header = ConverterRecordsStart(part);
    if (at == 0)
        out.recordsStart = header;
    else if (header > 0)
        out.bytes.remove(at, header); // the first file's header is the one kept
    return RepairConverterRecords(out.bytes, at == 0 ? header : at, &out.names, &stop) >= 0;
}

void ListConvertedRoutes(ConvertedRoutes& out, qsizetype tracksStart) {
    out.routes.clear();
    out.routeStarts.clear();
    ScanRouteLines(out.bytes, [&](qsizetype start, qsizetype length, LineKind kind, int number) {
        if (kind == LineKind::Other)
            return;
        if (number > out.routes.size()) {
            RouteListEntry entry;
            entry.number = number;
            if (start >= tracksStart)
                entry.kind = QStringLiteral("track");
            out.routes << entry;
            out.routeStarts << start;
        }
        if (kind == LineKind::Waypoint)
            ++out.routes.last().points;
        else
            out.routes.last().name = routeName(out.bytes.constData() + start, length);
    });
}

int FitDecimation(int points) {
    return qMax(1, (points + MaxFitInputPoints - 1) / MaxFitInputPoints);
}

bool PrepareFitInput(const ConvertedRoutes& routes, int index, const QString& folder, FitInput& out,
                     const std::atomic_bool& stop) {
    out = FitInput();
    const int points = routes.routes.at(index).points;
    out.decimate = FitDecimation(points);
    out.pieces = {routes.header(), routes.records(index)};
    if (out.decimate == 1)
        return true;
    int level = 0;
    int step = 1;
    for (; step < out.decimate; step *= 10)
        ++level;
    if (level > routes.levels ||
        !appendFile(QDir(folder).filePath(GpsBabelConverter::levelFile(level)), out.levelBytes,
                    stop))
        return !stop; // the route whole, thinned by the fit itself
    ListedRouteNames names{routes.names.names, 0};
    if (RepairConverterRecords(out.levelBytes, ConverterRecordsStart(out.levelBytes), &names,
                               &stop) < 0)
        return false;
    // The level's route `index`, if it has the points it should.
    qsizetype start = -1;
    qsizetype end = out.levelBytes.size();
    int kept = 0;
    ScanRouteLines(out.levelBytes, [&](qsizetype at, qsizetype, LineKind kind, int number) {
        if (number == index + 1 && kind != LineKind::Other && start < 0)
            start = at;
        if (number == index + 2 && end == out.levelBytes.size())
            end = at;
        if (number == index + 1 && kind == LineKind::Waypoint)
            ++kept;
    });
    if (start < 0 || kept != (points + step - 1) / step) {
        out.levelBytes.clear();
        return true;
    }
    out.pieces = {routes.header(), QByteArrayView(out.levelBytes).sliced(start, end - start)};
    out.decimate = 1;
    return true;
}

QList<Place> WaypointPlaces(QByteArrayView records, const std::atomic_bool& stop) {
    QList<Place> places;
    bool stopped = false;
    forEachLine(records, [&](QByteArrayView line, bool waypoint) {
        if (stopped || !waypoint)
            return;
        if (places.size() % 4096 == 0 && stop.load(std::memory_order_relaxed))
            stopped = true;
        else
            places << placeOf(line);
    });
    return places;
}

bool MatchFittedPoints(const QList<Place>& original, const QList<Place>& fitted, QList<int>& kept) {
    // The first match is taken, as later points still need room behind it. The last fitted
    // point is the end of what the converter was given: the route's own end, or, for a route
    // thinned first, a point up to one step of the thinning short of it. Either way the
    // route ends where it ends (a round trip, which passes its start again, included).
    kept.clear();
    int next = 0;
    for (const Place& place : fitted) {
        while (next < original.size() && !samePlace(original.at(next), place))
            ++next;
        if (next == original.size())
            return false;
        kept << next++;
    }
    if (kept.isEmpty())
        return false;
    kept.last() = int(original.size()) - 1;
    return true;
}

QByteArray KeepWaypointLines(QByteArrayView header, QByteArrayView records,
                             const QList<int>& kept) {
    QByteArray bytes = header.toByteArray();
    int waypoint = 0;
    int nextKept = 0;
    forEachLine(records, [&](QByteArrayView line, bool isWaypoint) {
        if (!isWaypoint) {
            bytes += line;
            return;
        }
        if (nextKept < kept.size() && kept.at(nextKept) == waypoint) {
            bytes += line;
            ++nextKept;
        }
        ++waypoint;
    });
    return bytes;
}
