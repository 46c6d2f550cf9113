// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a route file for the device: the header and route lines last read, with the route name
// and the name, latitude, longitude and icon of each waypoint line put in from the table.
#pragma once

#include "route/Messages.h"

#include <QByteArray>
#include <QString>

class RouteTable;
struct RouteState;

// Trims the route name field's text (every character of code 32 or below at either end)
// and checks it against the device's rules: 1 to 12 characters of blank, 0-9, A-Z, a-z.
// Returns the message for the first rule broken, or the empty text; `trimmed` receives the
// trimmed name.
QString CheckRouteName(const QString& fieldText, QString* trimmed = nullptr);

// CheckRouteName's refusal with its reason: `headline` is its message, `given` the name as
// the user sees it (a name the reader cut to 12 characters is shown whole).
Refusal RefuseRouteName(const QString& headline, const QString& given);

// A save that could not be made at `path`, for the write's `reason`.
Refusal RefuseWrite(const QString& path, const QString& reason);

// The warning to give before a route is saved whose waypoint names the device will not take
// (more than 6 characters, or a character other than blank, 0-9, A-Z, a-z), among table rows
// 1 to waypointCount: how many there are and the first few of them, shown as DisplayText.
// Empty when every name fits.
QString DeviceNameWarning(const RouteTable& table, int waypointCount,
                          Audience audience = Audience::Window);

// Puts the route name and the table's cells into the stored lines (the state keeps the
// rebuilt lines) and returns the bytes of the whole file.
QByteArray RebuildRouteLines(RouteState& state, const RouteTable& table, const QString& routeName);

// Writes the bytes whole or not at all: an existing file is replaced only by a complete
// new one. On false, `error` holds the system's reason.
bool WriteRouteFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);
