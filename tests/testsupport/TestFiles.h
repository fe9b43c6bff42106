#pragma once

#include "conversion/rules/TargetSystem.h"

#include <QByteArray>
#include <QString>

// Files for tests that need no window.
namespace TestFiles {

// The stand-in converter built with the tests.
QString fakeConverter();

// The flavour of scripts that run on this host: batch files through cmd on
// Windows, bash scripts elsewhere.
TargetSystem hostFlavour();

// Writes `bytes` to a file, made executable for its owner when asked.
bool writeFile(const QString& path, const QByteArray& bytes, bool executable = false);

// Content of a file, empty when it cannot be read.
QByteArray readAll(const QString& path);

// Makes, inside `parent`, a folder the scan for images cannot read even as
// root (whom permission bits do not stop): its name is not valid UTF-8, so no
// path the program can hold leads to it, as with a library copied from an old
// Latin-1 archive. On Windows its name ends in a dot, which Windows' path rules
// drop, so no ordinary path leads to it. An image inside makes it count. False
// when the file system refuses such a name.
bool makeUnreadableFolder(const QString& parent);

// Removes a folder with everything in it, names the program cannot hold included.
void removeTree(const QString& path);

// Makes `link` a symbolic link to `target`, which need not exist. Windows makes
// them for a program allowed to (developer mode); Wine's call makes nothing,
// so under Wine Linux's ln makes it, through Wine's "start /unix".
bool makeSymlink(const QString& target, const QString& link);

// Whether a process runs: not merely waiting to be reaped (Linux, from /proc),
// not merely held open by a handle (Windows).
bool processRunning(qint64 pid);

// Ends a process at once (SIGKILL, TerminateProcess).
void killProcess(qint64 pid);

} // namespace TestFiles
