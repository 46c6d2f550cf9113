// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/DeviceRules.h"

bool IsDeviceNameCharacter(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

bool FitsDeviceName(const QString& name, int maxLength) {
    if (name.size() > maxLength)
        return false;
    for (const QChar c : name)
        if (!IsDeviceNameCharacter(c))
            return false;
    return true;
}
