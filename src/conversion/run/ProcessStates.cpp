#include "conversion/run/ProcessStates.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#ifdef Q_OS_LINUX
#include <dirent.h>
#endif
#endif

#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef Q_OS_LINUX
namespace {
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
} // namespace
#endif

#ifdef Q_OS_UNIX
bool ProcessStates::findRunning(const pid_t* groups, int count, bool* running) {
    bool any = false;
    for (int i = 0; i < count; ++i) {
        running[i] = ::kill(-groups[i], 0) == 0 || errno != ESRCH;
        any = any || running[i];
    }
#ifdef Q_OS_LINUX
    // A group whose members have all ended still exists until the last is reaped.
    bool seen[MaxGroups] = {};
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

bool ProcessStates::groupHasRunningMember(qint64 group) {
    if (!isGroupId(group))
        return false;
    const auto id = pid_t(group);
    bool running = false;
    return findRunning(&id, 1, &running);
}
#endif

std::optional<quint64> ProcessStates::startTime(qint64 pid) {
#ifdef Q_OS_LINUX
    ProcStat stat;
    if (pid > 0 && pid <= std::numeric_limits<pid_t>::max() && readStatOf(pid, stat))
        return stat.startTime;
#elif defined(Q_OS_WIN)
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
    if (running)
        return quint64(created.dwHighDateTime) << 32 | created.dwLowDateTime;
#else
    Q_UNUSED(pid);
#endif
    return std::nullopt;
}

std::optional<quint64> ProcessStates::ownStartTime() {
#ifdef Q_OS_LINUX
    ProcStat stat;
    if (readStat(AT_FDCWD, "/proc/self/stat", stat))
        return stat.startTime;
#elif defined(Q_OS_WIN)
    return startTime(qint64(GetCurrentProcessId()));
#endif
    return std::nullopt;
}
