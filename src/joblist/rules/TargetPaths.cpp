#include "joblist/rules/TargetPaths.h"

#include <algorithm>

namespace {
const QString mapSuffix = QStringLiteral(".map");

// The pieces a column target is made of: a folder part, the source from its
// start or its last separator up to its last ".", and the suffix.
struct ColumnPieces {
    QStringView folder;
    QStringView name;
};

std::optional<ColumnPieces> columnPieces(const QString& source, const OutputChoice& output) {
    const qsizetype dot = source.lastIndexOf(QLatin1Char('.'));
    if (output.sameDirectory) {
        if (dot < 0)
            return std::nullopt;
        return ColumnPieces{{}, QStringView(source).left(dot)};
    }
    const qsizetype separator = lastSeparator(source);
    if (separator < 0 || dot < separator)
        return std::nullopt;
    return ColumnPieces{output.directory, QStringView(source).mid(separator, dot - separator)};
}
} // namespace

qsizetype lastSeparator(QStringView path) {
    // One backward scan for either separator: it stops at the file name.
    const auto separator = [](QChar c) { return c == u'/' || c == u'\\'; };
    const auto found = std::find_if(path.rbegin(), path.rend(), separator);
    return found == path.rend() ? -1 : path.rend() - found - 1;
}

bool writeTarget(QString& target, const QString& source, const OutputChoice& output) {
    const std::optional<ColumnPieces> pieces = columnPieces(source, output);
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
    if (!writeTarget(target, source, OutputChoice{}))
        return std::nullopt;
    return target;
}

std::optional<QString> outputDirectoryTarget(const QString& source, const QString& directory) {
    QString target;
    if (!writeTarget(target, source, OutputChoice{false, directory}))
        return std::nullopt;
    return target;
}

QString LineTarget::joined() const {
    QString path;
    path.reserve(directory.size() + rest.size());
    path.append(directory).append(rest);
    return path;
}

std::optional<LineTarget> lineTarget(const QString& rowTarget, const OutputChoice& output) {
    if (output.sameDirectory)
        return LineTarget{{}, rowTarget};
    const qsizetype separator = lastSeparator(rowTarget);
    if (separator < 0)
        return std::nullopt;
    return LineTarget{output.directory, QStringView(rowTarget).sliced(separator)};
}

std::optional<QString> commandTargetPath(const QString& rowTarget, const OutputChoice& output) {
    const std::optional<LineTarget> target = lineTarget(rowTarget, output);
    if (!target)
        return std::nullopt;
    return target->joined();
}
