// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/WaypointEditor.h"

#include "editing/IconSheet.h"
#include "editing/SequenceCode.h"
#include "route/CellNumber.h"
#include "route/RouteTable.h"

namespace {

// The name macro's name for the waypoint of 0-based index i out of n. Every name has at
// most 6 characters, the longest name the device takes.
QString macroName(const QString& name, int i, int n) {
    if (!name.isEmpty())
        return name.left(4) + SequenceCode(i);
    if (i == 0)
        return QStringLiteral("START");
    if (i == n - 1)
        return QStringLiteral("FINISH");
    return QStringLiteral("TURN") + SequenceCode(i);
}

} // namespace

std::optional<EditorRow> LoadWaypointRow(const RouteTable& table, int row) {
    if (row < 1)
        return std::nullopt;
    const QString icon = table.cell(RouteTable::ColIcon, row);
    if (icon.isEmpty())
        return std::nullopt;
    EditorRow loaded;
    loaded.name = table.cell(RouteTable::ColName, row);
    loaded.latitude = table.cell(RouteTable::ColLatitude, row);
    loaded.longitude = table.cell(RouteTable::ColLongitude, row);
    loaded.iconText = icon;
    return loaded;
}

int EditorIconIndex(const QString& iconText) {
    const int number = CellToInteger(iconText) & 0xFF;
    return number < IconCount ? number : -1;
}

int WaypointCountFromText(const QString& totalPointsText) {
    return CellToInteger(totalPointsText) & 0xFF;
}

void AcceptWaypoint(RouteTable& table, int selectedRow, const QString& trimmedName, int iconIndex,
                    int n, bool iconMacro, bool nameMacro) {
    const bool iconChosen = iconIndex >= 0 && iconIndex < IconCount;
    const QString icon = QString::number(iconIndex);
    if (selectedRow >= 1) {
        table.setCell(RouteTable::ColName, selectedRow, trimmedName);
        if (iconChosen)
            table.setCell(RouteTable::ColIcon, selectedRow, icon);
    }
    if (iconMacro && iconChosen) {
        for (int row = 1; row <= n; ++row)
            table.setCell(RouteTable::ColIcon, row, icon);
    }
    if (nameMacro) {
        for (int i = 0; i < n; ++i)
            table.setCell(RouteTable::ColName, i + 1, macroName(trimmedName, i, n));
    }
}
