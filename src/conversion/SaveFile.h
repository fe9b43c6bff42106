#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` to `path` completely or not at all: on failure an existing
// file keeps its old content. Returns the error text, empty on success.
QString writeFileAtomically(const QString& path, const QByteArray& bytes);
