// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/Messages.h"

#include "route/DeviceRules.h"
#include "route/DeviceText.h"

namespace {
const int QuotedLength = 60;
} // namespace

QString WayForward(Cause cause, Audience audience) {
    const bool window = audience == Audience::Window;
    switch (cause) {
    case Cause::Other:
        return QString();
    case Cause::UnknownFileType:
        return window ? QStringLiteral("Load Route takes GPX files (.gpx) and OziExplorer route "
                                       "files (.rte).")
                      : QStringLiteral("rv58route-cli takes GPX files (.gpx) and OziExplorer "
                                       "route files (.rte).");
    case Cause::ConverterMissing:
        return QStringLiteral("Install GPSBabel (the gpsbabel package) or put it on PATH.");
    case Cause::RouteTooLong:
        return window ? QStringLiteral("Load it again and answer Yes to reduce it.")
                      : QStringLiteral("--fit reduces it to %1 points along its shape.")
                            .arg(MaxRouteWaypoints);
    case Cause::RouteName:
        return window ? QStringLiteral("Type 1 to %1 characters of blank, 0-9, A-Z, a-z into "
                                       "Route Name.")
                            .arg(MaxRouteNameLength)
                      : QStringLiteral("Give one with --route-name NAME (1 to %1 characters of "
                                       "blank, 0-9, A-Z, a-z).")
                            .arg(MaxRouteNameLength);
    case Cause::WaypointName:
        return window ? QStringLiteral("Type at most %1 characters of blank, 0-9, A-Z, a-z into "
                                       "Waypoint Name.")
                            .arg(MaxWaypointNameLength)
                      : QStringLiteral("Give --name at most %1 characters of blank, 0-9, A-Z, "
                                       "a-z.")
                            .arg(MaxWaypointNameLength);
    case Cause::Coordinates:
        return QStringLiteral("Coordinates are kept as the file holds them: correct this "
                              "waypoint in the file and load it again.");
    case Cause::WriteFailed:
        return window ? QStringLiteral("Save Route again and choose another folder or file name.")
                      : QStringLiteral("Give -o another folder or file name.");
    }
    return QString();
}

QString Quoted(const QString& text) {
    const QString shown = EscapedText(text);
    if (shown.size() <= QuotedLength)
        return shown;
    return shown.left(QuotedLength) + QChar(0x2026);
}

QString Refusal::explanation() const {
    if (reason.isEmpty() || remedy.isEmpty())
        return reason + remedy;
    return reason + QLatin1Char('\n') + remedy;
}
