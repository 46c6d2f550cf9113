// SPDX-License-Identifier: GPL-3.0-or-later
// Which GPSBabel to run, for how long at most, and with which arguments for each kind of
// work; ConverterJob runs it.
#pragma once

#include <QString>
#include <QStringList>

class GpsBabelConverter {
public:
    // The converter's program name as found on PATH: gpsbabel, gpsbabel.exe on Windows.
    static QString defaultProgram();
    static constexpr int DefaultTimeoutMs = 60000;

    GpsBabelConverter() = default;
    explicit GpsBabelConverter(const QString& program, int timeoutMs = DefaultTimeoutMs)
        : m_program(program), m_timeoutMs(timeoutMs) {}

    // The argument list for converting the routes of `gpxPath` into `rtePath`.
    static QStringList arguments(const QString& gpxPath, const QString& rtePath);
    // The argument list for writing only the tracks of `gpxPath` into `rtePath`, each made
    // a route by the converter's own filter. Without tracks it writes no file.
    static QStringList trackArguments(const QString& gpxPath, const QString& rtePath);
    // The argument list for reducing the route in route file `inPath` to at most
    // `pointCount` of its points, written to `outPath`.
    static QStringList fitArguments(const QString& inPath, const QString& outPath, int pointCount);

    QString program() const { return m_program; }
    int timeoutMs() const { return m_timeoutMs; }

private:
    QString m_program = defaultProgram();
    int m_timeoutMs = DefaultTimeoutMs;
};
