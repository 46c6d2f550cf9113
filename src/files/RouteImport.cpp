// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RouteImport.h"

#include "geometry/RouteMeasurement.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QRegularExpression>
#include <QThread>

#include <climits>

namespace {

const char* const FormatErrorText = Message::FormatError;
const char* const ConversionErrorText = Message::ConversionFailed;
const char* const RteErrorText = Message::RteFileError;
const char* const UnknownTypeText = Message::UnknownFileType;

// The route's length in metres, measured as the table measures it.
double lengthOf(const ParsedRoute& route) {
    QVector<double> lats, lons;
    lats.reserve(route.rows.size());
    lons.reserve(route.rows.size());
    for (const auto& row : route.rows) {
        lats.append(ParseLeadingNumber(row[2]));
        lons.append(ParseLeadingNumber(row[3]));
    }
    return MeasureRouteLength(lats, lons);
}

double lengthOf(const QList<Place>& places) {
    QVector<double> lats, lons;
    lats.reserve(places.size());
    lons.reserve(places.size());
    for (const Place& place : places) {
        lats.append(place.lat);
        lons.append(place.lon);
    }
    return MeasureRouteLength(lats, lons);
}

// Why GPSBabel refused a GPX file, from the last line it printed, e.g.
//   GPX Read error: "Start tag expected." File: "a.gpx" Line: 1 Column: 1
QString unreadableGpx(const QString& line) {
    const QRegularExpression readError(
        QStringLiteral("^GPX Read error: \"(.*?)\\.?\" File: \".*\" Line: (\\d+)"));
    const QRegularExpressionMatch match = readError.match(line);
    const QString what =
        match.hasMatch() ? QStringLiteral("%1 (line %2).").arg(match.captured(1), match.captured(2))
                         : line;
    return QStringLiteral("GPSBabel could not read the file as GPX: %1").arg(what);
}

QString noSuchRoute(int routes, int number) {
    return QStringLiteral("The file holds %1; there is no route %2.")
        .arg(routes == 1 ? QStringLiteral("1 route") : QStringLiteral("%1 routes").arg(routes))
        .arg(number);
}

} // namespace

RouteFileType FileTypeOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("gpx"))
        return RouteFileType::Gpx;
    if (suffix == QLatin1String("rte"))
        return RouteFileType::Rte;
    return RouteFileType::Unknown;
}

QString FitQuestion(int points) {
    return QStringLiteral("The route has %1 points; the device holds %2. Reduce it to %2 points "
                          "along its shape?")
        .arg(points)
        .arg(MaxRouteWaypoints);
}

RouteLoader::RouteLoader(const GpsBabelConverter& converter, QObject* parent)
    : QObject(parent), m_job(converter) {
    connect(&m_job, &ConverterJob::finished, this, [this] {
        if (m_stage == Stage::Listing)
            conversionFinished();
        else if (m_stage == Stage::Fitting)
            fitFinished();
    });
}

RouteLoader::~RouteLoader() {
    stopBackground();
}

void RouteLoader::finishLater(Stage stage) {
    m_stage = stage;
    // Only a listed GPX file still needs the converter's folder: its thinned levels.
    if (stage != Stage::Listed)
        m_job.discardFolder();
    // Every step ends from the event loop, so a caller always sees the step begin and end
    // in that order, whether or not the converter ran.
    QMetaObject::invokeMethod(this, &RouteLoader::stepFinished, Qt::QueuedConnection);
}

void RouteLoader::fail(const char* message, const QString& reason, const QString& details) {
    m_outcome.ok = false;
    m_outcome.refusal = {QString::fromLatin1(message), reason, QString(), details};
    finishLater(Stage::Failed);
}

void RouteLoader::inBackground(std::function<void()> work, void (RouteLoader::*done)()) {
    stopBackground();
    m_stop = false;
    m_workReason.clear();
    const int generation = ++m_generation;
    m_thread.reset(QThread::create(std::move(work)));
    connect(m_thread.get(), &QThread::finished, this, [this, generation, done] {
        if (generation != m_generation || !m_thread)
            return;
        m_thread->wait();
        m_thread.reset();
        (this->*done)();
    });
    m_thread->start();
}

void RouteLoader::stopBackground() {
    if (!m_thread)
        return;
    m_stop = true;
    m_thread->wait();
    m_thread.reset();
    ++m_generation;
}

void RouteLoader::release() {
    stopBackground();
    m_job.discardFolder();
    m_converted = false;
    m_bytes.clear();
    m_gpx = ConvertedRoutes();
    m_route = ParsedRoute();
    m_fitSource.clear();
    m_fitHeader = {};
    m_fitRecords = {};
    m_fitInput = FitInput();
    m_places.clear();
    m_kept.clear();
}

void RouteLoader::open(const QString& path) {
    if (isRunning())
        return;
    release();
    m_outcome = ImportOutcome();
    m_routes.clear();
    m_fitReport.clear();
    m_stage = Stage::Listing;
    switch (FileTypeOf(path)) {
    case RouteFileType::Unknown:
        fail(UnknownTypeText, QStringLiteral("%1 is neither a GPX file (.gpx) nor a route file "
                                             "(.rte).")
                                  .arg(Quoted(QFileInfo(path).fileName())));
        m_outcome.refusal.cause = Cause::UnknownFileType;
        return;
    case RouteFileType::Rte: {
        QByteArray bytes;
        QString reason;
        ReadWholeFileResult read = ReadWholeFileResult::Ok;
        if (!ReadRouteBytes(path, bytes, &reason, &read)) {
            const bool notRead =
                read == ReadWholeFileResult::CannotOpen || read == ReadWholeFileResult::ReadFault;
            fail(notRead ? RteErrorText : FormatErrorText, reason);
            return;
        }
        listRteRoutes(bytes);
        return;
    }
    case RouteFileType::Gpx:
        break;
    }
    const QString unreadable = CheckReadableFile(path);
    if (!unreadable.isEmpty()) {
        fail(ConversionErrorText, unreadable);
        return;
    }
    const QFileInfo gpx(path);
    m_converted = true;
    m_levels = ThinnedLevelsFor(gpx.size());
    m_job.start(GpsBabelConverter::listingArguments(gpx.absoluteFilePath(), m_levels));
}

void RouteLoader::listRteRoutes(const QByteArray& bytes) {
    QString reason;
    if (!ListRoutes(bytes, m_routes, &reason)) {
        fail(FormatErrorText, reason);
        return;
    }
    m_bytes = bytes;
    finishLater(Stage::Listed);
}

bool RouteLoader::jobSucceeded(const char* failure) {
    switch (m_job.status()) {
    case ConverterJob::Status::Ok:
        return true;
    case ConverterJob::Status::Cancelled:
        finishLater(Stage::Cancelled);
        return false;
    default:
        break;
    }
    // A listing run that ends with an error could not read the GPX file; its last line says
    // why, in GPSBabel's words.
    const QString lastLine = m_job.lastErrorLine();
    const bool unreadable =
        m_stage == Stage::Listing && m_job.endedWithError() && !lastLine.isEmpty();
    fail(failure, unreadable ? unreadableGpx(lastLine) : m_job.reason(), m_job.errorOutput());
    if (m_job.converterMissing())
        m_outcome.refusal.cause = Cause::ConverterMissing;
    return false;
}

void RouteLoader::conversionFinished() {
    if (!jobSucceeded(ConversionErrorText))
        return;
    const QString folder = m_job.folder();
    inBackground(
        [this, folder] { ReadConvertedRoutes(folder, m_levels, m_gpx, m_workReason, m_stop); },
        &RouteLoader::conversionRead);
}

void RouteLoader::conversionRead() {
    if (!m_workReason.isEmpty()) {
        fail(ConversionErrorText, m_workReason);
        return;
    }
    // The whole files are in memory now; only the thinned levels stay for a fit.
    for (const char* name : {GpsBabelConverter::RoutesFile, GpsBabelConverter::TracksFile,
                             GpsBabelConverter::NamesFile})
        QFile::remove(m_job.filePath(QString::fromLatin1(name)));
    m_routes = m_gpx.routes;
    finishLater(Stage::Listed);
}

bool RouteLoader::takeRoute(int number, int maxWaypoints) {
    QString reason;
    bool taken = false;
    if (!m_converted)
        taken = ParseRouteFile(m_bytes, m_route, &reason, number, maxWaypoints);
    else if (number < 1 || number > m_routes.size())
        reason = noSuchRoute(int(m_routes.size()), number);
    else
        taken = ParseRouteFile(m_gpx.header().toByteArray().append(m_gpx.records(number - 1)),
                               m_route, &reason, 1, maxWaypoints);
    if (!taken)
        fail(FormatErrorText, reason);
    return taken;
}

void RouteLoader::choose(int number, bool fit) {
    if (m_stage != Stage::Listed)
        return;
    m_fitReport.clear();
    const int points =
        number >= 1 && number <= m_routes.size() ? m_routes.at(number - 1).points : 0;
    if (points <= MaxRouteWaypoints) {
        if (takeRoute(number, MaxRouteWaypoints))
            finishLater(Stage::Ready);
        return;
    }
    if (!fit) {
        fail(FormatErrorText, QStringLiteral("The route has %1 points; the device holds %2.")
                                  .arg(points)
                                  .arg(MaxRouteWaypoints));
        m_outcome.refusal.cause = Cause::RouteTooLong;
        return;
    }
    m_chosen = number - 1;
    if (!m_converted) {
        // The whole route, checked like any other, goes to the converter on its own.
        if (!takeRoute(number, INT_MAX))
            return;
        m_fitSource = m_route.lines.join();
        m_fitRecords = m_fitSource;
    } else {
        m_fitHeader = m_gpx.header();
        m_fitRecords = m_gpx.records(m_chosen);
    }
    m_stage = Stage::Fitting;
    m_placesTaken = false;
    const QString folder = m_job.folder();
    inBackground(
        [this, folder, points] {
            if (m_converted) {
                PrepareFitInput(m_gpx, m_chosen, folder, m_fitInput, m_stop);
            } else {
                m_fitInput.pieces = {m_fitSource};
                m_fitInput.decimate = FitDecimation(points);
            }
        },
        &RouteLoader::startFit);
}

// The converter fits the route while its own places are read and measured beside it.
void RouteLoader::startFit() {
    m_job.start(GpsBabelConverter::fitArguments(MaxRouteWaypoints, m_fitInput.decimate),
                m_fitInput.pieces);
    inBackground(
        [this] {
            m_places = WaypointPlaces(m_fitRecords, m_stop);
            m_lengthBefore = lengthOf(m_places);
        },
        &RouteLoader::placesTaken);
}

void RouteLoader::placesTaken() {
    m_placesTaken = true;
    fitFinished();
}

// Goes on once both the converter has ended and the places are taken, whichever comes last.
void RouteLoader::fitFinished() {
    const ConverterJob::Status status = m_job.status();
    if (status == ConverterJob::Status::Running)
        return;
    if (status != ConverterJob::Status::Ok) {
        stopBackground();
        jobSucceeded(FormatErrorText);
        return;
    }
    if (!m_placesTaken)
        return;
    const QString fitted = m_job.filePath(QString::fromLatin1(GpsBabelConverter::FittedFile));
    const QString program = m_job.program();
    inBackground(
        [this, fitted, program] {
            QFile file(fitted);
            if (!file.open(QIODevice::ReadOnly)) {
                m_workReason =
                    file.exists()
                        ? QStringLiteral("%1 could not be read: %2").arg(fitted, file.errorString())
                        : QStringLiteral("%1 wrote no route file.").arg(program);
                return;
            }
            const QList<Place> kept = WaypointPlaces(RepairConverterOutput(file.readAll()), m_stop);
            QList<int> indices;
            if (!MatchFittedPoints(m_places, kept, indices)) {
                m_workReason = QStringLiteral("The reduced route's %1 points do not match the "
                                              "route's %2 waypoints.")
                                   .arg(kept.size())
                                   .arg(m_places.size());
                return;
            }
            m_kept = KeepWaypointLines(m_fitHeader, m_fitRecords, indices);
        },
        &RouteLoader::fitMatched);
}

void RouteLoader::fitMatched() {
    if (!m_workReason.isEmpty()) {
        fail(FormatErrorText, m_workReason);
        return;
    }
    QString reason;
    if (!ParseRouteFile(m_kept, m_route, &reason)) {
        fail(FormatErrorText, reason);
        return;
    }
    const double before = m_lengthBefore;
    const double after = lengthOf(m_route);
    const double shorter = before > 0 ? (before - after) / before * 100.0 : 0.0;
    m_fitReport = QStringLiteral("%1 points reduced to %2; the route is %3 % shorter")
                      .arg(m_places.size())
                      .arg(m_route.rows.size())
                      .arg(shorter, 0, 'f', 1);
    finishLater(Stage::Ready);
}

void RouteLoader::cancel() {
    if (!isRunning())
        return;
    stopBackground();
    // A converter that runs reports its own end as cancelled.
    if (m_job.status() == ConverterJob::Status::Running)
        m_job.cancel();
    else
        finishLater(Stage::Cancelled);
}

void RouteLoader::waitForStep() {
    QEventLoop loop;
    connect(this, &RouteLoader::stepFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

void RouteLoader::takeOver(RouteTable& table, QString& routeName, RouteState& state) {
    if (m_stage != Stage::Ready)
        return;
    const qsizetype size = m_converted ? m_gpx.bytes.size() : m_bytes.size();
    TakeOverRoute(std::move(m_route), quint32(size), table, routeName, state);
    release();
    m_stage = Stage::Idle;
}
