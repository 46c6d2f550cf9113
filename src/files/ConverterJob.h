// SPDX-License-Identifier: GPL-3.0-or-later
// One piece of converter work run without blocking the caller: GPSBabel runs as a child
// process in a private folder, bounded by the converter's timeout, and can be cancelled at
// any moment. The window keeps painting meanwhile; the command-line program waits for it.
#pragma once

#include "files/GpsBabelConverter.h"
#include "files/RouteFileReader.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <memory>

class QTemporaryDir;

class ConverterJob : public QObject {
    Q_OBJECT
public:
    enum class Status { Idle, Running, Ok, Cancelled, Failed };
    // The last part of the converter's error output is kept, the part that says why.
    static constexpr qsizetype MaxErrorOutputBytes = 64 * 1024;

    explicit ConverterJob(const GpsBabelConverter& converter = {}, QObject* parent = nullptr);
    // Ends a running converter and removes the private folder, without finished().
    ~ConverterJob() override;

    // Converts a GPX file into one route file: its routes, then its tracks made routes.
    // Result: routeFile() and gpxRouteCount(). A file with neither fails.
    void startGpxConversion(const QString& gpxPath);
    // Reduces the one route in `routeFile` (a header, its route line and waypoint lines)
    // to at most `pointCount` of its points. Result: keptWaypoints().
    void startFit(const QByteArray& routeFile, int pointCount = MaxRouteWaypoints);
    // Both starts do nothing while the job runs; a job that has ended may be started again.
    // Ends the converter, removes the private folder and finishes as Cancelled. Does
    // nothing unless the job is running.
    void cancel();
    // Runs an event loop until the job has finished; true when it ended Ok.
    bool waitForFinished();

    Status status() const { return m_status; }
    // Why the job failed, in a sentence; and the end of the converter's error output, where
    // it printed any.
    QString reason() const { return m_reason; }
    QString errorOutput() const { return m_errorText; }
    // True when the job failed because the converter could not be started at all.
    bool converterMissing() const { return m_converterMissing; }
    // The converted route file: the GPX routes' lines first, then the tracks' lines.
    QByteArray routeFile() const { return m_routeFile; }
    // How many of the route file's routes are GPX routes; the ones after are tracks.
    int gpxRouteCount() const { return m_gpxRouteCount; }
    // The waypoint lines that the fitted route keeps, counted from 0 in the input's order.
    QList<int> keptWaypoints() const { return m_keptWaypoints; }

signals:
    // Emitted once per start, when the job has ended in whichever way.
    void finished();

private:
    enum class Work { Conversion, Fit };
    struct Run {
        QStringList arguments;
        QString output;
        bool outputOptional = false;
    };

    void begin(Work work);
    void startNextRun();
    void collectErrorOutput();
    void onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus);
    void onProcessError(QProcess::ProcessError error);
    void onTimeout();
    void complete();
    void fail(const QString& reason);
    void end(Status status);
    void stopProcess();

    GpsBabelConverter m_converter;
    QProcess m_process;
    QTimer m_timer;
    std::unique_ptr<QTemporaryDir> m_dir;
    Work m_work = Work::Conversion;
    QList<Run> m_runs;
    qsizetype m_nextRun = 0;
    QList<QByteArray> m_outputs; // per run ended, null when it wrote no file
    QByteArray m_input;          // the route file to fit
    QByteArray m_errorOutput;
    bool m_timedOut = false;

    Status m_status = Status::Idle;
    QString m_reason;
    QString m_errorText;
    bool m_converterMissing = false;
    QByteArray m_routeFile;
    int m_gpxRouteCount = 0;
    QList<int> m_keptWaypoints;
};
