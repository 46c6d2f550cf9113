// The text rules the device sets for the names it stores, shared by the waypoint name
// check and the route name check.
#pragma once

#include <QChar>
#include <QString>

// The text without the characters of code 32 or less (blank and control characters) at
// either end. Names are checked, and stored, this way.
QString TrimControl(const QString& text);

// Blank, 0 to 9, A to Z or a to z: the characters a device name may hold.
bool IsDeviceNameCharacter(QChar c);
