#pragma once

#include <QtGlobal>

#include <optional>

// Ends the converters' process groups when the program dies without ending them itself
// (SIGKILL, a crash, the out-of-memory killer). Each group leads itself so that Cancel can reach
// the script and its converter at once, which also means nothing ends them with the program.
//
// A watcher process, forked once, holds one end of a socket whose other end lives only in this
// program; the kernel closes that end however the program ends. The watcher then gives every
// group still enrolled SIGTERM, a second's grace, and SIGKILL for what remains.
//
// Unix only. Elsewhere start() succeeds and the rest does nothing: on Windows a job object
// ends its processes when the program's last handle to it closes.
namespace GroupWatchdog {

// Makes the watcher. Call on the event thread before the first group starts; later calls do
// nothing once it succeeded. False if it cannot be made (groups then go unwatched).
bool start();

// Enrols the calling process's group. Async-signal-safe: meant for a QProcess child-process
// modifier, after setpgid(0, 0) and before exec, so the group is known before it can start
// anything. Does nothing unless start() succeeded and the caller leads its own group.
void enrolFromChild();

// The group has ended (no member runs, or it has been sent SIGKILL): a later process that gets
// the same id must never be touched.
void release(qint64 group);

// When a process started, in clock ticks since boot (Linux) or as its creation time (Windows);
// tells a process from a later one with the same id. Empty if there is no such process (on
// Windows: none that still runs), and elsewhere. Async-signal-safe on Linux.
std::optional<quint64> processStartTime(qint64 pid);

#ifdef Q_OS_UNIX
// Whether any process of the group still runs. Members that have ended but wait to be reaped do
// not count: in some containers nothing reaps orphans. Where the members cannot be listed (no
// /proc) a group that exists counts as running. Async-signal-safe.
bool groupHasRunningMember(qint64 group);
#endif

} // namespace GroupWatchdog
