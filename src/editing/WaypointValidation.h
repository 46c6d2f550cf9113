// SPDX-License-Identifier: GPL-3.0-or-later
// The checks that a waypoint's name and coordinates pass before Accept may write them into
// the route table: names the RV-58 accepts, coordinates in the shape and range it reads.
#pragma once

#include "route/Messages.h"

#include <QString>

// Checks the name, then the latitude, then the longitude, and answers the message of the
// first rule that fails ("Input Length Error (Name)!" and the like), or the empty text when
// all three pass. Each text is trimmed with TrimControl before it is looked at.
QString ValidateWaypointInput(const QString& name, const QString& lat, const QString& lon);

// The input check's refusal with its reason: `headline` is ValidateWaypointInput's message
// for these texts, and the reason names the text refused and what the device takes.
Refusal RefuseWaypointInput(const QString& headline, const QString& name, const QString& lat,
                            const QString& lon);
