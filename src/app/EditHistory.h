// SPDX-License-Identifier: GPL-3.0-or-later
// The window's history of the edits that change what Save writes, and its Undo and Redo:
// Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, anywhere in the window, and the same two actions in
// the route table's right-click menu, named for the step they undo or redo. The route name
// counts as one step each time its field is left holding a text other than the one
// recorded last; while the field has the keyboard, Ctrl+Z undoes its own typing.
#pragma once

#include "editing/RouteEdits.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <memory>
#include <optional>

class QAction;
class QLineEdit;
class QWidget;

class EditHistory : public QObject {
    Q_OBJECT
public:
    // The actions go on `window`, whose shortcuts they are, and on `menuOwner`, whose
    // right-click menu they make; `routeName` is the route name field. None is owned.
    EditHistory(QWidget* window, QWidget* menuOwner, QLineEdit* routeName);

    QAction* undoAction() const { return m_undo; }
    QAction* redoAction() const { return m_redo; }

    // What an Accept step is to call when it is undone or redone (AcceptAsEdit).
    WaypointEditApplied waypointEditApplied();
    // Adds a step already applied; null (an Accept that changed nothing) adds none.
    void push(std::unique_ptr<QUndoCommand> edit);
    // A route newly loaded: no steps to undo or redo, and `routeName` as the name recorded.
    void restart(const QString& routeName);

    void undo();
    void redo();

signals:
    // An Accept step has been undone or redone: the window shows `row` with the editor's
    // fields as they were at the step. Sent once the history has moved, so a failure to
    // show it leaves the history in step with the table.
    void waypointEditShown(int row, const EditorFields& fields);

private:
    // Records the route name field's text as a step when it differs from the last one.
    void recordRouteName();
    void setRouteName(const QString& name);
    void move(bool back);

    QUndoStack m_stack;
    QLineEdit* m_routeName;
    QString m_recordedName;
    QAction* m_undo;
    QAction* m_redo;
    struct ShownEdit {
        int row;
        EditorFields fields;
    };
    std::optional<ShownEdit> m_applied;
};
