// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/InterruptWatcher.h"

#include <QtGlobal>

namespace {
const int InterruptStatus = 130; // 128 + SIGINT
const int TerminateStatus = 143; // 128 + SIGTERM
} // namespace

#ifdef Q_OS_WIN

#include <QMetaObject>

#include <atomic>
#include <windows.h>

namespace {
// The console calls its handler on a thread of its own, which may only hand the event to
// the watcher's thread.
std::atomic<InterruptWatcher*> activeWatcher{nullptr};

BOOL WINAPI onConsoleEvent(DWORD event) {
    InterruptWatcher* watcher = activeWatcher.load();
    if (!watcher)
        return FALSE;
    const bool interrupt = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
    const int status = interrupt ? InterruptStatus : TerminateStatus;
    QMetaObject::invokeMethod(
        watcher, [watcher, status] { emit watcher->interrupted(status); }, Qt::QueuedConnection);
    return TRUE;
}
} // namespace

struct InterruptWatcher::Handlers {};

InterruptWatcher::InterruptWatcher(QObject* parent) : QObject(parent) {
    activeWatcher.store(this);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

InterruptWatcher::~InterruptWatcher() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    activeWatcher.store(nullptr);
}

#else

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {
// A signal handler may do almost nothing; it writes the signal's number into a pipe whose
// other end the event loop watches (the self-pipe idiom). The pipe's write end is all it
// knows, and it has no other way to learn it.
volatile sig_atomic_t signalPipe = -1;

void onSignal(int number) {
    const int savedErrno = errno;
    const char byte = char(number);
    if (::write(signalPipe, &byte, 1) < 0) {
        // A full pipe already holds a pending signal; nothing is lost.
    }
    errno = savedErrno;
}
} // namespace

struct InterruptWatcher::Handlers {
    int pipe[2] = {-1, -1};
    struct sigaction previousInterrupt {};
    struct sigaction previousTerminate {};
};

InterruptWatcher::InterruptWatcher(QObject* parent)
    : QObject(parent), m_handlers(std::make_unique<Handlers>()) {
    Handlers& h = *m_handlers;
    if (::pipe(h.pipe) != 0) {
        qWarning("No pipe for the signal handler: Ctrl+C ends the program at once.");
        return;
    }
    for (int fd : h.pipe) {
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    signalPipe = h.pipe[1];
    auto* notifier = new QSocketNotifier(h.pipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        int last = 0;
        while (::read(m_handlers->pipe[0], &byte, 1) == 1)
            last = byte;
        if (last != 0)
            emit interrupted(last == SIGINT ? InterruptStatus : TerminateStatus);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, &h.previousInterrupt);
    ::sigaction(SIGTERM, &action, &h.previousTerminate);
}

InterruptWatcher::~InterruptWatcher() {
    Handlers& h = *m_handlers;
    if (h.pipe[0] < 0)
        return;
    ::sigaction(SIGINT, &h.previousInterrupt, nullptr);
    ::sigaction(SIGTERM, &h.previousTerminate, nullptr);
    signalPipe = -1;
    ::close(h.pipe[0]);
    ::close(h.pipe[1]);
}

#endif
