// SPDX-License-Identifier: GPL-3.0-or-later
#include "route/DeviceText.h"

QString TrimControl(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

QString DisplayText(const QString& cell) {
    // Windows-1252 at 0x80..0x9F; 0 marks the five undefined bytes, kept as they are.
    static constexpr char16_t C1[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    QString shown = cell;
    for (QChar& c : shown) {
        const char16_t u = c.unicode();
        if (u >= 0x80 && u <= 0x9F && C1[u - 0x80] != 0)
            c = QChar(C1[u - 0x80]);
    }
    return shown;
}

QString EscapedText(const QString& cell) {
    const QString shown = DisplayText(cell);
    QString text;
    text.reserve(shown.size());
    for (const QChar c : shown) {
        const char16_t u = c.unicode();
        if (u == '\r')
            text += QLatin1String("\\r");
        else if (u == '\n')
            text += QLatin1String("\\n");
        else if (u == '\t')
            text += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            text += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else
            text += c;
    }
    return text;
}
