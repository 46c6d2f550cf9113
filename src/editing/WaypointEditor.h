// SPDX-License-Identifier: GPL-3.0-or-later
// The waypoint editor's work on the route table: showing a row in the editor, and Accept
// with its two macros that rename or re-icon every waypoint at once. The window keeps the
// editor's controls; it passes their values in and shows what comes back.
#pragma once

#include <QString>
#include <optional>

class RouteTable;

// What the editor shows for one waypoint row.
struct EditorRow {
    QString name;
    QString latitude;
    QString longitude;
    QString iconText; // the "Icon" cell, never empty
};

// The row as the editor shows it, each text as the cell holds it. Empty when the row is not
// a waypoint row: the header row, or a row whose "Icon" cell is empty.
std::optional<EditorRow> LoadWaypointRow(const RouteTable& table, int row);

// The icon list's entry for an "Icon" cell: its number's low 8 bits, 0 to 44, or -1 when
// that lies beyond the list (no entry selected). A cell that is not a decimal integer
// throws RouteError "'%s' is not a valid integer value".
int EditorIconIndex(const QString& iconText);

// The waypoint count as the Total Points field shows it, read back as a decimal integer and
// cut to its low 8 bits. Text that is not a decimal integer throws RouteError, as a cell does.
int WaypointCountFromText(const QString& totalPointsText);

// Accept, once the input check has passed. Writes trimmedName into the "WPT Name" cell of
// selectedRow and iconIndex into its "Icon" cell; then, over rows 1 to n, the icon macro
// gives every waypoint that icon and the name macro renames every waypoint:
//  - a name: its first 4 characters followed by the SequenceCode of the 0-based index,
//    so RIVER1 numbers the rows RIVE00, RIVE01, ...;
//  - no name: START for the first row, FINISH for the last, TURN and the code in between.
// An iconIndex outside 0 to 44 (no entry selected in the icon list) writes no icon, not
// even through the macro; the name is accepted all the same. A selectedRow below 1 (no row
// loaded yet) writes nothing into a single row, so the header row is never overwritten.
void AcceptWaypoint(RouteTable& table, int selectedRow, const QString& trimmedName, int iconIndex,
                    int n, bool iconMacro, bool nameMacro);
