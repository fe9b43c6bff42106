#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

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

// What a row's children said when they ended: the Mac flavour's "chmod 755"
// (none in the Windows flavour) and the script itself.
struct ExitValues {
    std::optional<int> permission;
    int script = 0;
    bool operator==(const ExitValues&) const = default;
};

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
    // What the Status cell's tooltip tells of the last run: why the row ran
    // with Skip Up-to-Date Images ticked, or since when it is up to date; and
    // for a failed row the converter's last output, or its exit values. UTF-8.
    QByteArray note;
    // The exit values of that failure, when its children ran to an end.
    std::optional<ExitValues> failureExit;

    bool operator==(const JobRow&) const = default;
};
