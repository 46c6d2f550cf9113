// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/SequenceCode.h"

QString SequenceCode(int i) {
    const int index = i & 0xFF;
    const QChar tens = index < 100 ? QLatin1Char(char('0' + index / 10))
                                   : QLatin1Char(char('A' + (index - 100) / 10));
    const QChar units = QLatin1Char(char('0' + index % 10));
    return QString(tens) + units;
}
