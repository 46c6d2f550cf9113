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
#include <QRegularExpression>

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

namespace {

// A name the device takes: blank, 0-9, A-Z, a-z only.
bool allNameCharacters(const QString& text) {
    static const QRegularExpression nameCharacters(QStringLiteral("^[ 0-9A-Za-z]*$"));
    return nameCharacters.match(text).hasMatch();
}

// A coordinate that passes is a plain number within +-limit.
void checkCoordinate(const QString& raw, const QString& answer, double limit) {
    bool number = false;
    const double value = QLocale::c().toDouble(TrimControl(raw), &number);
    if (answer.isEmpty() && number)
        FUZZ_CHECK(value >= -limit && value <= limit);
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
    FUZZ_CHECK(nameAnswer.isEmpty() == (trimmedName.size() <= 6 && allNameCharacters(trimmedName)));
    const QString latAnswer = ValidateWaypointInput(QString(), lat, zero);
    checkCoordinate(lat, latAnswer, 90.0);
    const QString lonAnswer = ValidateWaypointInput(QString(), zero, lon);
    checkCoordinate(lon, lonAnswer, 180.0);
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
    // Edited values never add or remove a field or a line.
    FUZZ_CHECK(state.RouteLineStore.size() == readLines.size());
    FUZZ_CHECK(written.count(',') == readLines.join().count(','));
    FUZZ_CHECK(written.count('\n') == readLines.join().count('\n'));
    return 0;
}
