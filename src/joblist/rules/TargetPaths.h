#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Index of the last path separator, "\" or "/", whichever comes later; -1 when
// there is none. Both count so that paths of every platform split the same way.
qsizetype lastSeparator(QStringView path);

// Where the .map files go: beside their images, or into one output directory
// (its text used exactly as typed).
struct OutputChoice {
    bool sameDirectory = true;
    QString directory;
};

// --- The "New Image" column -------------------------------------------------

// The path up to its last "." followed by ".map"; nothing when it has no dot.
std::optional<QString> sameDirectoryTarget(const QString& source);

// `directory` exactly as typed, then the source's file name from its last
// separator (included) up to its last ".", then ".map". Nothing when the
// source has no separator, or no "." after it.
std::optional<QString> outputDirectoryTarget(const QString& source, const QString& directory);

// Writes the column's target for the output choice into `target`, reusing its
// memory; returns false, leaving it untouched, when the source cannot be placed.
bool writeTarget(QString& target, const QString& source, const OutputChoice& output);

// --- The file a converter line writes ---------------------------------------

// A line's target as two pieces, so that checks over a hundred thousand rows
// need not join them: the output directory (empty beside the source) and the
// row's target, whole beside the source, else from its last separator on.
struct LineTarget {
    QStringView directory;
    QStringView rest;
    QString joined() const;
};

// The one rule for where a line writes: the row's "New Image" target when the
// file goes beside its source, else the output directory followed by that
// target's file name from its last separator on (so a row added while the
// directory was in use, still showing its beside-the-source target, writes into
// the directory all the same). Nothing when that target has no separator.
std::optional<LineTarget> lineTarget(const QString& rowTarget, const OutputChoice& output);

// The same, joined into one path.
std::optional<QString> commandTargetPath(const QString& rowTarget, const OutputChoice& output);
