// SPDX-License-Identifier: GPL-3.0-or-later
// The editor's input checks and the route name check on any text: a name passes exactly when
// the device takes it, a coordinate only as a number within its range, and the first rule
// broken is the one reported. Input: four texts (waypoint name, latitude, longitude, route
// name), each ended by a backslash.
#include "FuzzCheck.h"

#include "editing/WaypointValidation.h"
#include "files/RouteFileWriter.h"

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
    const QString name = takeText(input);
    const QString lat = takeText(input);
    const QString lon = takeText(input);
    const QString routeText = takeText(input);

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

    return 0;
}
