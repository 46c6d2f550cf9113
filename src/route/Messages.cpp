// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/Messages.h"

QString Refusal::explanation() const {
    if (reason.isEmpty() || remedy.isEmpty())
        return reason + remedy;
    return reason + QLatin1Char('\n') + remedy;
}
