// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WindowRefusals.h"

#include "editing/WaypointValidation.h"
#include "files/RouteFileWriter.h"

Refusal ForWindow(Refusal refusal) {
    return WithWayForward(std::move(refusal), Audience::Window);
}

Refusal RouteNameRefusal(const QString& headline, const QString& fieldText) {
    return ForWindow(RefuseRouteName(headline, fieldText));
}

Refusal WaypointInputRefusal(const QString& headline, const QString& name, const QString& latitude,
                             const QString& longitude) {
    return ForWindow(RefuseWaypointInput(headline, name, latitude, longitude));
}

Refusal WriteRefusal(const QString& path, const QString& reason) {
    return ForWindow(RefuseWrite(path, reason));
}
