#include "cli/CliImages.h"

#include "joblist/rules/ImagesFilter.h"
#include "joblist/scan/ImageRows.h"
#include "joblist/scan/ImageScan.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace {
QStringList pathsFrom(const QByteArray& input, bool nulSeparated) {
    QStringList paths;
    for (QByteArray entry : input.split(nulSeparated ? '\0' : '\n')) {
        if (!nulSeparated && entry.endsWith('\r'))
            entry.chop(1); // a list written on Windows
        if (!entry.isEmpty())
            paths << QFile::decodeName(entry);
    }
    return paths;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}
} // namespace

QStringList requestedPaths(const CliRequest& request, QIODevice& standardInput) {
    QStringList paths;
    bool inputRead = false;
    for (const QString& path : request.paths) {
        if (path != QLatin1String("-")) {
            paths << path;
        } else if (!std::exchange(inputRead, true)) {
            paths << pathsFrom(standardInput.readAll(), request.nulSeparated);
        }
    }
    for (QString& path : paths)
        path = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    return paths;
}

std::variant<CliImages, CliImagesProblem> gatherImages(const QStringList& paths, bool recursive) {
    for (const QString& path : paths) {
        const QFileInfo entry(path);
        if (!entry.exists())
            return CliImagesProblem{QStringLiteral("no such file or folder: %1").arg(shown(path))};
        if (!entry.isDir() && !hasImageExtension(entry.fileName()))
            return CliImagesProblem{
                QStringLiteral("not an image (%1): %2")
                    .arg(imageExtensions().join(QStringLiteral(", ")), shown(path))};
    }
    ScanCounters counters;
    const ScanResult scan = scanForImages(ScanRequest{paths, recursive}, counters);
    CliImages images;
    images.unreadableFolders = scan.unreadableFolders;
    images.rows = rowsForImages(scan.groups,
                                [&images](const QString& root) { return images.roots.add(root); });
    // An image named twice (a folder and a file in it) is converted once.
    QSet<QString> seen;
    seen.reserve(qsizetype(images.rows.size()));
    std::erase_if(images.rows, [&seen](const JobRow& row) {
        const qsizetype before = seen.size();
        seen.insert(row.image);
        return seen.size() == before;
    });
    if (images.rows.empty())
        return CliImagesProblem{QStringLiteral("no image found")};
    return images;
}
