#pragma once

#include "conversion/rules/FileStamp.h"

#include <QString>

#include <optional>

// The converter a run uses: its path as found on this machine, and its stamp.
struct ConverterIdentity {
    QString path; // empty when it could not be found
    std::optional<FileStamp> stamp;
    bool operator==(const ConverterIdentity&) const = default;
};

// One finished conversion: what was converted, how, and what came of it.
struct LedgerRecord {
    QString target; // absolute
    QString source;
    FileStamp sourceStamp;
    QString options; // everything between the converter and the source
    ConverterIdentity converter;
    FileStamp targetStamp; // when the row ended
    qint64 recordedAtMs = 0;
    bool operator==(const LedgerRecord&) const = default;
};
