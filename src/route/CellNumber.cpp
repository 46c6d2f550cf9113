// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/CellNumber.h"

bool ParseDecimalInteger(const QString& text, int& value) {
    int i = 0;
    const int n = int(text.size());
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    if (i >= n)
        return false;
    qint64 magnitude = 0;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > qint64(1) << 31)
            return false;
    }
    const qint64 signedValue = negative ? -magnitude : magnitude;
    if (signedValue > 2147483647LL || signedValue < -2147483648LL)
        return false;
    value = int(signedValue);
    return true;
}

int CellToInteger(const QString& text) {
    int value = 0;
    if (!ParseDecimalInteger(text, value))
        throw RouteError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}
