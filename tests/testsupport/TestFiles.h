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

} // namespace TestFiles
