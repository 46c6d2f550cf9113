// SPDX-License-Identifier: GPL-3.0-or-later
// The whole load without questions, as the command line does it: route `route`, fitted
// when `fit` and too long. On failure nothing of the table, name or state has changed.
// `listed`, when given, gets the file's list of routes.
#pragma once

#include "files/RouteImport.h"

inline ImportOutcome ImportRoute(const QString& path, RouteTable& table, QString& routeName,
                                 RouteState& state, const GpsBabelConverter& converter = {},
                                 int route = 1, bool fit = false, QString* fitReport = nullptr,
                                 QList<RouteListEntry>* listed = nullptr) {
    RouteLoader loader(converter);
    loader.open(path);
    loader.waitForStep();
    if (listed)
        *listed = loader.routes();
    if (loader.stage() == RouteLoader::Stage::Listed) {
        loader.choose(route, fit);
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
