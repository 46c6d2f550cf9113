// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/Platform.h"

#include <QProcess>
#include <QtGlobal>

#include <iterator>

namespace {
const int InterruptStatus = 130; // 128 + SIGINT
const int TerminateStatus = 143; // 128 + SIGTERM
const int HangUpStatus = 129;    // 128 + SIGHUP
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
    connect(this, &InterruptWatcher::interrupted, this, [this](int status) {
        if (m_status == 0)
            m_status = status;
    });
    activeWatcher.store(this);
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

InterruptWatcher::~InterruptWatcher() {
    SetConsoleCtrlHandler(onConsoleEvent, FALSE);
    activeWatcher.store(nullptr);
}

void EndWithThisProgram(QProcess&) {}

bool ProcessExists(qint64 pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

#else

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

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

const int WatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};

int statusOf(int signal) {
    switch (signal) {
    case SIGINT:
        return InterruptStatus;
    case SIGHUP:
        return HangUpStatus;
    default:
        return TerminateStatus;
    }
}
} // namespace

struct InterruptWatcher::Handlers {
    int pipe[2] = {-1, -1};
    struct sigaction previous[std::size(WatchedSignals)]{};
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
        int first = 0;
        while (::read(m_handlers->pipe[0], &byte, 1) == 1)
            if (first == 0)
                first = byte;
        if (first == 0)
            return;
        if (m_status == 0)
            m_status = statusOf(first);
        emit interrupted(statusOf(first));
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(WatchedSignals); ++i)
        ::sigaction(WatchedSignals[i], &action, &h.previous[i]);
}

InterruptWatcher::~InterruptWatcher() {
    Handlers& h = *m_handlers;
    if (h.pipe[0] < 0)
        return;
    for (std::size_t i = 0; i < std::size(WatchedSignals); ++i)
        ::sigaction(WatchedSignals[i], &h.previous[i], nullptr);
    signalPipe = -1;
    ::close(h.pipe[0]);
    ::close(h.pipe[1]);
}

void EndWithThisProgram(QProcess& process) {
#ifdef Q_OS_LINUX
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // The program may have ended between the fork and the request: then the child has
        // already been handed to another parent and must not start at all.
        if (::getppid() != parent)
            ::_exit(127);
    });
#else
    Q_UNUSED(process);
#endif
}

bool ProcessExists(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

#endif
