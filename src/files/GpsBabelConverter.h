// Runs GPSBabel to turn a GPX file into an OziExplorer route file. A plain class:
// program, arguments and timeout in; exit status, error output and the output file out.
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

    // Runs the converter and waits for it to end, at most the timeout. True when it
    // started, ended by itself with status 0 and left `rtePath` behind.
    bool convert(const QString& gpxPath, const QString& rtePath);

    QString program() const { return m_program; }
    int timeoutMs() const { return m_timeoutMs; }
    int exitCode() const { return m_exitCode; }
    // What the converter wrote to its error output, or why it could not be run.
    QString errorOutput() const { return m_errorOutput; }

private:
    QString m_program = defaultProgram();
    int m_timeoutMs = DefaultTimeoutMs;
    int m_exitCode = -1;
    QString m_errorOutput;
};
