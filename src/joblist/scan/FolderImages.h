#pragma once

#include <QString>
#include <QStringList>

// The image files directly inside a folder, as "Add Directory" takes them: in
// the order the file system lists them, native separators, subfolders never,
// whatever their name. Nothing when the folder cannot be listed.
QStringList imageFilesIn(const QString& folder);
