// SPDX-License-Identifier: GPL-3.0-or-later
// The core's one place that calls the operating system directly: requests to stop the
// program delivered as a Qt signal, a converter process that does not outlive the program,
// and whether a process still runs. Everything else goes through Qt.
#pragma once

#include <QObject>

#include <memory>

class QProcess;

// Turns a request to stop the program (Ctrl+C, SIGTERM from a shell or service manager,
// SIGHUP from a closed terminal; on Windows the console's Ctrl+C, Ctrl+Break and close
// events) into the Qt signal interrupted(), delivered by the event loop, so running work
// can be cancelled and leaves neither a converter process nor a temporary folder behind:
//
//   InterruptWatcher watcher;
//   QObject::connect(&watcher, &InterruptWatcher::interrupted, &loader, [&](int status) {
//       exitStatus = status;
//       loader.cancel();
//   });
//
// One watcher at a time: the handlers are the process's own. The ones in place before are
// put back when the watcher is destroyed.
class InterruptWatcher : public QObject {
    Q_OBJECT
public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    ~InterruptWatcher() override;

    // The exit status of the first request since the watcher was made; 0 while none came.
    int status() const { return m_status; }

signals:
    // `exitStatus` is the one a shell expects after the signal: 130 for an interrupt
    // (Ctrl+C), 143 for a termination, 129 for a hang-up.
    void interrupted(int exitStatus);

private:
    struct Handlers;
    std::unique_ptr<Handlers> m_handlers;
    int m_status = 0;
};

// Makes the process that `process` starts end when this program ends, however it ends, a
// kill included, so no converter is left running without anyone to wait for it. On Linux
// the child asks for SIGKILL on its parent's death; elsewhere nothing is done. The process
// must be started from a thread that lives as long as the child: the signal follows the
// thread that started it.
void EndWithThisProgram(QProcess& process);

// True when a process with this id exists (it may be a new one that took a dead one's id).
bool ProcessExists(qint64 pid);
