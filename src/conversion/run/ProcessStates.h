#pragma once

#include <QtGlobal>

#include <limits>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/types.h>
#endif

// What the system says of processes: when one started, and whether a process group still has a
// running member. Read from Linux's /proc (on Windows, the start time from the process's own
// times), which the group watchdog, the process trees of a run and the recovery of dead runs
// all need.
//
// Everything here is async-signal-safe (plain system calls on fixed buffers): the watchdog's
// watcher and a child about to exec call it, both forks of a program with many threads, where
// another thread may have held the allocator's lock at the moment of the fork.
namespace ProcessStates {

// When a process started, in clock ticks since boot (Linux) or as its creation time (Windows);
// tells a process from a later one with the same id. Empty if there is no such process (on
// Windows: none that still runs), and elsewhere.
std::optional<quint64> startTime(qint64 pid);

// The calling process's own start time, as startTime() gives it.
std::optional<quint64> ownStartTime();

#ifdef Q_OS_UNIX
// kill(-0) would reach our own group and kill(-1) every process we may signal.
inline bool isGroupId(qint64 group) {
    return group > 1 && group <= std::numeric_limits<pid_t>::max();
}

// The most groups findRunning() takes at once.
constexpr int MaxGroups = 1024;

// Which of the groups still have a running member; true if any has. Members that have ended but
// wait to be reaped do not count: in some containers nothing reaps orphans. Where the members
// cannot be listed (no /proc) a group that exists counts as running.
bool findRunning(const pid_t* groups, int count, bool* running);

// The same for one group; false for what is not a group id.
bool groupHasRunningMember(qint64 group);
#endif

} // namespace ProcessStates
