// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's input checks and the route name check on any text, then Accept and a save
// with what passed. Input: four texts (waypoint name, latitude, longitude, route name), each
// ended by a backslash, then a route file; the icon, row and macro choices come from the
// last bytes.
#include "FuzzCheck.h"

#include "editing/WaypointEditor.h"
#include "editing/WaypointValidation.h"
#include "files/RouteFileReader.h"
#include "files/RouteFileWriter.h"
#include "route/RouteState.h"
#include "route/RouteTable.h"

#include <QLocale>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace {

bool isNameCharacter(QChar c) {
    return c == QLatin1Char(' ') || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool allNameCharacters(const QString& text) {
    for (const QChar c : text)
        if (!isNameCharacter(c))
            return false;
    return true;
}

// TrimControl removes characters of code 32 or less at both ends, and nothing else.
void checkTrimmed(const QString& text, const QString& trimmed) {
    const qsizetype at = text.indexOf(trimmed);
    FUZZ_CHECK(at >= 0);
    const QString cut = text.left(at) + text.mid(at + trimmed.size());
    for (const QChar c : cut)
        FUZZ_CHECK(c.unicode() <= 32);
    if (!trimmed.isEmpty())
        FUZZ_CHECK(trimmed.front().unicode() > 32 && trimmed.back().unicode() > 32);
}

// A coordinate's answer against its rule: at most `maxLength` characters (one more with a
// sign), digits and points after the sign, and a value within +-limit.
void checkCoordinate(const QString& raw, const QString& answer, int maxLength, double limit,
                     const QString& rangeError) {
    const QString text = TrimControl(raw);
    const bool sign = text.startsWith(QLatin1Char('+')) || text.startsWith(QLatin1Char('-'));
    bool shape = text.size() <= maxLength + (sign ? 1 : 0);
    for (qsizetype i = sign ? 1 : 0; shape && i < text.size(); ++i)
        shape = (text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9')) ||
                text.at(i) == QLatin1Char('.');
    if (!shape) {
        FUZZ_CHECK(!answer.isEmpty() && answer != rangeError);
        return;
    }
    bool number = false;
    const double value = QLocale::c().toDouble(text, &number);
    if (number)
        FUZZ_CHECK(answer.isEmpty() == (value >= -limit && value <= limit));
    else
        FUZZ_CHECK(answer.isEmpty() || answer == rangeError);
}

QString takeText(FuzzedDataProvider& input) {
    return QString::fromStdString(input.ConsumeRandomLengthString(64));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int icon = input.ConsumeIntegralInRange(-2, 300);
    const int row = input.ConsumeIntegralInRange(-1, 130);
    const bool iconMacro = input.ConsumeBool();
    const bool nameMacro = input.ConsumeBool();
    const QString name = takeText(input);
    const QString lat = takeText(input);
    const QString lon = takeText(input);
    const QString routeText = takeText(input);
    const std::string rest = input.ConsumeRemainingBytesAsString();

    const QString zero = QStringLiteral("0");
    const QString nameAnswer = ValidateWaypointInput(name, zero, zero);
    const QString trimmedName = TrimControl(name);
    checkTrimmed(name, trimmedName);
    FUZZ_CHECK(nameAnswer.isEmpty() == (trimmedName.size() <= 6 && allNameCharacters(trimmedName)));
    const QString latAnswer = ValidateWaypointInput(QString(), lat, zero);
    checkCoordinate(lat, latAnswer, 9, 90.0, QStringLiteral("Input Range Error (Latitude)!"));
    const QString lonAnswer = ValidateWaypointInput(QString(), zero, lon);
    checkCoordinate(lon, lonAnswer, 10, 180.0, QStringLiteral("Input Range Error (Longitude)!"));
    // The first rule broken is the one reported.
    const QString answer = ValidateWaypointInput(name, lat, lon);
    FUZZ_CHECK(answer == (!nameAnswer.isEmpty()  ? nameAnswer
                          : !latAnswer.isEmpty() ? latAnswer
                                                 : lonAnswer));

    QString routeName;
    const QString routeAnswer = CheckRouteName(routeText, &routeName);
    FUZZ_CHECK(routeName == TrimControl(routeText));
    FUZZ_CHECK(routeAnswer.isEmpty() ==
               (!routeName.isEmpty() && routeName.size() <= 12 && allNameCharacters(routeName)));

    // Accept and save with what passed, on the route file that follows the texts.
    ParsedRoute parsed;
    if (!answer.isEmpty() || !routeAnswer.isEmpty() ||
        !ParseRouteFile(QByteArray::fromStdString(rest), parsed))
        return 0;
    const QList<QByteArray> readLines = parsed.lines;
    RouteTable table;
    QString nameField;
    RouteState state;
    TakeOverRoute(std::move(parsed), quint32(rest.size()), table, nameField, state);
    const int n = state.waypointCount();
    AcceptWaypoint(table, row, trimmedName, icon, n, iconMacro, nameMacro);
    qsizetype edited = routeName.size();
    for (int r = 1; r <= n; ++r) {
        const QString cellName = table.cell(RouteTable::ColName, r);
        edited += cellName.size() + table.cell(RouteTable::ColIcon, r).size();
        if (nameMacro) // names the macro makes are names the device takes
            FUZZ_CHECK(ValidateWaypointInput(cellName, zero, zero).isEmpty());
    }
    const QByteArray written = RebuildRouteLines(state, table, routeName);
    FUZZ_CHECK(written.size() <= readLines.join().size() + edited);
    FUZZ_CHECK(state.RouteLineStore.size() == readLines.size());
    for (int i = 0; i < readLines.size(); ++i) {
        const QByteArray& in = readLines.at(i);
        const QByteArray& out = state.RouteLineStore.at(i);
        if (i != state.routeLine && !state.waypointLines.contains(i)) {
            FUZZ_CHECK(out == in);
            continue;
        }
        // Edited values never add or remove a field or a line.
        const QList<QByteArray> before = fuzz::fields(in);
        const QList<QByteArray> after = fuzz::fields(out);
        FUZZ_CHECK(before.size() == after.size() && before.last() == after.last());
        FUZZ_CHECK(out.count('\n') == in.count('\n') && out.endsWith('\n') == in.endsWith('\n'));
    }
    return 0;
}
