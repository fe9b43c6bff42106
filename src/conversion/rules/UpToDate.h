#pragma once

#include "conversion/rules/FileStamp.h"
#include "conversion/rules/LedgerRecord.h"

#include <QString>

#include <optional>

// Why a ticked row runs although Skip Up-to-Date Images is ticked.
enum class RunReason {
    NoRecord,         // Corvane has no record of converting it: a foreign or half-written file
    ImageChanged,     // the image is not the one converted (size or time differ, or it is gone)
    FlagsChanged,     // the flags differ from those it was converted with
    ConverterChanged, // another converter, or the same one replaced
    MapChanged,       // the .map was changed or removed since
};

struct SkipDecision {
    std::optional<RunReason> reason; // nothing: up to date, the row is left out
    QString recordedOptions;         // the flags it was converted with, for FlagsChanged
    qint64 recordedAtMs = 0;         // when it was converted, for a row left out
    bool upToDate() const { return !reason; }
};

// What is true of a row now, to hold against its record.
struct CurrentFiles {
    std::optional<FileStamp> source;
    std::optional<FileStamp> target;
    QString image; // the row's image, as the record names its source
};

// A ticked row is left out only when the record of its target matches the
// source, the flags, the converter and the target as they are now. Otherwise
// it runs, with the first reason in this order: no record, image, flags,
// converter, .map.
SkipDecision decideSkip(const std::optional<LedgerRecord>& record, const CurrentFiles& now,
                        const QString& options, const ConverterIdentity& converter);
