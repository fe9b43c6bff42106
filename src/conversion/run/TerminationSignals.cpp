#include "conversion/run/TerminationSignals.h"

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int s_pipe[2] = {-1, -1};

// Only async-signal-safe work here; the event loop does the rest.
void onSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(s_pipe[0], &byte, 1);
}
} // namespace

TerminationSignals::TerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_pipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(s_pipe[1], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(s_pipe[1], &byte, 1);
        emit requested();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}
#elif defined(Q_OS_WIN)
#include <QMetaObject>

#include <windows.h>

namespace {
TerminationSignals* s_watch = nullptr;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI onConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        QMetaObject::invokeMethod(s_watch, &TerminationSignals::requested, Qt::QueuedConnection);
        // A closed console ends the process once this returns: give the event
        // loop a moment to end the run first (the job object ends the rest).
        if (event == CTRL_CLOSE_EVENT)
            Sleep(3000);
        return TRUE;
    default:
        return FALSE;
    }
}
} // namespace

TerminationSignals::TerminationSignals() {
    s_watch = this;
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}
#else
TerminationSignals::TerminationSignals() = default;
#endif

TerminationSignals& TerminationSignals::watch() {
    static TerminationSignals* watcher = new TerminationSignals; // lives as long as the process
    return *watcher;
}
