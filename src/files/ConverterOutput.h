// SPDX-License-Identifier: GPL-3.0-or-later
// What GPSBabel's files mean: the routes and tracks of a GPX file taken in from one listing
// run as one route file with its list of routes, the converter's input for fitting one of
// them, and the fitted points found again among the route's own waypoint lines. Every pass
// goes once over the bytes, and the converter's text is held once, repaired in place.
// These functions may run on a thread of their own: they touch nothing but their
// arguments, and give up early when `stop` is set.
#pragma once

#include "files/ConverterOutputRepair.h"
#include "files/RouteList.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <atomic>

// Fitting sees at most about this many points of a route; GPSBabel's simplify filter grows
// faster than linearly with them.
constexpr int MaxFitInputPoints = 10000;

// How many thinned levels a listing run of a GPX file of `gpxBytes` bytes writes, so that
// every route it can hold has a level of at most MaxFitInputPoints points. A GPX point takes
// 24 bytes at least.
int ThinnedLevelsFor(qint64 gpxBytes);

// The routes and tracks of a GPX file as one route file: the header, the GPX routes'
// records, then the tracks' records, repaired.
struct ConvertedRoutes {
    QByteArray bytes;
    qsizetype recordsStart = 0;   // behind the header
    QList<RouteListEntry> routes; // in file order; the tracks after the routes
    QList<qsizetype> routeStarts; // where each route's route line begins
    ListedRouteNames names;       // the converter's list of names, for its other files
    int levels = 0;               // how many thinned levels the folder holds

    // The route's record lines: its route line and its waypoint lines.
    QByteArrayView records(int index) const;
    QByteArrayView header() const { return QByteArrayView(bytes).first(recordsStart); }
};

// The two steps of taking in a route file of the listing, for bytes already in place:
// TakeInRouteFile repairs the file that `out.bytes` holds from `at` on (the first one at 0,
// whose header is kept; a second one's is dropped), false when it is cut short or `stop` was
// set; ListConvertedRoutes lists the routes of all of them, those whose route line stands
// at or behind `tracksStart` as tracks.
bool TakeInRouteFile(ConvertedRoutes& out, qsizetype at, const std::atomic_bool& stop);
void ListConvertedRoutes(ConvertedRoutes& out, qsizetype tracksStart);

// Takes in what a listing run with `levels` levels wrote into `folder`. False when there is
// nothing to take in or the files are cut short, with the reason; false with an empty
// reason when `stop` was set.
bool ReadConvertedRoutes(const QString& folder, int levels, ConvertedRoutes& out, QString& reason,
                         const std::atomic_bool& stop);

// The converter's input for fitting route `index` of `routes`: the header, the route line
// and its waypoint lines, from the thinned level that leaves at most MaxFitInputPoints of
// them (whose bytes `levelBytes` then holds), or the route whole when it has no more. In the
// second case `decimate` says how much the fit itself thins it first.
struct FitInput {
    QList<QByteArrayView> pieces;
    QByteArray levelBytes;
    int decimate = 1;
};
bool PrepareFitInput(const ConvertedRoutes& routes, int index, const QString& folder, FitInput& out,
                     const std::atomic_bool& stop);
// The thinning a fit of a route of `points` points needs: every how-many-th point it takes.
int FitDecimation(int points);

struct Place {
    double lat = 0;
    double lon = 0;
};

// The latitude and longitude of each waypoint line of `records`, fields 5 and 6 read as
// the converter reads them.
QList<Place> WaypointPlaces(QByteArrayView records, const std::atomic_bool& stop);

// Finds each of the converter's `fitted` points among `original`, in order, and gives their
// places there; false when one is not found. Points match within the converter's rounding.
bool MatchFittedPoints(const QList<Place>& original, const QList<Place>& fitted, QList<int>& kept);

// The route file of `header` and `records` with only the waypoint lines at `kept` (counted
// from 0), and every other line of the records as it is.
QByteArray KeepWaypointLines(QByteArrayView header, QByteArrayView records, const QList<int>& kept);
