#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QIODevice;

// Writes a file completely or not at all: on any failure an existing file
// keeps its old content. `writer` fills the file and returns false to abandon
// it. Returns the error text, empty on success.
QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer);
QString writeFileAtomically(const QString& path, const QByteArray& bytes);
