// SPDX-License-Identifier: GPL-3.0-or-later
// The tool's message texts, each written once, and the refusal that carries one of them as
// its headline with the reason and the way forward under it. The window and the command
// line show the same refusals, so both say the same thing about the same problem.
#pragma once

#include <QString>

namespace Message {

// Headlines: the texts users of the tool know; they stay exactly as they are.
inline constexpr char UnknownFileType[] = "Unknow file type error.";
inline constexpr char ConversionFailed[] = "GPX-RTE conversion failed, rte file not found.";
inline constexpr char RteFileError[] = "RTE file error.";
inline constexpr char FormatError[] = "Route File Format Error!";
inline constexpr char WriteError[] = "RTE file write error.";
inline constexpr char RouteNameLength[] = "Input Length Error (Route Name)!";
inline constexpr char RouteNameChar[] = "Input Char Error (Route Name)!";
inline constexpr char NameLength[] = "Input Length Error (Name)!";
inline constexpr char NameChar[] = "Input Char Error (Name)!";
inline constexpr char LatitudeLength[] = "Input Length Error (Latitude)!";
inline constexpr char LatitudeChar[] = "Input Char Error (Latitude)!";
inline constexpr char LatitudeRange[] = "Input Range Error (Latitude)!";
inline constexpr char LongitudeLength[] = "Input Length Error (Longitude)!";
inline constexpr char LongitudeChar[] = "Input Char Error (Longitude)!";
inline constexpr char LongitudeRange[] = "Input Range Error (Longitude)!";

inline QString text(const char* latin1) {
    return QString::fromLatin1(latin1);
}

} // namespace Message

// Reasons that more than one check gives: reading a file and saving over one both say why a
// path is not a file they can use.
namespace Reason {
QString IsDirectory(const QString& path);
QString NotRegularFile(const QString& path);
} // namespace Reason

// Who is told the way forward: a person at the window answers questions and types into its
// fields; a person at the command line gives options.
enum class Audience { Window, CommandLine };

// What a refusal is about, where the way forward depends on it.
enum class Cause {
    Other,            // the reason says it all
    UnknownFileType,  // neither .gpx nor .rte
    ConverterMissing, // GPSBabel could not be started
    RouteTooLong,     // more waypoints than the device holds, not reduced
    RouteName,        // a route name the device does not take
    EmptyRoute,       // a route without waypoints, which the device cannot take
    ReplaceInput,     // a save that would replace the loaded file and lose its other routes
    IconNumber,       // icon numbers the device has no icon for
    WaypointNames,    // waypoint names the device does not take
    WaypointName,     // a waypoint name the device does not take
    Coordinates,      // a waypoint's latitude or longitude, as read, the device cannot take
    WriteFailed,      // the route file could not be written where it was asked to go
};

// The way forward for `cause`, told to `audience`; empty for Cause::Other.
QString WayForward(Cause cause, Audience audience);

// Why a name the device does not take is refused: `what` ("The route name") is empty, has
// more than `maxLength` characters (when the check refused its length), or holds a character
// the device does not take. `raw` is the text as given; it is looked at trimmed, as the
// checks look at it.
QString DeviceNameReason(const QString& what, const QString& raw, int maxLength, bool length);

// The first character of `text` from `from` on that `fits` refuses, quoted; empty if none.
QString FirstMisfit(const QString& text, bool (*fits)(QChar), qsizetype from = 0);

// A text from a file or the user quoted in a message: control characters as visible escapes
// (as EscapedText), and cut to 60 characters with "…" so that a field of thousands of
// characters does not bury the message.
QString Quoted(const QString& text);

// A problem that stopped an operation, as it is shown: the headline first, then the reason
// and the way forward as plain sentences under it, and last the converter's own output,
// which only the curious read (behind Show Details in the window).
struct Refusal {
    Refusal() = default;
    Refusal(const QString& headline, const QString& reason = {}, const QString& remedy = {},
            const QString& details = {})
        : headline(headline), reason(reason), remedy(remedy), details(details) {}

    QString headline;
    QString reason; // why, naming what was refused; may be empty
    QString remedy; // what to do about it; may be empty
    QString details;
    Cause cause = Cause::Other;

    // The reason and the way forward, each on a line of its own; empty when both are.
    QString explanation() const;
};

// `refusal` with the way forward for `audience` put in when it carries none of its own.
Refusal WithWayForward(Refusal refusal, Audience audience);
