// SPDX-License-Identifier: GPL-3.0-or-later
// Turning a cell's text into an integer where the route needs one (the "Icon" column).
// A cell that is not a decimal integer is an error that reaches the top-level report.
#pragma once

#include <QString>
#include <stdexcept>

// An error with a text for the person using the tool; thrown where an operation cannot go
// on, caught by the top-level error report of the program.
class RouteError : public std::runtime_error {
public:
    explicit RouteError(const QString& text)
        : std::runtime_error(text.toStdString()), m_text(text) {}
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Decimal integer text with optional leading blanks and an optional sign, in 32-bit
// range. Returns false for anything else (the empty text, trailing blanks included).
bool ParseDecimalInteger(const QString& text, int& value);

// As ParseDecimalInteger, but throws RouteError "'%s' is not a valid integer value".
int CellToInteger(const QString& text);
