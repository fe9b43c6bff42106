#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

class QMimeData;

// Whether a drag brings at least one local file or folder that exists;
// anything else (web addresses, text) is refused.
bool bringsLocalFiles(const QMimeData* data);

// The local files and folders a drop brings, in the order dropped, in native
// separators; web addresses and the like are left out.
QStringList localPathsOf(const QList<QUrl>& urls);
