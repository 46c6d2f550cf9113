// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog layer as the program shows it: QFileDialog, QMessageBox and the route list,
// captioned with the application title, each answered from the keyboard as well.
#pragma once

#include "app/Dialogs.h"

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(const QString& title) : m_title(title) {}

    QString getOpenFileName(const QString& filter) override;
    QString getSaveFileName(const QString& proposedName, const QString& filter) override;
    void useFolderOf(const QString& path) override;
    void message(const QString& text) override;
    void refusal(const Refusal& refusal) override;
    void errorReport(const QString& text) override;
    bool confirm(const QString& text, const QString& acceptText) override;
    bool askYesNo(const QString& text) override;
    int chooseRoute(const QList<RouteListEntry>& routes) override;

private:
    QString m_title;
    // Where the file dialogs start; empty until a file has been chosen or loaded, when they
    // start in the working folder.
    QString m_folder;
};
