// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/RouteImport.h"

#include "geometry/RouteMeasurement.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QMetaObject>

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

// The file of a long route with only the kept waypoint lines: every piece that is no
// waypoint line (the header, the route line) and the kept ones, in their order.
QByteArray keepWaypoints(const ParsedRoute& route, const QList<int>& kept) {
    QByteArray bytes;
    int waypoint = 0;
    int nextKept = 0;
    for (int piece = 0; piece < route.lines.size(); ++piece) {
        const bool isWaypoint =
            waypoint < route.waypointLines.size() && route.waypointLines.at(waypoint) == piece;
        if (isWaypoint) {
            if (nextKept < kept.size() && kept.at(nextKept) == waypoint) {
                bytes += route.lines.at(piece);
                ++nextKept;
            }
            ++waypoint;
            continue;
        }
        bytes += route.lines.at(piece);
    }
    return bytes;
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

void RouteLoader::finishLater(Stage stage) {
    m_stage = stage;
    // Every step ends from the event loop, so a caller always sees the step begin and end
    // in that order, whether or not the converter ran.
    QMetaObject::invokeMethod(this, &RouteLoader::stepFinished, Qt::QueuedConnection);
}

void RouteLoader::fail(const char* message, const QString& reason, const QString& details) {
    m_outcome.ok = false;
    m_outcome.refusal = {QString::fromLatin1(message), reason, QString(), details};
    finishLater(Stage::Failed);
}

void RouteLoader::open(const QString& path) {
    if (isRunning())
        return;
    m_outcome = ImportOutcome();
    m_routes.clear();
    m_bytes.clear();
    m_route = ParsedRoute();
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
        listRoutes(bytes);
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
    m_job.startGpxConversion(path);
}

bool RouteLoader::jobSucceeded(const char* failure) {
    switch (m_job.status()) {
    case ConverterJob::Status::Ok:
        return true;
    case ConverterJob::Status::Cancelled:
        finishLater(Stage::Cancelled);
        return false;
    default:
        fail(failure, m_job.reason(), m_job.errorOutput());
        if (m_job.converterMissing())
            m_outcome.refusal.cause = Cause::ConverterMissing;
        return false;
    }
}

void RouteLoader::conversionFinished() {
    if (!jobSucceeded(ConversionErrorText))
        return;
    listRoutes(m_job.routeFile());
    for (RouteListEntry& entry : m_routes)
        if (entry.number > m_job.gpxRouteCount())
            entry.kind = QStringLiteral("track");
}

void RouteLoader::listRoutes(const QByteArray& bytes) {
    QString reason;
    if (!ListRoutes(bytes, m_routes, &reason)) {
        fail(FormatErrorText, reason);
        return;
    }
    m_bytes = bytes;
    finishLater(Stage::Listed);
}

void RouteLoader::choose(int number, bool fit) {
    if (m_stage != Stage::Listed)
        return;
    m_fitReport.clear();
    const bool tooLong = number >= 1 && number <= m_routes.size() &&
                         m_routes.at(number - 1).points > MaxRouteWaypoints;
    QString reason;
    if (!tooLong || !fit) {
        if (!ParseRouteFile(m_bytes, m_route, &reason, number)) {
            fail(FormatErrorText, reason);
            if (tooLong)
                m_outcome.refusal.cause = Cause::RouteTooLong;
            return;
        }
        finishLater(Stage::Ready);
        return;
    }
    // The whole route, checked like any other, goes to the converter on its own.
    if (!ParseRouteFile(m_bytes, m_route, &reason, number, INT_MAX)) {
        fail(FormatErrorText, reason);
        return;
    }
    m_stage = Stage::Fitting;
    m_job.startFit(m_route.lines.join());
}

void RouteLoader::fitFinished() {
    if (!jobSucceeded(FormatErrorText))
        return;
    const ParsedRoute whole = std::move(m_route);
    QString reason;
    if (!ParseRouteFile(keepWaypoints(whole, m_job.keptWaypoints()), m_route, &reason)) {
        fail(FormatErrorText, reason);
        return;
    }
    const double before = lengthOf(whole);
    const double after = lengthOf(m_route);
    const double shorter = before > 0 ? (before - after) / before * 100.0 : 0.0;
    m_fitReport = QStringLiteral("%1 points reduced to %2; the route is %3 % shorter")
                      .arg(whole.rows.size())
                      .arg(m_route.rows.size())
                      .arg(shorter, 0, 'f', 1);
    finishLater(Stage::Ready);
}

void RouteLoader::cancel() {
    if (isRunning())
        m_job.cancel();
}

void RouteLoader::waitForStep() {
    QEventLoop loop;
    connect(this, &RouteLoader::stepFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

void RouteLoader::takeOver(RouteTable& table, QString& routeName, RouteState& state) {
    if (m_stage != Stage::Ready)
        return;
    TakeOverRoute(std::move(m_route), quint32(m_bytes.size()), table, routeName, state);
    m_route = ParsedRoute();
    m_stage = Stage::Idle;
}

ImportOutcome ImportRoute(const QString& path, RouteTable& table, QString& routeName,
                          RouteState& state, const GpsBabelConverter& converter,
                          const ImportChoice& choice, QString* fitReport) {
    RouteLoader loader(converter);
    loader.open(path);
    loader.waitForStep();
    if (loader.stage() == RouteLoader::Stage::Listed) {
        loader.choose(choice.route, choice.fit);
        loader.waitForStep();
    }
    if (loader.stage() != RouteLoader::Stage::Ready)
        return loader.outcome();
    if (fitReport)
        *fitReport = loader.fitReport();
    loader.takeOver(table, routeName, state);
    ImportOutcome outcome;
    outcome.ok = true;
    return outcome;
}
