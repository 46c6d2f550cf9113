// SPDX-License-Identifier: GPL-3.0-or-later
// Cell text as people see it: trimmed for the name checks, shown with the characters the
// converter meant, and escaped for terminals and messages.
#pragma once

#include <QString>

// The text without the characters of code 32 or less (blank and control characters) at
// either end. Names are checked, and stored, this way.
QString TrimControl(const QString& text);

// A cell's text as a person should see it. Cells hold the file's bytes as Latin-1, which
// keeps every byte; the converter writes route files in Windows-1252, whose bytes 0x80 to
// 0x9F are the euro sign, curly quotes, dashes and the like. Those are shown as such; the
// five bytes Windows-1252 leaves undefined, and every other character, stay as they are.
QString DisplayText(const QString& cell);

// A cell, or any text, as a terminal or a message should show it: as DisplayText, with line
// ends, tabs and every other control character as visible escapes ("\\r", "\\x1b"), so that
// no byte of a file can move the cursor or change a terminal's state.
QString EscapedText(const QString& text);
