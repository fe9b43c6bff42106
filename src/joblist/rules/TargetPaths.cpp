#include "joblist/rules/TargetPaths.h"

#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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
    // One backward scan for either separator: it stops at the file name. Every
    // target, clash check and script line scans a path or two per row, so this
    // is the one routine written for SSE2 by hand. Exporting 100,000 rows: a
    // plain loop scans for 80 M instructions of the export's 390 M, eight
    // units at a time for 12 M (callgrind; docs/performance.md).
    const char16_t* text = path.utf16();
    qsizetype end = path.size();
#if defined(__SSE2__)
    const __m128i slash = _mm_set1_epi16(u'/');
    const __m128i backslash = _mm_set1_epi16(u'\\');
    for (; end >= 8; end -= 8) {
        const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + end - 8));
        const __m128i found =
            _mm_or_si128(_mm_cmpeq_epi16(units, slash), _mm_cmpeq_epi16(units, backslash));
        // Two bits per unit: the highest set bit marks the last separator.
        if (const auto bits = static_cast<unsigned>(_mm_movemask_epi8(found)))
            return end - 8 + (std::bit_width(bits) - 1) / 2;
    }
#endif
    while (end-- > 0) {
        if (text[end] == u'/' || text[end] == u'\\')
            return end;
    }
    return -1;
}

namespace {
// Where the part of an image below its root starts, given the image's last
// separator: found once by the caller, for a scan costs more than the rest.
qsizetype belowRootBefore(QStringView image, QStringView root, qsizetype last) {
    if (root.isEmpty())
        return last;
    // The separator a root may end with ("/", "C:\") is the one that opens
    // the part below it.
    const qsizetype end = isSeparator(root.back()) ? root.size() - 1 : root.size();
    if (end >= last || !isSeparator(image[end]) || !image.startsWith(root.first(end)))
        return last;
    return end;
}
} // namespace

qsizetype belowRoot(QStringView image, QStringView root) {
    return belowRootBefore(image, root, lastSeparator(image));
}

QStringView mirroredFolders(QStringView image, QStringView root) {
    const qsizetype last = lastSeparator(image);
    if (last < 0)
        return {};
    const qsizetype from = belowRootBefore(image, root, last);
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
