// SPDX-License-Identifier: GPL-3.0-or-later
// Turns a request to stop the program (Ctrl+C, or SIGTERM from a shell or service manager;
// on Windows the console's Ctrl+C, Ctrl+Break and close events) into the Qt signal
// interrupted(), delivered by the event loop, so a running conversion can be cancelled and
// leaves neither a converter process nor a temporary folder behind. Usage:
//
//   InterruptWatcher watcher;
//   QObject::connect(&watcher, &InterruptWatcher::interrupted, &job, [&](int status) {
//       exitStatus = status;
//       job.cancel();
//   });
//
// One watcher at a time: the handlers are the process's own. The one that was in place
// before is put back when the watcher is destroyed. This is the program's one platform place.
#pragma once

#include <QObject>

#include <memory>

class InterruptWatcher : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    ~InterruptWatcher() override;

signals:
    // `exitStatus` is the one a shell expects after the signal: 130 for an interrupt
    // (Ctrl+C), 143 for a termination.
    void interrupted(int exitStatus);

private:
    struct Handlers;
    std::unique_ptr<Handlers> m_handlers;
};
