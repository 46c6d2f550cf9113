// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowRefusals.h"

#include "route/DeviceRules.h"
#include "route/DeviceText.h"

#include <QDir>

namespace {

enum class Rule { Length, Char, Range };
enum class Field { Name, Latitude, Longitude };

// Which field and which rule each of the input check's headlines is about.
struct InputCheck {
    const char* headline;
    Field field;
    Rule rule;
};
const InputCheck InputChecks[] = {
    {Message::NameLength, Field::Name, Rule::Length},
    {Message::NameChar, Field::Name, Rule::Char},
    {Message::LatitudeLength, Field::Latitude, Rule::Length},
    {Message::LatitudeChar, Field::Latitude, Rule::Char},
    {Message::LatitudeRange, Field::Latitude, Rule::Range},
    {Message::LongitudeLength, Field::Longitude, Rule::Length},
    {Message::LongitudeChar, Field::Longitude, Rule::Char},
    {Message::LongitudeRange, Field::Longitude, Rule::Range},
};

bool isCoordinateCharacter(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.');
}

// The first character of `text` from `from` on that `fits` refuses, quoted.
QString firstMisfit(const QString& text, bool (*fits)(QChar), qsizetype from = 0) {
    for (qsizetype i = from; i < text.size(); ++i)
        if (!fits(text.at(i)))
            return Quoted(text.mid(i, 1));
    return QString();
}

QString nameReason(Rule rule, const QString& what, const QString& raw) {
    const QString name = TrimControl(raw);
    if (name.isEmpty())
        return QStringLiteral("%1 is empty.").arg(what);
    if (rule == Rule::Length)
        return QStringLiteral("%1 \"%2\" has %3 characters.")
            .arg(what, Quoted(name))
            .arg(name.size());
    return QStringLiteral("%1 \"%2\" holds \"%3\", which the device does not take.")
        .arg(what, Quoted(name), firstMisfit(name, IsDeviceNameCharacter));
}

QString coordinateReason(Rule rule, Field field, const QString& raw) {
    const bool latitude = field == Field::Latitude;
    const QString text = TrimControl(raw);
    const QString what =
        QStringLiteral("The %1 \"%2\" of this waypoint")
            .arg(latitude ? QStringLiteral("latitude") : QStringLiteral("longitude"), Quoted(text));
    switch (rule) {
    case Rule::Length:
        return QStringLiteral("%1 has %2 characters; the device reads at most %3 after a sign.")
            .arg(what)
            .arg(text.size())
            .arg(latitude ? 9 : 10);
    case Rule::Char: {
        const bool sign = text.startsWith(QLatin1Char('-')) || text.startsWith(QLatin1Char('+'));
        return QStringLiteral("%1 holds \"%2\"; the device reads digits and a point after a sign.")
            .arg(what, firstMisfit(text, isCoordinateCharacter, sign ? 1 : 0));
    }
    case Rule::Range:
        break;
    }
    return QStringLiteral("%1 lies outside -%2 to %2.").arg(what).arg(latitude ? 90 : 180);
}

} // namespace

Refusal ForWindow(Refusal refusal) {
    if (refusal.remedy.isEmpty())
        refusal.remedy = WayForward(refusal.cause, Audience::Window);
    return refusal;
}

Refusal RouteNameRefusal(const QString& headline, const QString& fieldText) {
    const Rule rule =
        headline == Message::text(Message::RouteNameLength) ? Rule::Length : Rule::Char;
    Refusal refusal(headline, nameReason(rule, QStringLiteral("The route name"), fieldText));
    refusal.cause = Cause::RouteName;
    return ForWindow(refusal);
}

Refusal WaypointInputRefusal(const QString& headline, const QString& name, const QString& latitude,
                             const QString& longitude) {
    Refusal refusal(headline);
    for (const InputCheck& check : InputChecks) {
        if (headline != Message::text(check.headline))
            continue;
        if (check.field == Field::Name) {
            refusal.reason = nameReason(check.rule, QStringLiteral("The name"), name);
            refusal.cause = Cause::WaypointName;
        } else {
            refusal.reason = coordinateReason(
                check.rule, check.field, check.field == Field::Latitude ? latitude : longitude);
            refusal.cause = Cause::Coordinates;
        }
    }
    return ForWindow(refusal);
}

Refusal WriteRefusal(const QString& path, const QString& reason) {
    Refusal refusal(
        Message::text(Message::WriteError),
        QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(path), reason));
    refusal.cause = Cause::WriteFailed;
    return ForWindow(refusal);
}
