// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/RouteJson.h"

#include "route/CellNumber.h"
#include "route/DeviceText.h"
#include "route/RouteTable.h"

#include <QDateTime>
#include <QStringList>

#include <cmath>
#include <initializer_list>
#include <utility>

namespace {

// TDateTime's days of 0001-01-01 and 9999-12-31, the range a date field can name.
constexpr double FirstDay = -693593;
constexpr double LastDay = 2958465;

bool allDigits(const QString& text) {
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// A JSON string: quotes and backslashes escaped, control characters as \u escapes.
QString jsonString(const QString& text) {
    QString json = QStringLiteral("\"");
    json.reserve(text.size() + 2);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '"' || u == '\\')
            json += QLatin1Char('\\') + c;
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            json += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            json += c;
    }
    return json + QLatin1Char('"');
}

QString orNull(const QString& json) {
    return json.isEmpty() ? QStringLiteral("null") : json;
}

// An object of members in the order given: keys in the order a person reads them.
QString jsonObject(std::initializer_list<std::pair<const char*, QString>> members) {
    QStringList texts;
    for (const auto& [key, value] : members)
        texts << jsonString(QLatin1String(key)) + QLatin1Char(':') + value;
    return QLatin1Char('{') + texts.join(QLatin1Char(',')) + QLatin1Char('}');
}

// A cell's whole number, or empty when it holds none (an icon of "8.3" is no icon).
QString jsonInteger(const QString& cell) {
    int value = 0;
    return ParseDecimalInteger(TrimControl(cell), value) ? QString::number(value) : QString();
}

// A name as the table shows it, without the line end that a last field carries.
QString shownName(QString cell) {
    while (cell.endsWith(QLatin1Char('\n')) || cell.endsWith(QLatin1Char('\r')))
        cell.chop(1);
    return jsonString(DisplayText(cell));
}

QString waypointJson(const RouteTable& table, int row) {
    const auto number = [&](int column) { return orNull(JsonNumber(table.cell(column, row))); };
    const QString date = IsoDate(table.cell(RouteTable::ColDate, row));
    // The first waypoint has no leg; the route so far is nothing yet.
    return jsonObject({{"no", number(RouteTable::ColNo)},
                       {"name", shownName(table.cell(RouteTable::ColName, row))},
                       {"lat", number(RouteTable::ColLatitude)},
                       {"lon", number(RouteTable::ColLongitude)},
                       {"date", date.isEmpty() ? orNull(date) : jsonString(date)},
                       {"icon", orNull(jsonInteger(table.cell(RouteTable::ColIcon, row)))},
                       {"leg", number(RouteTable::ColLeg)},
                       {"total", row == 1 ? QStringLiteral("0") : number(RouteTable::ColTotal)}});
}

} // namespace

QString JsonNumber(const QString& text) {
    QString number = TrimControl(text);
    const bool negative = number.startsWith(QLatin1Char('-'));
    if (negative || number.startsWith(QLatin1Char('+')))
        number.remove(0, 1);
    const qsizetype point = number.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? number : number.left(point);
    const QString fraction = point < 0 ? QString() : number.mid(point + 1);
    if ((whole.isEmpty() && fraction.isEmpty()) || !allDigits(whole) || !allDigits(fraction))
        return QString();
    // JSON takes no plus sign, no leading zeros and no point without digits on both sides.
    qsizetype zeros = 0;
    while (zeros + 1 < whole.size() && whole.at(zeros) == QLatin1Char('0'))
        ++zeros;
    whole = whole.isEmpty() ? QStringLiteral("0") : whole.mid(zeros);
    return (negative ? QStringLiteral("-") : QString()) + whole +
           (fraction.isEmpty() ? QString() : QLatin1Char('.') + fraction);
}

QString IsoDate(const QString& field) {
    bool ok = false;
    const double days = JsonNumber(field).toDouble(&ok);
    if (!ok || days == 0 || days < FirstDay || days >= LastDay + 1)
        return QString();
    // The date is the whole days, also before 1899-12-30 where the number is negative; the
    // fraction's size is the time of day. Converters write seven decimals, which hold the
    // time to about 9 ms: the nearest second gives back the second that was recorded.
    const double whole = std::trunc(days);
    const qint64 seconds = qRound64(std::fabs(days - whole) * 86400);
    const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
    const QDateTime at = epoch.addDays(qint64(whole)).addSecs(seconds);
    return at.date().year() <= 9999 ? at.toString(Qt::ISODate) : QString();
}

QString RouteJson(const RouteTable& table, int waypointCount, const QString& routeName, Unit unit,
                  const QString& routeLengthText) {
    QStringList waypoints;
    for (int row = 1; row <= waypointCount; ++row)
        waypoints << waypointJson(table, row);
    // The route length as shown, "1.93miles", without its unit, which is given once.
    qsizetype end = 0;
    while (end < routeLengthText.size() && !routeLengthText.at(end).isLetter())
        ++end;
    return jsonObject(
        {{"format", QString::number(RouteJsonFormat)},
         {"route_name", shownName(routeName)},
         {"unit", jsonString(unit == Unit::Km ? QStringLiteral("km") : QStringLiteral("mile"))},
         {"route_length", orNull(JsonNumber(routeLengthText.left(end)))},
         {"waypoint_count", QString::number(waypointCount)},
         {"waypoints", QLatin1Char('[') + waypoints.join(QLatin1Char(',')) + QLatin1Char(']')}});
}
