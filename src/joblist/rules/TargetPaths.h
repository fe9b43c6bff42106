#pragma once

#include <QString>
#include <QStringView>

#include <optional>

struct JobRow;
class ImageRoots;

// Index of the last path separator, "\" or "/", whichever comes later; -1 when
// there is none. Both count so that paths of every platform split the same way.
qsizetype lastSeparator(QStringView path);

// Where the .map files go: beside their images, or into one output directory
// (its text used exactly as typed).
struct OutputChoice {
    bool sameDirectory = true;
    QString directory;
};

// Where the part of `image` below `root` (the folder it was added from)
// starts: the index of the separator that opens it, so that the image's
// folders below the root can be mirrored. An empty root, or one the image
// does not lie under, gives the image's last separator: nothing is mirrored.
// A root may end with its separator ("/", "C:\").
qsizetype belowRoot(QStringView image, QStringView root);

// The image's folders below its root, from the separator that opens them up
// to its last separator; empty for an image directly in its root.
QStringView mirroredFolders(QStringView image, QStringView root);

// --- The "New Image" column -------------------------------------------------

// The path up to its last "." followed by ".map"; nothing when it has no dot.
std::optional<QString> sameDirectoryTarget(const QString& source);

// `directory` exactly as typed, then the source from its root's end (its own
// folder: its last separator, included) up to its last ".", then ".map".
// Nothing when the source has no separator, or no "." after it.
std::optional<QString> outputDirectoryTarget(const QString& source, const QString& directory,
                                             QStringView root = {});

// Writes the column's target for the output choice into `target`, reusing its
// memory; returns false, leaving it untouched, when the source cannot be placed.
bool writeTarget(QString& target, const QString& source, QStringView root,
                 const OutputChoice& output);

// --- The file a converter line writes ---------------------------------------

// A line's target in pieces, so that checks over a hundred thousand rows need
// not join them: the output directory (empty beside the source), the image's
// folders below its root mirrored under it (empty beside the source, and for
// an image directly in its root), and the rest: the row's target, whole beside
// the source, else from its last separator on.
struct LineTarget {
    QStringView directory;
    QStringView folders;
    QStringView rest;
    // Whether the target lies in a mirrored tree: the row was added with the
    // folder tree it came from, and goes into the output directory.
    bool mirrored = false;

    QString joined() const;
    // Whether a folder is made before the file is written: for a mirrored
    // target, never for rows added one by one, whose output directory is the
    // user's to provide.
    bool makesFolder() const { return mirrored && (!directory.isEmpty() || !folders.isEmpty()); }
    // That folder: the directory and the mirrored folders (the directory
    // alone for an image directly in its root); empty when none is made.
    QString folderToMake() const;
};

// The one rule for where a line writes: the row's "New Image" target when the
// file goes beside its source; else the output directory, the image's folders
// below its root, and that target's file name from its last separator on (so
// a row added while the directory was in use, still showing its
// beside-the-source target, writes into the mirrored folder all the same).
// Nothing when that target has no separator. The views point into `row` and
// `output`.
std::optional<LineTarget> lineTarget(const JobRow& row, const ImageRoots& roots,
                                     const OutputChoice& output);

// The same, joined into one path.
std::optional<QString> commandTargetPath(const JobRow& row, const ImageRoots& roots,
                                         const OutputChoice& output);
