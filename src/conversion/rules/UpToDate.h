#pragma once

#include "conversion/rules/TickedJobs.h"

#include <QString>

#include <optional>
#include <vector>

// A file's size and when it was last written, in nanoseconds since the epoch.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
};

// Nothing when the file does not exist.
std::optional<FileStamp> fileStamp(const QString& path);

// A target is up to date when it exists, is not empty and was last written no
// earlier than its source. Only the times count: a change of flags since the
// last conversion is not noticed.
bool isUpToDate(const std::optional<FileStamp>& source, const std::optional<FileStamp>& target);

// Takes the jobs whose targets are up to date out of `ticked` and returns
// their table rows, in table order.
std::vector<int> takeUpToDate(TickedJobs& ticked);
