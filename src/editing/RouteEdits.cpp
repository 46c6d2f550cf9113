// SPDX-License-Identifier: GPL-3.0-or-later
#include "editing/RouteEdits.h"

#include "editing/WaypointEditor.h"
#include "route/DeviceRules.h"
#include "route/RouteTable.h"

namespace {

// One cell an edit changed.
struct CellChange {
    int column;
    int row;
    QString before;
    QString after;
};

class WaypointEdit : public QUndoCommand {
public:
    WaypointEdit(const QString& text, RouteTable& table, QList<CellChange> changes, int row,
                 const EditorFields& fields, const WaypointEditApplied& applied)
        : QUndoCommand(text), m_table(table), m_changes(std::move(changes)), m_row(row),
          m_fields(fields), m_applied(applied) {}

    void undo() override { apply(true); }
    // The first redo comes from the push of an edit already made: the cells hold their new
    // texts, so writing them again changes nothing and no one need be told.
    void redo() override {
        if (m_pushed)
            apply(false);
        m_pushed = true;
    }

private:
    void apply(bool undone) {
        for (const CellChange& change : m_changes)
            m_table.setCell(change.column, change.row, undone ? change.before : change.after);
        if (m_applied)
            m_applied(m_row, m_fields, undone);
    }

    RouteTable& m_table;
    const QList<CellChange> m_changes;
    const int m_row;
    const EditorFields m_fields;
    const WaypointEditApplied m_applied;
    bool m_pushed = false;
};

class NameEdit : public QUndoCommand {
public:
    NameEdit(const QString& before, const QString& after,
             const std::function<void(const QString&)>& setName)
        : QUndoCommand(QStringLiteral("route name")), m_before(before), m_after(after),
          m_setName(setName) {}

    void undo() override { m_setName(m_before); }
    void redo() override { m_setName(m_after); }

private:
    const QString m_before;
    const QString m_after;
    const std::function<void(const QString&)> m_setName;
};

// The name and icon cells of rows 1 to `rows`, in that order.
QList<QString> editableCells(const RouteTable& table, int rows) {
    QList<QString> cells;
    cells.reserve(2 * rows);
    for (int row = 1; row <= rows; ++row)
        cells << table.cell(RouteTable::ColName, row) << table.cell(RouteTable::ColIcon, row);
    return cells;
}

QString editName(bool iconMacro, bool nameMacro) {
    if (iconMacro && nameMacro)
        return QStringLiteral("name and icon macros");
    if (nameMacro)
        return QStringLiteral("name macro");
    if (iconMacro)
        return QStringLiteral("icon macro");
    return QStringLiteral("Accept");
}

} // namespace

std::unique_ptr<QUndoCommand> AcceptAsEdit(RouteTable& table, int selectedRow,
                                           const QString& trimmedName, int iconIndex, int n,
                                           bool iconMacro, bool nameMacro,
                                           const EditorFields& fields,
                                           const WaypointEditApplied& applied) {
    // Accept writes the selected row and, through the macros, rows 1 to n: nothing else.
    const int rows = qMax(n, selectedRow);
    const QList<QString> before = editableCells(table, rows);
    AcceptWaypoint(table, selectedRow, trimmedName, iconIndex, n, iconMacro, nameMacro);
    const QList<QString> after = editableCells(table, rows);
    QList<CellChange> changes;
    for (int i = 0; i < before.size(); ++i) {
        if (before.at(i) != after.at(i))
            changes.append({i % 2 == 0 ? int(RouteTable::ColName) : int(RouteTable::ColIcon),
                            i / 2 + 1, before.at(i), after.at(i)});
    }
    if (changes.isEmpty())
        return nullptr;
    // An icon macro without a chosen icon writes no icon; the step is named for what it did.
    const bool iconsWritten = iconMacro && iconIndex >= 0 && iconIndex < IconCount;
    return std::make_unique<WaypointEdit>(editName(iconsWritten, nameMacro), table,
                                          std::move(changes), selectedRow, fields, applied);
}

std::unique_ptr<QUndoCommand> RouteNameEdit(const QString& before, const QString& after,
                                            const std::function<void(const QString&)>& setName) {
    return std::make_unique<NameEdit>(before, after, setName);
}
