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
        return (window ? QStringLiteral("Type 1 to %1 characters of %2 into Route Name.")
                       : QStringLiteral("Give one with --route-name NAME (1 to %1 characters of "
                                        "%2)."))
            .arg(MaxRouteNameLength)
            .arg(QLatin1String(DeviceNameCharacters));
    case Cause::EmptyRoute:
        return window ? QStringLiteral("Load a route that has waypoints.")
                      : QStringLiteral("Choose a route that has waypoints: show --routes lists "
                                       "them.");
    case Cause::ReplaceInput:
        return window ? QStringLiteral("Save it under another name to keep the other routes.")
                      : QStringLiteral("Give another -o file, or --replace-input to replace it "
                                       "all the same.");
    case Cause::WaypointNames:
        return window ? QStringLiteral("The Waypoint Name Change Macro renames them all.")
                      : QStringLiteral("--name-macro renames them all.");
    case Cause::IconNumber:
        return window ? QStringLiteral("Pick an icon and Accept with Icon Change Macro ticked to "
                                       "give every waypoint that icon.")
                      : QStringLiteral("--icon K --icon-macro gives every waypoint icon K.");
    case Cause::WaypointName:
        return (window ? QStringLiteral("Type at most %1 characters of %2 into Waypoint Name.")
                       : QStringLiteral("Give --name at most %1 characters of %2."))
            .arg(MaxWaypointNameLength)
            .arg(QLatin1String(DeviceNameCharacters));
    case Cause::Coordinates:
        return QStringLiteral("Coordinates are kept as the file holds them: correct this "
                              "waypoint in the file and load it again.");
    case Cause::WriteFailed:
        return window ? QStringLiteral("Save Route again and choose another folder or file name.")
                      : QStringLiteral("Give -o another folder or file name.");
    }
    return QString();
}

QString Reason::IsDirectory(const QString& path) {
    return QStringLiteral("%1 is a directory.").arg(path);
}

QString Reason::NotRegularFile(const QString& path) {
    return QStringLiteral("%1 is not a regular file.").arg(path);
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

Refusal WithWayForward(Refusal refusal, Audience audience) {
    if (refusal.remedy.isEmpty())
        refusal.remedy = WayForward(refusal.cause, audience);
    return refusal;
}

QString FirstMisfit(const QString& text, bool (*fits)(QChar), qsizetype from) {
    for (qsizetype i = from; i < text.size(); ++i)
        if (!fits(text.at(i)))
            return Quoted(text.mid(i, 1));
    return QString();
}

QString DeviceNameReason(const QString& what, const QString& raw, int maxLength, bool length) {
    const QString name = TrimControl(raw);
    if (name.isEmpty())
        return QStringLiteral("%1 is empty.").arg(what);
    if (length)
        return QStringLiteral("%1 \"%2\" has %3 characters; the device takes %4 at most.")
            .arg(what, Quoted(name), QString::number(name.size()), QString::number(maxLength));
    return QStringLiteral("%1 \"%2\" holds \"%3\", which the device does not take.")
        .arg(what, Quoted(name), FirstMisfit(name, IsDeviceNameCharacter));
}
