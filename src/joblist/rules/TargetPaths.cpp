#include "joblist/rules/TargetPaths.h"

#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"

#include <algorithm>

namespace {
const QString mapSuffix = QStringLiteral(".map");

bool isSeparator(QChar c) {
    return c == u'/' || c == u'\\';
}

// The pieces a column target is made of: a folder part, the source from its
// start, its root's end or its last separator up to its last ".", and the suffix.
struct ColumnPieces {
    QStringView folder;
    QStringView name;
};

std::optional<ColumnPieces> columnPieces(const QString& source, QStringView root,
                                         const OutputChoice& output) {
    const qsizetype dot = source.lastIndexOf(QLatin1Char('.'));
    if (output.sameDirectory) {
        if (dot < 0)
            return std::nullopt;
        return ColumnPieces{{}, QStringView(source).left(dot)};
    }
    const qsizetype separator = lastSeparator(source);
    if (separator < 0 || dot < separator)
        return std::nullopt;
    const qsizetype from = belowRoot(source, root);
    return ColumnPieces{output.directory, QStringView(source).mid(from, dot - from)};
}
} // namespace

qsizetype lastSeparator(QStringView path) {
    // One backward scan for either separator: it stops at the file name.
    const auto found = std::find_if(path.rbegin(), path.rend(), isSeparator);
    return found == path.rend() ? -1 : path.rend() - found - 1;
}

qsizetype belowRoot(QStringView image, QStringView root) {
    const qsizetype last = lastSeparator(image);
    if (root.isEmpty())
        return last;
    // The separator a root may end with ("/", "C:\") is the one that opens
    // the part below it.
    const qsizetype end = isSeparator(root.back()) ? root.size() - 1 : root.size();
    if (end >= last || !isSeparator(image[end]) || !image.startsWith(root.first(end)))
        return last;
    return end;
}

QStringView mirroredFolders(QStringView image, QStringView root) {
    const qsizetype last = lastSeparator(image);
    if (last < 0)
        return {};
    const qsizetype from = belowRoot(image, root);
    return image.sliced(from, last - from);
}

bool writeTarget(QString& target, const QString& source, QStringView root,
                 const OutputChoice& output) {
    const std::optional<ColumnPieces> pieces = columnPieces(source, root, output);
    if (!pieces)
        return false;
    // Written in place: an unshared target keeps its memory, so rewriting every
    // row on a keystroke allocates nothing.
    target.resize(pieces->folder.size() + pieces->name.size() + mapSuffix.size());
    QChar* out = target.data();
    out = std::copy(pieces->folder.begin(), pieces->folder.end(), out);
    out = std::copy(pieces->name.begin(), pieces->name.end(), out);
    std::copy(mapSuffix.begin(), mapSuffix.end(), out);
    return true;
}

std::optional<QString> sameDirectoryTarget(const QString& source) {
    QString target;
    if (!writeTarget(target, source, {}, OutputChoice{}))
        return std::nullopt;
    return target;
}

std::optional<QString> outputDirectoryTarget(const QString& source, const QString& directory,
                                             QStringView root) {
    QString target;
    if (!writeTarget(target, source, root, OutputChoice{false, directory}))
        return std::nullopt;
    return target;
}

QString LineTarget::joined() const {
    QString path;
    path.reserve(directory.size() + folders.size() + rest.size());
    path.append(directory).append(folders).append(rest);
    return path;
}

QString LineTarget::folderToMake() const {
    if (!makesFolder())
        return {};
    QString path;
    path.reserve(directory.size() + folders.size());
    path.append(directory).append(folders);
    return path;
}

std::optional<LineTarget> lineTarget(const JobRow& row, const ImageRoots& roots,
                                     const OutputChoice& output) {
    if (output.sameDirectory)
        return LineTarget{{}, {}, row.newImage};
    const qsizetype separator = lastSeparator(row.newImage);
    if (separator < 0)
        return std::nullopt;
    const QString& root = roots.at(row.root);
    return LineTarget{output.directory, mirroredFolders(row.image, root),
                      QStringView(row.newImage).sliced(separator), !root.isEmpty()};
}

std::optional<QString> commandTargetPath(const JobRow& row, const ImageRoots& roots,
                                         const OutputChoice& output) {
    const std::optional<LineTarget> target = lineTarget(row, roots, output);
    if (!target)
        return std::nullopt;
    return target->joined();
}
