// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/WaypointValidation.h"

#include "route/DeviceRules.h"
#include "route/DeviceText.h"
#include "route/Messages.h"
#include "route/NumberReader.h"

namespace {

struct CoordinateRule {
    int maxLength; // without a sign; a sign adds one character
    double limit;  // the value must lie within -limit to +limit
    const char* lengthError;
    const char* charError;
    const char* rangeError;
};

// "-90.000000" and "-180.000000": a sign and six decimals fit exactly.
const CoordinateRule Latitude{9, 90.0, Message::LatitudeLength, Message::LatitudeChar,
                              Message::LatitudeRange};
const CoordinateRule Longitude{10, 180.0, Message::LongitudeLength, Message::LongitudeChar,
                               Message::LongitudeRange};

QString checkCoordinate(const QString& raw, const CoordinateRule& rule) {
    const QString text = TrimControl(raw);
    const bool signed_ = !text.isEmpty() && (text.at(0) == u'+' || text.at(0) == u'-');
    if (text.size() > rule.maxLength + (signed_ ? 1 : 0))
        return Message::text(rule.lengthError);
    for (qsizetype i = signed_ ? 1 : 0; i < text.size(); ++i)
        if (!IsDecimalDigit(text.at(i).unicode()) && text.at(i) != u'.')
            return Message::text(rule.charError);
    // The range applies to the leading number, so "90.0.1" passes as 90.0; text without a
    // digit ("", "-", ".") counts as 0.
    const double value = ReadNumber(text, 0, NumberShape::Decimal).value.value_or(0.0);
    if (value > rule.limit || value < -rule.limit)
        return Message::text(rule.rangeError);
    return QString();
}

} // namespace

QString ValidateWaypointInput(const QString& name, const QString& lat, const QString& lon) {
    switch (DeviceNameFault(TrimControl(name), MaxWaypointNameLength)) {
    case NameFault::Length:
        return Message::text(Message::NameLength);
    case NameFault::Character:
        return Message::text(Message::NameChar);
    case NameFault::None:
        break;
    }
    QString failure = checkCoordinate(lat, Latitude);
    if (failure.isEmpty())
        failure = checkCoordinate(lon, Longitude);
    return failure;
}

namespace {

// Why `raw` broke the rule whose headline is `headline`; `what` names the coordinate.
QString coordinateReason(const QString& headline, const CoordinateRule& rule, const QString& what,
                         const QString& raw) {
    const QString text = TrimControl(raw);
    const QString shown = QStringLiteral("The %1 \"%2\" of this waypoint").arg(what, Quoted(text));
    if (headline == Message::text(rule.lengthError))
        return QStringLiteral("%1 has %2 characters; the device reads at most %3 after a sign.")
            .arg(shown, QString::number(text.size()), QString::number(rule.maxLength));
    if (headline == Message::text(rule.charError)) {
        const bool sign = text.startsWith(u'+') || text.startsWith(u'-');
        return QStringLiteral("%1 holds \"%2\"; the device reads digits and a point after a sign.")
            .arg(shown, FirstMisfit(
                            text, [](QChar c) { return IsDecimalDigit(c.unicode()) || c == u'.'; },
                            sign ? 1 : 0));
    }
    return QStringLiteral("%1 lies outside -%2 to %2.").arg(shown, QString::number(rule.limit));
}

bool isHeadlineOf(const QString& headline, const CoordinateRule& rule) {
    for (const char* text : {rule.lengthError, rule.charError, rule.rangeError})
        if (headline == Message::text(text))
            return true;
    return false;
}

} // namespace

Refusal RefuseWaypointInput(const QString& headline, const QString& name, const QString& lat,
                            const QString& lon) {
    Refusal refusal(headline);
    if (isHeadlineOf(headline, Latitude)) {
        refusal.reason = coordinateReason(headline, Latitude, QStringLiteral("latitude"), lat);
        refusal.cause = Cause::Coordinates;
    } else if (isHeadlineOf(headline, Longitude)) {
        refusal.reason = coordinateReason(headline, Longitude, QStringLiteral("longitude"), lon);
        refusal.cause = Cause::Coordinates;
    } else {
        refusal.reason = DeviceNameReason(QStringLiteral("The name"), name, MaxWaypointNameLength,
                                          headline == Message::text(Message::NameLength));
        refusal.cause = Cause::WaypointName;
    }
    return refusal;
}
