// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/DeviceRules.h"

#include "route/NumberReader.h"

bool IsDeviceNameCharacter(QChar c) {
    const char16_t u = c.unicode();
    return u == ' ' || IsDecimalDigit(u) || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

NameFault DeviceNameFault(const QString& name, int maxLength) {
    if (name.size() > maxLength)
        return NameFault::Length;
    for (const QChar c : name)
        if (!IsDeviceNameCharacter(c))
            return NameFault::Character;
    return NameFault::None;
}

bool FitsDeviceName(const QString& name, int maxLength) {
    return DeviceNameFault(name, maxLength) == NameFault::None;
}
