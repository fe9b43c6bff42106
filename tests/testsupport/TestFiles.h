#pragma once

#include <QByteArray>
#include <QString>

// Files for tests that need no window.
namespace TestFiles {

// The stand-in converter built with the tests.
QString fakeConverter();

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

} // namespace TestFiles
