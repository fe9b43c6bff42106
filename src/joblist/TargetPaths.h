#pragma once

#include <QString>

#include <optional>

// Index of the last path separator, "\" or "/", whichever comes later; -1 when
// there is none. Both count so that paths of every platform split the same way.
qsizetype lastSeparator(const QString& path);

// The path up to its last "." followed by ".map"; nothing when it has no dot.
std::optional<QString> sameDirectoryTarget(const QString& source);

// `directory` exactly as typed, then the source's file name from its last
// separator (included) up to its last ".", then ".map". Nothing when the
// source has no separator, or no "." after it.
std::optional<QString> outputDirectoryTarget(const QString& source, const QString& directory);

// Writes the target for the current output choice into `target`, reusing its
// memory; returns false, leaving it untouched, when the source cannot be placed.
bool writeTarget(QString& target, const QString& source, bool sameDirectory,
                 const QString& directory);

// The target a row gets for the current output choice.
std::optional<QString> targetFor(const QString& source, bool sameDirectory,
                                 const QString& directory);
