// SPDX-License-Identifier: GPL-3.0-or-later
// Which GPSBabel to run, for how long at most, and with which arguments for each kind of
// work; ConverterJob runs it, ConverterOutput takes in what it wrote.
#pragma once

#include <QString>
#include <QStringList>

class GpsBabelConverter {
public:
    // The converter's program name as found on PATH: gpsbabel, gpsbabel.exe on Windows.
    static QString defaultProgram();
    static constexpr int DefaultTimeoutMs = 60000;

    // What one listing run writes into its folder: the GPX routes as a route file, the
    // tracks made routes as a second one, the names of all of them, and per level L a route
    // file of every 10^L-th point of each of them; always the routes first, then the tracks.
    // GPSBabel writes a route file's header once per run, so only the first route file it
    // writes has one.
    static const char RoutesFile[];
    static const char TracksFile[];
    static const char NamesFile[];
    static QString levelFile(int level);
    // What a fit writes.
    static const char FittedFile[];

    GpsBabelConverter() = default;
    explicit GpsBabelConverter(const QString& program, int timeoutMs = DefaultTimeoutMs)
        : m_program(program), m_timeoutMs(timeoutMs) {}

    // The argument list for listing the routes and tracks of `gpxPath` (an absolute path) in
    // one run, with the files above, `levels` thinned levels of them, in the working folder.
    static QStringList listingArguments(const QString& gpxPath, int levels);
    // The argument list for reducing the one route of the route file on standard input to
    // at most `pointCount` of its points, every `decimate`-th taken first when above 1,
    // written to FittedFile in the working folder.
    static QStringList fitArguments(int pointCount, int decimate = 1);

    QString program() const { return m_program; }
    int timeoutMs() const { return m_timeoutMs; }

private:
    QString m_program = defaultProgram();
    int m_timeoutMs = DefaultTimeoutMs;
};
