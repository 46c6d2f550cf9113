// SPDX-License-Identifier: GPL-3.0-or-later
// Load Route: a GPX file through the converter, an .rte file directly, then the reader. A
// file may hold several routes; one is chosen, and one longer than the device holds may be
// fitted to it by the converter. Nothing that was loaded before changes until the chosen
// route is handed over, so a refused, failed or cancelled load leaves it as it was.
#pragma once

#include "files/ConverterJob.h"
#include "files/GpsBabelConverter.h"
#include "files/RouteFileReader.h"
#include "files/RouteList.h"
#include "route/Messages.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

class RouteTable;
struct RouteState;

enum class RouteFileType { Unknown, Gpx, Rte };

// The type from the chosen file's extension (the text after its last dot, any case).
RouteFileType FileTypeOf(const QString& path);

struct ImportOutcome {
    bool ok = false;
    // For a failure: the message with its reason, and the converter's output where it ran.
    Refusal refusal;
};

// The question the window asks before fitting a route of `points` points.
QString FitQuestion(int points);

// The load in its steps. Each step ends with stepFinished(), always from the event loop:
// open() lists the file's routes (a GPX file is converted first, in the background);
// choose() takes one, fitting it in the background when asked to. The window answers
// between the steps; the command line waits for each.
class RouteLoader : public QObject {
    Q_OBJECT
public:
    enum class Stage { Idle, Listing, Listed, Fitting, Ready, Failed, Cancelled };

    explicit RouteLoader(const GpsBabelConverter& converter = {}, QObject* parent = nullptr);

    // Finds the routes of the file at `path`: Listed, Failed or Cancelled follow.
    void open(const QString& path);
    // After Listed: takes route `number` (from 1). One of more than the device holds is
    // refused unless `fit`, when the converter reduces it first: Ready or Failed follow.
    void choose(int number, bool fit);
    // Ends a running converter and removes its folder: Cancelled follows. Does nothing
    // unless a step runs in the background.
    void cancel();
    // Runs an event loop until the step under way has finished.
    void waitForStep();

    Stage stage() const { return m_stage; }
    bool isRunning() const { return m_stage == Stage::Listing || m_stage == Stage::Fitting; }
    const QList<RouteListEntry>& routes() const { return m_routes; }
    // After Failed: the message and its details.
    const ImportOutcome& outcome() const { return m_outcome; }
    // After Ready from a fit: what it did, e.g. "232 points reduced to 124; the route is
    // 0.4 % shorter"; otherwise empty.
    const QString& fitReport() const { return m_fitReport; }
    // After Ready: hands the route to the table, the route name and the route state.
    void takeOver(RouteTable& table, QString& routeName, RouteState& state);

signals:
    void stepFinished();

private:
    void finishLater(Stage stage);
    void fail(const char* message, const QString& reason, const QString& details = {});
    // True when the converter's work ended well; otherwise the step ends, cancelled or
    // failed with `failure` and the converter's details.
    bool jobSucceeded(const char* failure);
    void conversionFinished();
    void fitFinished();
    void listRoutes(const QByteArray& bytes);

    ConverterJob m_job;
    Stage m_stage = Stage::Idle;
    QByteArray m_bytes; // the route file the routes are taken from
    QList<RouteListEntry> m_routes;
    ParsedRoute m_route; // the chosen route, or the whole long route while it is fitted
    ImportOutcome m_outcome;
    QString m_fitReport;
};

// The whole load without questions, for scripts and tests: route `number`, fitted when
// `fit` and too long. On failure nothing of the table, name or state has changed.
struct ImportChoice {
    int route = 1;
    bool fit = false;
};
ImportOutcome ImportRoute(const QString& path, RouteTable& table, QString& routeName,
                          RouteState& state, const GpsBabelConverter& converter = {},
                          const ImportChoice& choice = {}, QString* fitReport = nullptr);
