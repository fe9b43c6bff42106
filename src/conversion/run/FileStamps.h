#pragma once

#include "conversion/rules/FileStamp.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

// A regular file's stamp; nothing when there is no such file.
std::optional<FileStamp> fileStamp(const QString& path);

// The stamps of many files at once, in the order given, as fast as the file
// system allows: a hundred thousand rows are checked before a run. The files
// are taken a folder at a time and shared among the cores; a folder that
// holds many of them, most missing, is listed once instead of failing a
// look-up per file. `meanwhile` runs on the calling thread while other threads
// start on the files; the calling thread then helps them finish.
std::vector<std::optional<FileStamp>> fileStamps(const std::vector<QString>& paths,
                                                 const std::function<void()>& meanwhile = {});
