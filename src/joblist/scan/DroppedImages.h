#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

class QMimeData;

// Whether a drag brings at least one local file or folder that exists;
// anything else (web addresses, text) is refused.
bool bringsLocalFiles(const QMimeData* data);

// The images a drop adds, in the order dropped: a file when its extension is
// an image extension (no dialog filtered it), a folder's image files as "Add
// Directory" takes them. Paths in native separators.
QStringList imagesFromDrop(const QList<QUrl>& urls);
