// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog layer as the program shows it: QFileDialog, QMessageBox and the route list,
// captioned with the application title.
#pragma once

#include "app/Dialogs.h"

class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(const QString& title) : m_title(title) {}

    QString getOpenFileName(const QString& filter) override;
    QString getSaveFileName(const QString& proposedName, const QString& filter) override;
    void message(const QString& text, const QString& details = QString()) override;
    void errorReport(const QString& text) override;
    bool confirm(const QString& text, const QString& acceptText) override;
    bool askYesNo(const QString& text) override;
    int chooseRoute(const QList<RouteListEntry>& routes) override;

private:
    QString m_title;
};
