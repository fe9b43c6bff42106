#include "conversion/run/GroupWatchdog.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef Q_OS_UNIX
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <dirent.h>
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

// kill(-0) would reach our own group and kill(-1) every process we may signal.
bool isGroupId(qint64 group) {
    return group > 1 && group <= std::numeric_limits<pid_t>::max();
}

void sendMessage(const Message& message) {
    const int channel = s_channel.load(std::memory_order_relaxed);
    if (channel < 0)
        return;
    while (::send(channel, &message, sizeof message, SendFlags) < 0 && errno == EINTR) {
    }
}

#ifdef Q_OS_LINUX
struct ProcStat {
    char state = 0;
    quint64 group = 0;
    quint64 startTime = 0;
};

bool parseNumber(const char* begin, const char* end, quint64& value) {
    value = 0;
    if (begin == end)
        return false;
    for (; begin != end; ++begin) {
        if (*begin < '0' || *begin > '9')
            return false;
        value = value * 10 + quint64(*begin - '0');
    }
    return true;
}

// "pid (name) state ppid pgrp ... starttime ...", relative to dir. The name may hold anything,
// ')' and spaces included, so the fields are counted from the last ')'.
bool readStat(int dir, const char* path, ProcStat& stat) {
    const int fd = ::openat(dir, path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char text[1024];
    qsizetype length = 0;
    for (;;) {
        const ssize_t got = ::read(fd, text + length, sizeof text - size_t(length));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        length += got;
        if (length == qsizetype(sizeof text))
            break;
    }
    ::close(fd);
    qsizetype at = length;
    while (at > 0 && text[at - 1] != ')')
        --at;
    if (at == 0)
        return false;
    for (int field = 3; at < length; ++field) {
        while (at < length && text[at] == ' ')
            ++at;
        const qsizetype begin = at;
        while (at < length && text[at] != ' ' && text[at] != '\n')
            ++at;
        if (at == begin)
            break;
        if (field == 3)
            stat.state = text[begin];
        else if (field == 5 && !parseNumber(text + begin, text + at, stat.group))
            return false;
        else if (field == 22)
            return parseNumber(text + begin, text + at, stat.startTime);
    }
    return false;
}

bool readStatOf(qint64 pid, ProcStat& stat) {
    char path[40] = "/proc/";
    char digits[20];
    int count = 0;
    for (quint64 rest = quint64(pid); rest != 0 || count == 0; rest /= 10)
        digits[count++] = char('0' + rest % 10);
    char* at = path + 6;
    while (count > 0)
        *at++ = digits[--count];
    std::memcpy(at, "/stat", 6);
    return readStat(AT_FDCWD, path, stat);
}

// Marks the groups that have a member which is neither a zombie nor dead. False if the process
// list could not be read to its end.
bool markRunning(const pid_t* groups, int count, bool* running) {
    const int proc = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (proc < 0)
        return false;
    alignas(8) char entries[4096];
    ssize_t got = 0;
    while ((got = ::getdents64(proc, entries, sizeof entries)) > 0) {
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(entries + at);
            at += entry->d_reclen;
            char path[300];
            qsizetype length = 0;
            while (entry->d_name[length] >= '0' && entry->d_name[length] <= '9')
                ++length;
            if (length == 0 || entry->d_name[length] != '\0')
                continue;
            std::memcpy(path, entry->d_name, size_t(length));
            std::memcpy(path + length, "/stat", 6);
            ProcStat stat;
            if (!readStat(proc, path, stat) || stat.state == 'Z' || stat.state == 'X')
                continue; // gone meanwhile, or ended and waiting to be reaped
            for (int i = 0; i < count; ++i)
                running[i] = running[i] || quint64(groups[i]) == stat.group;
        }
    }
    ::close(proc);
    return got == 0;
}
#endif

// Which of the groups still have a running member; true if any has.
bool findRunning(const pid_t* groups, int count, bool* running) {
    bool any = false;
    for (int i = 0; i < count; ++i) {
        running[i] = ::kill(-groups[i], 0) == 0 || errno != ESRCH;
        any = any || running[i];
    }
#ifdef Q_OS_LINUX
    // A group whose members have all ended still exists until the last is reaped.
    bool seen[Capacity] = {};
    if (any && markRunning(groups, count, seen)) {
        any = false;
        for (int i = 0; i < count; ++i) {
            running[i] = running[i] && seen[i];
            any = any || running[i];
        }
    }
#endif
    return any;
}

struct Watched {
    pid_t group;
    quint64 startTime;
};

// A group id is not handed out again while a member lives; but once the group has emptied a new
// process may get the id and lead a group of its own. Its start time gives it away.
bool stillOurs(const Watched& watched) {
#ifdef Q_OS_LINUX
    ProcStat stat;
    if (watched.startTime != 0 && readStatOf(watched.group, stat) &&
        stat.startTime != watched.startTime)
        return false;
#else
    Q_UNUSED(watched);
#endif
    return true;
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
    while (findRunning(groups, live, running) && nowMs() < deadline)
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
            if (!isGroupId(message.group))
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
#ifdef Q_OS_LINUX
    // Read here rather than by the watcher when the message arrives: by then a quick script may
    // have ended and its id gone to another process.
    ProcStat stat;
    if (readStat(AT_FDCWD, "/proc/self/stat", stat))
        message.startTime = stat.startTime;
#endif
    sendMessage(message);
}

void GroupWatchdog::release(qint64 group) {
    if (isGroupId(group))
        sendMessage({Release, group, 0});
}

std::optional<quint64> GroupWatchdog::processStartTime(qint64 pid) {
#ifdef Q_OS_LINUX
    ProcStat stat;
    if (pid > 0 && pid <= std::numeric_limits<pid_t>::max() && readStatOf(pid, stat))
        return stat.startTime;
#else
    Q_UNUSED(pid);
#endif
    return std::nullopt;
}

bool GroupWatchdog::groupHasRunningMember(qint64 group) {
    if (!isGroupId(group))
        return false;
    const auto id = pid_t(group);
    bool running = false;
    return findRunning(&id, 1, &running);
}

#else

bool GroupWatchdog::start() {
    return true;
}

void GroupWatchdog::enrolFromChild() {}

void GroupWatchdog::release(qint64) {}

std::optional<quint64> GroupWatchdog::processStartTime(qint64 pid) {
#ifdef Q_OS_WIN
    // A process object outlives its process while anyone holds a handle to it: only one that
    // still runs counts.
    const HANDLE process =
        pid > 0 ? OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid)) : nullptr;
    if (!process)
        return std::nullopt;
    FILETIME created, exited, kernel, user;
    DWORD exitCode = 0;
    const bool running = GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE &&
                         GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    if (!running)
        return std::nullopt;
    return quint64(created.dwHighDateTime) << 32 | created.dwLowDateTime;
#else
    Q_UNUSED(pid);
    return std::nullopt;
#endif
}

#endif
