// SPDX-License-Identifier: GPL-3.0-or-later
// The window's answer when the system asks the program to stop (SIGTERM from a session or
// service manager, SIGHUP from a closed terminal, Ctrl+C in the terminal it was started
// from): the window closes as if the user closed it, so a load under way ends its converter
// and removes its folder, and the program ends with the status a shell expects.
#pragma once

#include "files/Platform.h"

#include <QObject>

#include <functional>

class TForm1;

class StopRequests : public QObject {
    Q_OBJECT
public:
    // `end` ends the program with the status it is given, once the window has closed.
    StopRequests(TForm1& form, const std::function<void(int)>& end);

    // The exit status of the first stop request; 0 while none came.
    int status() const { return m_watcher.status(); }

private:
    InterruptWatcher m_watcher;
};
