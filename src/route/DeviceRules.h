// SPDX-License-Identifier: GPL-3.0-or-later
// What the RV-58 takes: the longest names it stores, the characters they may hold, the most
// waypoints a route may have and the icons it knows. Every check of the tool uses these.
#pragma once

#include <QChar>
#include <QString>

// A waypoint name has at most 6 characters, a route name 1 to 12.
constexpr int MaxWaypointNameLength = 6;
constexpr int MaxRouteNameLength = 12;
// The device holds one route of at most this many waypoints.
constexpr int MaxRouteWaypoints = 124;
// Icons 0 to 44.
constexpr int IconCount = 45;

// Blank, 0 to 9, A to Z or a to z: the characters a device name may hold.
bool IsDeviceNameCharacter(QChar c);
// The same in words, for messages.
inline constexpr char DeviceNameCharacters[] = "blank, 0-9, A-Z, a-z";

// The first of the device's name rules that a name breaks: its length is checked before its
// characters, and each check that uses the rules has a message of its own for each.
enum class NameFault { None, Length, Character };
NameFault DeviceNameFault(const QString& name, int maxLength);

// Every character one of those, and at most `maxLength` of them.
bool FitsDeviceName(const QString& name, int maxLength = MaxWaypointNameLength);
