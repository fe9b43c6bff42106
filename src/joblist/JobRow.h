#pragma once

#include <QString>

// Status values; every reader compares them exactly, letter case included.
namespace Status {
inline const QString Unprocessed = QStringLiteral("Unprocessed");
inline const QString Converted = QStringLiteral("Converted");
inline const QString Failed = QStringLiteral("Failed");
} // namespace Status

// One image of the job table, in column order.
struct JobRow {
    bool process = true;                  // column 0 "Process"
    QString image;                        // column 1 "Image": the source path
    QString newImage;                     // column 2 "New Image": the .map target
    QString status = Status::Unprocessed; // column 3 "Status"

    bool operator==(const JobRow&) const = default;
};
