// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/CellNumber.h"

#include "route/NumberReader.h"

bool ParseDecimalInteger(const QString& text, int& value) {
    // Blanks may lead (tabs and line ends may not); nothing may follow.
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    const std::optional<int> number = ReadInteger(QStringView(text).mid(i));
    if (!number)
        return false;
    value = *number;
    return true;
}

int CellToInteger(const QString& text) {
    int value = 0;
    if (!ParseDecimalInteger(text, value))
        throw RouteError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}
