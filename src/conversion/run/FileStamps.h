#pragma once

#include "conversion/rules/FileStamp.h"

#include <QString>

#include <optional>
#include <vector>

// A regular file's stamp; nothing when there is no such file.
std::optional<FileStamp> fileStamp(const QString& path);

// The stamps of many files at once, in the order given, as fast as the file
// system allows: a hundred thousand rows are checked before a run. The
// look-ups are shared among the cores, and a folder that holds many of the
// files, most of them missing, is listed once instead of failing a look-up
// per file.
std::vector<std::optional<FileStamp>> fileStamps(const std::vector<QString>& paths);
