#include "app/QuitOnSignal.h"

#include "app/CorvaneGUI.h"

#include <QAction>

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

void quitOnTerminationSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_pipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(s_pipe[1], QSocketNotifier::Read, CorvaneGUI::frame);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(s_pipe[1], &byte, 1);
        if (CorvaneGUI::itemExit)
            CorvaneGUI::itemExit->trigger();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}
#else
void quitOnTerminationSignals() {}
#endif
