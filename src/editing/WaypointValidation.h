// The checks that a waypoint's name and coordinates pass before Accept may write them into
// the route table: names the RV-58 accepts, coordinates in the shape and range it reads.
#pragma once

#include <QString>

// The text without the characters of code 32 or less (blank and control characters) at
// either end. The name check sees the name this way, and Accept stores it this way.
QString TrimControl(const QString& text);

// Checks the name, then the latitude, then the longitude, and answers the message of the
// first rule that fails ("Input Length Error (Name)!" and the like), or the empty text when
// all three pass. Each text is trimmed with TrimControl before it is looked at.
QString ValidateWaypointInput(const QString& name, const QString& lat, const QString& lon);
