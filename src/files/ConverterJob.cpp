// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/ConverterJob.h"

#include "files/ConverterOutputRepair.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QTemporaryDir>

#include <utility>

namespace {

// How long a cancelled converter is given to be reaped after it was killed.
const int ReapMs = 5000;
// The converter prints coordinates with six decimals: a point it gives back lies within
// half a millionth of a degree of the one it read, whatever decimals that one had.
const double SamePlaceDegrees = 0.6e-6;

// The route file a fit gives the converter; it tells its input format by the extension.
const char* const FitInputName = "route.rte";
const char* const NoRouteOrTrackText = "The GPX file holds no route or track.";

int routeLineCount(const QByteArray& bytes) {
    return int(bytes.count("\nR,")) + (bytes.startsWith("R,") ? 1 : 0);
}

struct Place {
    double lat = 0;
    double lon = 0;
};

// The latitude and longitude of each waypoint line, fields 5 and 6 as the reader divides
// a line.
QList<Place> waypointPlaces(const QByteArray& bytes) {
    QList<Place> places;
    for (const QByteArray& line : bytes.split('\n')) {
        if (!line.startsWith("W,"))
            continue;
        const QList<QByteArray> fields = SplitFields(line);
        Place place;
        if (fields.size() > 6)
            place = {fields.at(5).trimmed().toDouble(), fields.at(6).trimmed().toDouble()};
        places << place;
    }
    return places;
}

bool samePlace(const Place& a, const Place& b) {
    return qAbs(a.lat - b.lat) <= SamePlaceDegrees && qAbs(a.lon - b.lon) <= SamePlaceDegrees;
}

// Finds each kept point among the original ones, in order. The first match is taken, as
// later points still need room behind it; only the last kept point takes the route's own
// end when it lies there, for a round trip passes its start again.
bool matchKept(const QList<Place>& original, const QList<Place>& kept, QList<int>& indices) {
    int next = 0;
    for (const Place& place : kept) {
        while (next < original.size() && !samePlace(original.at(next), place))
            ++next;
        if (next == original.size())
            return false;
        indices << next++;
    }
    if (indices.isEmpty())
        return false;
    if (samePlace(original.last(), kept.last()))
        indices.last() = int(original.size()) - 1;
    return true;
}

} // namespace

ConverterJob::ConverterJob(const GpsBabelConverter& converter, QObject* parent)
    : QObject(parent), m_converter(converter) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ConverterJob::onTimeout);
    connect(&m_process, &QProcess::readyReadStandardError, this, &ConverterJob::collectErrorOutput);
    connect(&m_process, &QProcess::finished, this, &ConverterJob::onProcessFinished);
    connect(&m_process, &QProcess::errorOccurred, this, &ConverterJob::onProcessError);
}

ConverterJob::~ConverterJob() {
    stopProcess();
    m_dir.reset();
}

void ConverterJob::startGpxConversion(const QString& gpxPath) {
    if (m_status == Status::Running)
        return;
    begin(Work::Conversion);
    // The converter runs in the private folder, so a relative path is made absolute here.
    const QString gpx = QFileInfo(gpxPath).absoluteFilePath();
    const QString routes = m_dir->filePath(QStringLiteral("routes.rte"));
    const QString tracks = m_dir->filePath(QStringLiteral("tracks.rte"));
    m_runs = {{GpsBabelConverter::arguments(gpx, routes), routes, true},
              {GpsBabelConverter::trackArguments(gpx, tracks), tracks, true}};
}

void ConverterJob::startFit(const QByteArray& routeFile, int pointCount) {
    if (m_status == Status::Running)
        return;
    begin(Work::Fit);
    m_input = routeFile;
    const QString in = m_dir->filePath(QString::fromLatin1(FitInputName));
    const QString out = m_dir->filePath(QStringLiteral("fitted.rte"));
    m_runs = {{GpsBabelConverter::fitArguments(in, out, pointCount), out, false}};
}

void ConverterJob::begin(Work work) {
    m_work = work;
    m_status = Status::Running;
    m_reason.clear();
    m_errorText.clear();
    m_converterMissing = false;
    m_routeFile.clear();
    m_gpxRouteCount = 0;
    m_keptWaypoints.clear();
    m_input.clear();
    m_outputs.clear();
    m_nextRun = 0;
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/rv58route-XXXXXX"));
    // The work starts from the event loop, so finished() never comes before the caller
    // has returned from starting it.
    QMetaObject::invokeMethod(this, &ConverterJob::startNextRun, Qt::QueuedConnection);
}

void ConverterJob::startNextRun() {
    if (m_status != Status::Running)
        return;
    if (!m_dir->isValid()) {
        fail(QStringLiteral("No temporary folder for the converter: %1").arg(m_dir->errorString()));
        return;
    }
    if (m_work == Work::Fit && m_nextRun == 0) {
        QFile input(m_dir->filePath(QString::fromLatin1(FitInputName)));
        if (!input.open(QIODevice::WriteOnly) || input.write(m_input) != m_input.size()) {
            fail(QStringLiteral("The route could not be written for the converter: %1")
                     .arg(input.errorString()));
            return;
        }
    }
    const Run& run = m_runs.at(m_nextRun);
    m_errorOutput.clear();
    m_timedOut = false;
    m_process.setProgram(m_converter.program());
    m_process.setArguments(run.arguments);
    // Side files the converter writes beside its output stay in the private folder, and
    // what it prints on standard output is of no use, however much it is.
    m_process.setWorkingDirectory(m_dir->path());
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_timer.start(m_converter.timeoutMs());
    m_process.start();
}

void ConverterJob::collectErrorOutput() {
    m_errorOutput += m_process.readAllStandardError();
    // Cut only now and then, so a converter that prints a lot costs no copy per read.
    if (m_errorOutput.size() > 2 * MaxErrorOutputBytes)
        m_errorOutput.remove(0, m_errorOutput.size() - MaxErrorOutputBytes);
}

void ConverterJob::onTimeout() {
    m_timedOut = true;
    m_process.kill();
}

void ConverterJob::onProcessError(QProcess::ProcessError error) {
    if (m_status != Status::Running || error != QProcess::FailedToStart)
        return;
    m_timer.stop();
    m_converterMissing = true;
    fail(QStringLiteral("%1 could not be started: %2")
             .arg(m_converter.program(), m_process.errorString()));
}

void ConverterJob::onProcessFinished(int exitCode, QProcess::ExitStatus exitStatus) {
    if (m_status != Status::Running)
        return;
    m_timer.stop();
    collectErrorOutput();
    const QString program = m_converter.program();
    if (m_timedOut) {
        fail(QStringLiteral("%1 did not finish within %2 seconds.")
                 .arg(program, QString::number(m_converter.timeoutMs() / 1000.0)));
        return;
    }
    if (exitStatus != QProcess::NormalExit) {
        fail(QStringLiteral("%1 stopped abnormally.").arg(program));
        return;
    }
    if (exitCode != 0) {
        fail(QStringLiteral("%1 ended with status %2.").arg(program).arg(exitCode));
        return;
    }
    const Run& run = m_runs.at(m_nextRun);
    QFile output(run.output);
    QByteArray bytes;
    if (output.exists()) {
        if (!output.open(QIODevice::ReadOnly)) {
            fail(QStringLiteral("%1 could not be read: %2").arg(run.output, output.errorString()));
            return;
        }
        bytes = output.readAll();
        if (bytes.isNull())
            bytes = QByteArray("", 0);
    } else if (!run.outputOptional) {
        fail(QStringLiteral("%1 wrote no route file.").arg(program));
        return;
    }
    m_outputs << bytes;
    if (++m_nextRun < m_runs.size())
        QMetaObject::invokeMethod(this, &ConverterJob::startNextRun, Qt::QueuedConnection);
    else
        complete();
}

void ConverterJob::complete() {
    if (m_work == Work::Conversion) {
        const QByteArray& routes = m_outputs.at(0);
        const QByteArray& tracks = m_outputs.at(1);
        if (routes.isNull() && tracks.isNull()) {
            fail(QString::fromLatin1(NoRouteOrTrackText));
            return;
        }
        // A file without routes gets the tracks' header; otherwise the tracks' records
        // follow the routes', and the routes' bytes are what the route run wrote.
        const QByteArray repairedRoutes = RepairConverterOutput(routes);
        const QByteArray repairedTracks = RepairConverterOutput(tracks);
        m_gpxRouteCount = routeLineCount(repairedRoutes);
        m_routeFile =
            routes.isNull()
                ? repairedTracks
                : repairedRoutes + repairedTracks.mid(ConverterRecordsStart(repairedTracks));
    } else {
        const QList<Place> original = waypointPlaces(m_input);
        const QList<Place> kept = waypointPlaces(RepairConverterOutput(m_outputs.first()));
        QList<int> indices;
        if (!matchKept(original, kept, indices)) {
            fail(QStringLiteral("The reduced route's %1 points do not match the route's %2 "
                                "waypoints.")
                     .arg(kept.size())
                     .arg(original.size()));
            return;
        }
        m_keptWaypoints = indices;
    }
    end(Status::Ok);
}

void ConverterJob::fail(const QString& reason) {
    m_errorText = QString::fromLocal8Bit(m_errorOutput.right(MaxErrorOutputBytes)).trimmed();
    m_reason = reason;
    end(Status::Failed);
}

void ConverterJob::cancel() {
    if (m_status != Status::Running)
        return;
    stopProcess();
    end(Status::Cancelled);
}

void ConverterJob::end(Status status) {
    m_timer.stop();
    m_dir.reset();
    m_status = status;
    emit finished();
}

void ConverterJob::stopProcess() {
    m_timer.stop();
    if (m_process.state() == QProcess::NotRunning)
        return;
    // Its end is of no interest any more: no slot of this job may run for it.
    const QSignalBlocker blocker(m_process);
    m_process.kill();
    m_process.waitForFinished(ReapMs);
}

bool ConverterJob::waitForFinished() {
    if (m_status == Status::Running) {
        QEventLoop loop;
        connect(this, &ConverterJob::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return m_status == Status::Ok;
}
