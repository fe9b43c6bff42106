#pragma once

#include <QtGlobal>

// A file's size and when it was last written, in nanoseconds since the epoch:
// enough to tell whether anything wrote it since it was last looked at.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
