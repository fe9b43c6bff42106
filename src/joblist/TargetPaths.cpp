#include "joblist/TargetPaths.h"

#include <algorithm>

namespace {
const QString mapSuffix = QStringLiteral(".map");

// The pieces a target is made of: a folder part, the source from its start
// or its last separator up to its last ".", and the suffix.
struct TargetPieces {
    QStringView folder;
    QStringView name;
};

std::optional<TargetPieces> piecesFor(const QString& source, bool sameDirectory,
                                      const QString& directory) {
    const qsizetype dot = source.lastIndexOf(QLatin1Char('.'));
    if (sameDirectory) {
        if (dot < 0)
            return std::nullopt;
        return TargetPieces{{}, QStringView(source).left(dot)};
    }
    const qsizetype separator = lastSeparator(source);
    if (separator < 0 || dot < separator)
        return std::nullopt;
    return TargetPieces{directory, QStringView(source).mid(separator, dot - separator)};
}
} // namespace

qsizetype lastSeparator(const QString& path) {
    // One backward scan for either separator: it stops at the file name.
    const char16_t* text = QStringView(path).utf16();
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (text[i] == u'/' || text[i] == u'\\')
            return i;
    }
    return -1;
}

bool writeTarget(QString& target, const QString& source, bool sameDirectory,
                 const QString& directory) {
    const std::optional<TargetPieces> pieces = piecesFor(source, sameDirectory, directory);
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

std::optional<QString> targetFor(const QString& source, bool sameDirectory,
                                 const QString& directory) {
    QString target;
    if (!writeTarget(target, source, sameDirectory, directory))
        return std::nullopt;
    return target;
}

std::optional<QString> sameDirectoryTarget(const QString& source) {
    return targetFor(source, true, QString());
}

std::optional<QString> outputDirectoryTarget(const QString& source, const QString& directory) {
    return targetFor(source, false, directory);
}
