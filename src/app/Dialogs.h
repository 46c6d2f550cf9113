// SPDX-License-Identifier: GPL-3.0-or-later
// The window's only ways of asking the user something or telling them something. The
// program shows real dialogs; tests give scripted answers and read what would be shown.
#pragma once

#include "files/RouteList.h"

#include <QList>
#include <QString>

struct Refusal;

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The chosen file's path, or the empty text when the user cancels. `filter` is a Qt
    // name filter list ("Text (*.a *.A);;Other (*.b)"); its first entry is chosen first.
    virtual QString getOpenFileName(const QString& filter) = 0;
    // As above, proposing `proposedName`; an existing file is given back without a question
    // (the window asks before replacing it).
    virtual QString getSaveFileName(const QString& proposedName, const QString& filter) = 0;
    // Both file dialogs start in the folder of the file last chosen in either, or of
    // `path` once this has been called with it (the file a load took the route from).
    virtual void useFolderOf(const QString& path) = 0;
    // Information: the text and one OK button, no icon.
    virtual void message(const QString& text) = 0;
    // A problem that stopped an operation, with one OK button and no icon: the headline, the
    // reason and the way forward under it, and the converter's output behind a button.
    virtual void refusal(const Refusal& refusal) = 0;
    // An error that escaped a handler, shown with a stop icon.
    virtual void errorReport(const QString& text) = 0;
    // A warning before going on: true when the user takes the button `acceptText`, false for
    // Cancel.
    virtual bool confirm(const QString& text, const QString& acceptText) = 0;
    // A question with Yes and No; true for Yes.
    virtual bool askYesNo(const QString& text) = 0;
    // The route to load from a file that holds several: the chosen entry's number, or 0
    // when the user cancels.
    virtual int chooseRoute(const QList<RouteListEntry>& routes) = 0;
};
