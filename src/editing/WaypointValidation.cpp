// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/WaypointValidation.h"

#include "route/DeviceRules.h"
#include "route/Messages.h"

#include <QLocale>

namespace {

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isSign(QChar c) {
    return c == QLatin1Char('+') || c == QLatin1Char('-');
}

// The value of the longest leading part of the text that reads as a decimal number: an
// optional sign, then digits with at most one point among them. Without a digit in that
// part the value is 0, so "", "-" and "." count as 0 and "12.3.4" as 12.3.
double leadingDecimalValue(const QString& text) {
    int end = 0;
    if (end < text.size() && isSign(text.at(end)))
        ++end;
    bool point = false;
    bool digit = false;
    for (; end < text.size(); ++end) {
        const QChar c = text.at(end);
        if (isDigit(c)) {
            digit = true;
        } else if (c == QLatin1Char('.') && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digit)
        return 0.0;
    // The part is plain digits around one point, which the C locale always reads.
    return QLocale::c().toDouble(QStringView(text).left(end));
}

struct CoordinateRule {
    int maxLength; // without a sign; a sign adds one character
    double limit;  // the value must lie within -limit to +limit
    QString lengthError;
    QString charError;
    QString rangeError;
};

QString checkCoordinate(const QString& raw, const CoordinateRule& rule) {
    const QString text = TrimControl(raw);
    const bool signed_ = !text.isEmpty() && isSign(text.at(0));
    if (text.size() > rule.maxLength + (signed_ ? 1 : 0))
        return rule.lengthError;
    for (int i = signed_ ? 1 : 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (!isDigit(c) && c != QLatin1Char('.'))
            return rule.charError;
    }
    const double value = leadingDecimalValue(text);
    if (value > rule.limit || value < -rule.limit)
        return rule.rangeError;
    return QString();
}

} // namespace

QString ValidateWaypointInput(const QString& name, const QString& lat, const QString& lon) {
    const QString trimmedName = TrimControl(name);
    if (trimmedName.size() > MaxWaypointNameLength)
        return Message::text(Message::NameLength);
    for (const QChar c : trimmedName) {
        if (!IsDeviceNameCharacter(c))
            return Message::text(Message::NameChar);
    }

    // "-90.000000" and "-180.000000": a sign and six decimals fit exactly.
    const CoordinateRule latitude{9, 90.0, Message::text(Message::LatitudeLength),
                                  Message::text(Message::LatitudeChar),
                                  Message::text(Message::LatitudeRange)};
    const CoordinateRule longitude{10, 180.0, Message::text(Message::LongitudeLength),
                                   Message::text(Message::LongitudeChar),
                                   Message::text(Message::LongitudeRange)};

    QString failure = checkCoordinate(lat, latitude);
    if (failure.isEmpty())
        failure = checkCoordinate(lon, longitude);
    return failure;
}
