// SPDX-License-Identifier: GPL-3.0-or-later
// What the window says when it refuses something: the headline its checks give, the reason
// that names what was refused, and the way forward for a person at the window.
#pragma once

#include "route/Messages.h"

#include <QString>

// `refusal` with the window's way forward put in when it carries none of its own.
Refusal ForWindow(Refusal refusal);

// Save Route's refusal of the route name typed as `fieldText`; `headline` is the check's.
Refusal RouteNameRefusal(const QString& headline, const QString& fieldText);

// Accept's refusal of the waypoint name or of the waypoint's coordinates as read from the
// file; `headline` is the input check's message for these texts.
Refusal WaypointInputRefusal(const QString& headline, const QString& name, const QString& latitude,
                             const QString& longitude);

// A save that the writer could not make at `path`, for the writer's `reason`.
Refusal WriteRefusal(const QString& path, const QString& reason);
