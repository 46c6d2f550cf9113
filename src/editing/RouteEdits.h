// SPDX-License-Identifier: GPL-3.0-or-later
// The edits that change what Save writes, as commands for a QUndoStack: Accept on one
// waypoint or with its macros, and the route name as typed. Each keeps the values it
// replaced and the values it wrote, so undo and redo give back exactly what was there.
#pragma once

#include <QList>
#include <QString>
#include <QUndoCommand>

#include <functional>
#include <memory>

class RouteTable;

// What the waypoint editor showed: the name field's text and the icon list's entry.
struct EditorFields {
    QString name;
    int icon = -1;
};

// Tells the owner of the table that an edit of `row` was applied (undone when `undone`), so
// that it measures the route again, selects the row and shows `fields` in the editor.
using WaypointEditApplied = std::function<void(int row, const EditorFields& fields, bool undone)>;

// Accept as AcceptWaypoint does it (same arguments), as a command that has already been
// applied: pushing it changes nothing more, and undoing it puts every name and icon cell
// back. Null when the Accept changed no cell. `fields` is what the editor showed.
std::unique_ptr<QUndoCommand> AcceptAsEdit(RouteTable& table, int selectedRow,
                                           const QString& trimmedName, int iconIndex, int n,
                                           bool iconMacro, bool nameMacro,
                                           const EditorFields& fields,
                                           const WaypointEditApplied& applied);

// A change of the route name field from `before` to `after`; `setName` puts a text into
// the field.
std::unique_ptr<QUndoCommand> RouteNameEdit(const QString& before, const QString& after,
                                            const std::function<void(const QString&)>& setName);
