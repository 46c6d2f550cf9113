// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/EditHistory.h"

#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QWidget>

#include <utility>

namespace {

// "Undo" alone when there is no step, else followed by the step's name: "Undo name macro".
void nameAction(QAction* action, const QString& verb, const QString& step) {
    action->setText(step.isEmpty() ? verb : verb + QLatin1Char(' ') + step);
}

QAction* makeAction(QWidget* window, QWidget* menuOwner, const QString& verb,
                    const QList<QKeySequence>& keys) {
    auto* action = new QAction(verb, window);
    action->setShortcuts(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    action->setEnabled(false);
    window->addAction(action);
    menuOwner->addAction(action);
    return action;
}

} // namespace

EditHistory::EditHistory(QWidget* window, QWidget* menuOwner, QLineEdit* routeName)
    : QObject(window), m_routeName(routeName), m_recordedName(routeName->text()) {
    const QString undo = QStringLiteral("Undo"), redo = QStringLiteral("Redo");
    m_undo = makeAction(window, menuOwner, undo, {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    m_redo = makeAction(
        window, menuOwner, redo,
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    menuOwner->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(m_undo, &QAction::triggered, this, &EditHistory::undo);
    connect(m_redo, &QAction::triggered, this, &EditHistory::redo);
    connect(&m_stack, &QUndoStack::canUndoChanged, m_undo, &QAction::setEnabled);
    connect(&m_stack, &QUndoStack::canRedoChanged, m_redo, &QAction::setEnabled);
    connect(&m_stack, &QUndoStack::undoTextChanged, this,
            [this, undo](const QString& step) { nameAction(m_undo, undo, step); });
    connect(&m_stack, &QUndoStack::redoTextChanged, this,
            [this, redo](const QString& step) { nameAction(m_redo, redo, step); });
    connect(routeName, &QLineEdit::editingFinished, this, &EditHistory::recordRouteName);
}

WaypointEditApplied EditHistory::waypointEditApplied() {
    return [this](int row, const EditorFields& fields, bool) { m_applied = {row, fields}; };
}

void EditHistory::push(std::unique_ptr<QUndoCommand> edit) {
    if (edit)
        m_stack.push(edit.release());
}

void EditHistory::restart(const QString& routeName) {
    // The steps name rows and cells of the route they were made on.
    m_stack.clear();
    m_recordedName = routeName;
}

void EditHistory::recordRouteName() {
    const QString typed = m_routeName->text();
    if (typed != m_recordedName)
        push(RouteNameEdit(m_recordedName, typed,
                           [this](const QString& name) { setRouteName(name); }));
}

void EditHistory::setRouteName(const QString& name) {
    m_recordedName = name;
    // Setting the text the field already holds would still move its cursor and drop its
    // own undo, under the fingers of someone who pressed Return in it.
    if (m_routeName->text() != name)
        m_routeName->setText(name);
}

void EditHistory::undo() {
    move(true);
}

void EditHistory::redo() {
    move(false);
}

void EditHistory::move(bool back) {
    // A route name typed but not yet recorded is a step of its own, made before this one
    // moves: Ctrl+Y reaches the window while the field still has the keyboard.
    recordRouteName();
    m_applied.reset();
    if (back)
        m_stack.undo();
    else
        m_stack.redo();
    if (const std::optional<ShownEdit> applied = std::exchange(m_applied, std::nullopt))
        emit waypointEditShown(applied->row, applied->fields);
}
