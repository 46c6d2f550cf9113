// SPDX-License-Identifier: GPL-3.0-or-later
// The one reader of decimal numbers in text: coordinates in route files, in cells and in the
// editor's fields, and icon numbers. Numbers are read in the C locale whatever the user's,
// and correctly rounded. Callers differ only in what they let stand around a number (blanks,
// other text after it) and in the shape they take; both are theirs to say.
#pragma once

#include <QByteArrayView>
#include <QStringView>

#include <optional>

// '0' to '9': digits of other scripts are no digits in a file or a cell.
constexpr bool IsDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// Blank, tab, line feed, vertical tab, form feed or carriage return: the C locale's white space.
constexpr bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// What a decimal number may hold after its sign.
enum class NumberShape {
    Integer,    // digits
    Decimal,    // digits with at most one point among or around them: ".5" and "5." count
    Scientific, // as Decimal, then an exponent: "e" or "E", an optional sign and digits
};

struct NumberRead {
    qsizetype end = 0; // one past the number's last character; where reading began if none
    // The value; none when no number starts there (a sign or a point alone is none) or when it
    // lies beyond a double's range, too large or so small that it rounds to zero.
    std::optional<double> value;
};

// Reads the longest number of `shape` that starts at `from`: an optional sign, then the
// shape's characters. An exponent letter that no digit follows (after its sign) is not part
// of the number. Nothing is skipped ahead of the number.
NumberRead ReadNumber(QStringView text, qsizetype from, NumberShape shape);
NumberRead ReadNumber(QByteArrayView text, qsizetype from, NumberShape shape);

// The whole text as a 32-bit integer: an optional sign and digits, nothing else.
std::optional<int> ReadInteger(QStringView text);
