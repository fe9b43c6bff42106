#pragma once

#include <QByteArray>
#include <QString>

// Writes a temporary script's bytes, reporting any write or close error.
bool writeRunScript(const QString& path, const QByteArray& bytes);
