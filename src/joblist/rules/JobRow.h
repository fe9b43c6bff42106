#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Status values; every reader compares them exactly, letter case included.
namespace Status {
inline const QString Unprocessed = QStringLiteral("Unprocessed");
inline const QString Converted = QStringLiteral("Converted");
inline const QString Failed = QStringLiteral("Failed");
// Shown while a row's conversion runs; not one of the three outcomes, so it
// keeps the default colour.
inline const QString Converting = QStringLiteral("Converting");
} // namespace Status

// The job table's column titles, in column order.
inline const QStringList& jobColumnTitles() {
    static const QStringList titles{QStringLiteral("Process"), QStringLiteral("Image"),
                                    QStringLiteral("New Image"), QStringLiteral("Status")};
    return titles;
}

// One image of the job table, in column order.
struct JobRow {
    JobRow() = default;
    JobRow(bool process_, QString image_, QString newImage_, QString status_, quint32 root_ = 0)
        : process(process_)
        , root(root_)
        , image(std::move(image_))
        , newImage(std::move(newImage_))
        , status(std::move(status_)) {}

    bool process = true; // column 0 "Process"
    // The folder the row was added from, as an index into the table's
    // ImageRoots; it sits in the padding after the tick, so it costs no memory.
    quint32 root = 0;
    QString image;                        // column 1 "Image": the source path
    QString newImage;                     // column 2 "New Image": the .map target
    QString status = Status::Unprocessed; // column 3 "Status"
    // Why the last run failed this row (the converter's last output, or its
    // exit values); shown as the tooltip of a "Failed" status.
    QByteArray failureReport;

    bool operator==(const JobRow&) const = default;
};
