#include "conversion/run/GroupWatchdog.h"

#include "conversion/run/ProcessStates.h"

#ifdef Q_OS_UNIX
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

// Everything below that the watcher or a child about to exec runs is made of async-signal-safe
// calls on fixed buffers: both are forks of a program with many threads, where another thread
// may have held the allocator's lock at the moment of the fork.
namespace {

// Fixed-size records; every writer sends whole ones, so the watcher never reads half of one.
struct Message {
    qint64 kind;
    qint64 group;
    quint64 startTime; // 0 if unknown
};
constexpr qint64 Enrol = 1;
constexpr qint64 Release = 2;

// Far more groups than a run has at once; entries of groups that have gone are dropped if it
// ever fills, in case a release was missed.
constexpr int Capacity = 1024;
static_assert(Capacity <= ProcessStates::MaxGroups);
constexpr qint64 GraceMs = 1000;
constexpr long PollMs = 20;
// Where the watcher keeps its end, so that it can close everything above.
constexpr int WatcherChannel = 3;

std::atomic<int> s_channel{-1}; // this program's end of the socket
static_assert(std::atomic<int>::is_always_lock_free);

#ifdef MSG_NOSIGNAL
constexpr int SendFlags = MSG_NOSIGNAL; // a watcher that has gone must not raise SIGPIPE here
#else
constexpr int SendFlags = 0; // the socket has SO_NOSIGPIPE instead
#endif

void sendMessage(const Message& message) {
    const int channel = s_channel.load(std::memory_order_relaxed);
    if (channel < 0)
        return;
    while (::send(channel, &message, sizeof message, SendFlags) < 0 && errno == EINTR) {
    }
}

struct Watched {
    pid_t group;
    quint64 startTime;
};

// A group id is not handed out again while a member lives; but once the group has emptied a new
// process may get the id and lead a group of its own. Its start time gives it away.
bool stillOurs(const Watched& watched) {
    const std::optional<quint64> started = ProcessStates::startTime(watched.group);
    return watched.startTime == 0 || !started || *started == watched.startTime;
}

qint64 nowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void endGroups(const Watched* table, int count) {
    Watched ending[Capacity];
    pid_t groups[Capacity];
    bool running[Capacity] = {};
    int live = 0;
    for (int i = 0; i < count; ++i) {
        if (stillOurs(table[i]) && ::kill(-table[i].group, SIGTERM) == 0) {
            ending[live] = table[i];
            groups[live++] = table[i].group;
        }
    }
    // One grace period for all, so the time taken does not grow with the number of groups.
    const qint64 deadline = nowMs() + GraceMs;
    const timespec pause{0, PollMs * 1000000};
    while (ProcessStates::findRunning(groups, live, running) && nowMs() < deadline)
        ::nanosleep(&pause, nullptr);
    for (int i = 0; i < live; ++i) {
        if (running[i] && stillOurs(ending[i]))
            ::kill(-groups[i], SIGKILL);
    }
}

void enrol(Watched* table, int& count, const Watched& entry) {
    for (int i = 0; i < count; ++i) {
        if (table[i].group == entry.group) {
            table[i] = entry;
            return;
        }
    }
    if (count == Capacity) {
        int kept = 0;
        for (int i = 0; i < count; ++i) {
            if (::kill(-table[i].group, 0) == 0 || errno != ESRCH)
                table[kept++] = table[i];
        }
        count = kept;
    }
    if (count < Capacity)
        table[count++] = entry;
}

void forget(Watched* table, int& count, pid_t group) {
    for (int i = 0; i < count; ++i) {
        if (table[i].group == group) {
            table[i] = table[--count];
            return;
        }
    }
}

[[noreturn]] void watch(int channel) {
    Watched table[Capacity];
    int count = 0;
    // Whole records only; a stream socket (macOS) may deliver them in pieces.
    char buffer[sizeof(Message) * 16];
    size_t held = 0;
    for (;;) {
        const ssize_t got = ::recv(channel, buffer + held, sizeof buffer - held, 0);
        if (got < 0 && errno == EINTR)
            continue;
        // The end of the stream: the program has gone, however it went. An error leaves us
        // unable to watch any longer, which is handled alike.
        if (got <= 0)
            break;
        held += size_t(got);
        size_t used = 0;
        for (; held - used >= sizeof(Message); used += sizeof(Message)) {
            Message message;
            std::memcpy(&message, buffer + used, sizeof message);
            if (!ProcessStates::isGroupId(message.group))
                continue;
            const auto group = pid_t(message.group);
            if (message.kind == Enrol)
                enrol(table, count, {group, message.startTime});
            else if (message.kind == Release)
                forget(table, count, group);
        }
        std::memmove(buffer, buffer + used, held - used);
        held -= used;
    }
    endGroups(table, count);
    ::_exit(0);
}

void closeFrom(int first) {
#ifdef Q_OS_LINUX
    if (::close_range(unsigned(first), ~0U, 0) == 0)
        return;
#endif
    rlimit limit{};
    rlim_t last = 1 << 20;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < last)
        last = limit.rlim_cur;
    for (rlim_t fd = rlim_t(first); fd < last; ++fd)
        ::close(int(fd));
}

[[noreturn]] void becomeWatcher(int channel) {
    struct sigaction action {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal)
        ::sigaction(signal, &action, nullptr);
    // Signals meant for the program (a closed terminal, Ctrl+C, a kill of the program's group
    // or by its name) must leave the watcher to do its work.
    action.sa_handler = SIG_IGN;
    for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGPIPE})
        ::sigaction(signal, &action, nullptr);
    ::setsid();

    // Nothing else of the program's may stay open here: whoever waits for the end of one of its
    // pipes would wait for the watcher too, and a copy of the program's own end would hide its
    // death.
    if (channel != WatcherChannel)
        ::dup2(channel, WatcherChannel);
    const int null = ::open("/dev/null", O_RDWR);
    if (null >= 0) {
        for (int fd = 0; fd < WatcherChannel; ++fd)
            ::dup2(null, fd);
    }
    closeFrom(WatcherChannel + 1);
#ifdef Q_OS_LINUX
    ::prctl(PR_SET_NAME, "corvane-watch");
#endif
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    watch(WatcherChannel);
}

} // namespace

bool GroupWatchdog::start() {
    if (s_channel.load() >= 0)
        return true;
    int ends[2];
#ifdef Q_OS_DARWIN
    // No local SOCK_SEQPACKET and no SOCK_CLOEXEC: a fork and exec in another thread between
    // these calls would leak an end into that program.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        return false;
    for (int end : ends)
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
#else
    // Close-on-exec from birth: a converter that inherited the program's end would hold it open
    // after the program died, and the watcher would never learn of the death.
    if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
#endif
#ifndef MSG_NOSIGNAL
    const int on = 1;
    ::setsockopt(ends[0], SOL_SOCKET, SO_NOSIGPIPE, &on, sizeof on);
#endif
    // The program's signal handlers must not run in the watcher before it has reset them.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_SETMASK, &all, &previous);
    const pid_t watcher = ::fork();
    if (watcher == 0)
        becomeWatcher(ends[1]);
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    ::close(ends[1]);
    if (watcher < 0) {
        ::close(ends[0]);
        return false;
    }
    s_channel.store(ends[0]);
    return true;
}

void GroupWatchdog::enrolFromChild() {
    const pid_t self = ::getpid();
    if (s_channel.load(std::memory_order_relaxed) < 0 || ::getpgrp() != self)
        return;
    Message message{Enrol, self, 0};
    // Read here rather than by the watcher when the message arrives: by then a quick script may
    // have ended and its id gone to another process.
    if (const std::optional<quint64> started = ProcessStates::ownStartTime())
        message.startTime = *started;
    sendMessage(message);
}

void GroupWatchdog::release(qint64 group) {
    if (ProcessStates::isGroupId(group))
        sendMessage({Release, group, 0});
}

#else

bool GroupWatchdog::start() {
    return true;
}

void GroupWatchdog::enrolFromChild() {}

void GroupWatchdog::release(qint64) {}

#endif
