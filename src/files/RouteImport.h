// SPDX-License-Identifier: GPL-3.0-or-later
// Load Route: a GPX file through the converter, an .rte file directly, then the reader. A
// file may hold several routes; one is chosen, and one longer than the device holds may be
// fitted to it by the converter. Nothing that was loaded before changes until the chosen
// route is handed over, so a refused, failed or cancelled load leaves it as it was.
#pragma once

#include "files/ConverterJob.h"
#include "files/ConverterOutput.h"
#include "files/GpsBabelConverter.h"
#include "files/RouteFileReader.h"
#include "files/RouteList.h"
#include "route/Messages.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QThread;
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
// between the steps; the command line waits for each. The work on large converter output
// runs on a thread of its own, so the event loop goes on meanwhile and cancel() takes
// effect at once at every stage.
class RouteLoader : public QObject {
    Q_OBJECT
public:
    enum class Stage { Idle, Listing, Listed, Fitting, Ready, Failed, Cancelled };

    explicit RouteLoader(const GpsBabelConverter& converter = {}, QObject* parent = nullptr);
    // Ends what runs in the background and removes the converter's folder.
    ~RouteLoader() override;

    // Finds the routes of the file at `path`: Listed, Failed or Cancelled follow.
    void open(const QString& path);
    // After Listed: takes route `number` (from 1). One of more than the device holds is
    // refused unless `fit`, when the converter reduces it first: Ready or Failed follow.
    void choose(int number, bool fit);
    // Ends a running converter or background work and removes the converter's folder:
    // Cancelled follows. Does nothing unless a step runs in the background.
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
    // Runs `work` on a thread of its own, then `done` here, unless the step was cancelled.
    void inBackground(std::function<void()> work, void (RouteLoader::*done)());
    void stopBackground();
    // True when the converter's run ended well; otherwise the step ends, cancelled or
    // failed with `failure` and the converter's details.
    bool jobSucceeded(const char* failure);
    void conversionFinished();
    void conversionRead();
    void listRteRoutes(const QByteArray& bytes);
    bool takeRoute(int number, int maxWaypoints);
    void startFit();
    void placesTaken();
    void fitFinished();
    void fitMatched();
    void release();

    ConverterJob m_job;
    Stage m_stage = Stage::Idle;
    bool m_converted = false; // a GPX file, taken in from the converter
    QByteArray m_bytes;       // an .rte file's bytes
    ConvertedRoutes m_gpx;    // a GPX file's routes
    int m_levels = 0;
    QList<RouteListEntry> m_routes;
    ParsedRoute m_route; // the chosen route
    ImportOutcome m_outcome;
    QString m_fitReport;

    // The fit: the route's lines and their places, what goes to the converter, what came back.
    int m_chosen = 0;
    QByteArray m_fitSource; // an .rte route's own lines
    QByteArrayView m_fitHeader;
    QByteArrayView m_fitRecords;
    FitInput m_fitInput;
    QList<Place> m_places;
    bool m_placesTaken = false;
    double m_lengthBefore = 0;
    QByteArray m_kept;
    QString m_workReason;

    std::unique_ptr<QThread> m_thread;
    std::atomic_bool m_stop{false};
    int m_generation = 0;
};
