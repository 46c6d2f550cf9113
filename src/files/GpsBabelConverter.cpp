// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/GpsBabelConverter.h"

QString GpsBabelConverter::defaultProgram() {
#ifdef Q_OS_WIN
    return QStringLiteral("gpsbabel.exe");
#else
    return QStringLiteral("gpsbabel");
#endif
}

QStringList GpsBabelConverter::arguments(const QString& gpxPath, const QString& rtePath) {
    // Routes (-r) from GPX into the OziExplorer format. The paths are passed as they are,
    // one argument each, so no character in them can change the command.
    return {QStringLiteral("-r"),
            QStringLiteral("-i"),
            QStringLiteral("gpx"),
            QStringLiteral("-f"),
            gpxPath,
            QStringLiteral("-o"),
            QStringLiteral("ozi"),
            QStringLiteral("-F"),
            rtePath};
}

QStringList GpsBabelConverter::trackArguments(const QString& gpxPath, const QString& rtePath) {
    // The GPX reader takes in everything, so routes and waypoints are dropped first: the
    // file then holds the tracks alone, numbered from 1, and no side file is written.
    return {QStringLiteral("-t"),
            QStringLiteral("-i"),
            QStringLiteral("gpx"),
            QStringLiteral("-f"),
            gpxPath,
            QStringLiteral("-x"),
            QStringLiteral("nuketypes,waypoints,routes"),
            QStringLiteral("-x"),
            QStringLiteral("transform,rte=trk,del"),
            QStringLiteral("-o"),
            QStringLiteral("ozi"),
            QStringLiteral("-F"),
            rtePath};
}

QStringList GpsBabelConverter::fitArguments(const QString& inPath, const QString& outPath,
                                            int pointCount) {
    return {QStringLiteral("-r"),
            QStringLiteral("-i"),
            QStringLiteral("ozi"),
            QStringLiteral("-f"),
            inPath,
            QStringLiteral("-x"),
            QStringLiteral("simplify,count=%1").arg(pointCount),
            QStringLiteral("-o"),
            QStringLiteral("ozi"),
            QStringLiteral("-F"),
            outPath};
}
