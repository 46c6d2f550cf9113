// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/GpsBabelConverter.h"

#include <climits>

const char GpsBabelConverter::RoutesFile[] = "routes.rte";
const char GpsBabelConverter::TracksFile[] = "tracks.rte";
const char GpsBabelConverter::NamesFile[] = "names.txt";
const char GpsBabelConverter::FittedFile[] = "fitted.rte";

namespace {

QStringList filter(const QString& options) {
    return {QStringLiteral("-x"), options};
}

QStringList routeFile(const QString& path) {
    return {QStringLiteral("-o"), QStringLiteral("ozi"), QStringLiteral("-F"), path};
}

} // namespace

QString GpsBabelConverter::defaultProgram() {
#ifdef Q_OS_WIN
    return QStringLiteral("gpsbabel.exe");
#else
    return QStringLiteral("gpsbabel");
#endif
}

QString GpsBabelConverter::levelFile(int level) {
    return QStringLiteral("level%1.rte").arg(level);
}

// GPSBabel takes its options from left to right: a filter works on what has been read so
// far, an output writes what is there at that point. So one reading of the GPX file gives
// every file: the stack keeps a copy aside while the routes alone are written, the tracks
// are made routes with no route present (so their unnamed points are numbered from 1, and
// no track is written as a track file of its own beside the route file), and then all of
// them, made tracks in the order routes first, are thinned level by level (resample works on
// tracks only; the empty track made of the no waypoints keeps it from failing on a file
// without any). The names come last, from one point per route: the tab-separated text lists
// them without ambiguity, but compares every waypoint it writes with every other one.
QStringList GpsBabelConverter::listingArguments(const QString& gpxPath, int levels) {
    QStringList args{QStringLiteral("-i"), QStringLiteral("gpx"), QStringLiteral("-f"), gpxPath};
    args << filter(QStringLiteral("nuketypes,waypoints"))
         << filter(QStringLiteral("stack,push,copy")) << filter(QStringLiteral("nuketypes,tracks"))
         << routeFile(QString::fromLatin1(RoutesFile))
         << filter(QStringLiteral("transform,trk=rte,del")) << filter(QStringLiteral("stack,swap"))
         << filter(QStringLiteral("nuketypes,routes"))
         << filter(QStringLiteral("transform,rte=trk,del"))
         << routeFile(QString::fromLatin1(TracksFile))
         << filter(QStringLiteral("transform,trk=rte,del")) << filter(QStringLiteral("stack,swap"))
         << filter(QStringLiteral("stack,pop,append"))
         << filter(QStringLiteral("transform,trk=wpt"));
    for (int level = 1; level <= levels; ++level)
        args << filter(QStringLiteral("resample,decimate=10"))
             << filter(QStringLiteral("stack,push,copy"))
             << filter(QStringLiteral("transform,rte=trk,del")) << routeFile(levelFile(level))
             << filter(QStringLiteral("stack,pop"));
    args << filter(QStringLiteral("resample,decimate=%1").arg(INT_MAX)) << QStringLiteral("-o")
         << QStringLiteral("garmin_txt") << QStringLiteral("-F") << QString::fromLatin1(NamesFile);
    return args;
}

QStringList GpsBabelConverter::fitArguments(int pointCount, int decimate) {
    QStringList args{QStringLiteral("-r"), QStringLiteral("-i"), QStringLiteral("ozi"),
                     QStringLiteral("-f"), QStringLiteral("-")};
    if (decimate > 1)
        args << filter(QStringLiteral("transform,trk=rte,del"))
             << filter(QStringLiteral("resample,decimate=%1").arg(decimate))
             << filter(QStringLiteral("transform,rte=trk,del"));
    args << filter(QStringLiteral("simplify,count=%1").arg(pointCount))
         << routeFile(QString::fromLatin1(FittedFile));
    return args;
}
