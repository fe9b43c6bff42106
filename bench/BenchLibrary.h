#pragma once

// A studio's texture library on disk for the benchmarks: images, their .map
// files, and the ledger a run that converted them all would have left.
#include "conversion/rules/TickedJobs.h"
#include "conversion/run/FileStamps.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/UpToDateCheck.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace BenchLibrary {

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readAllOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Image `i` of a studio's library: 50 to a folder, five folders deep, in the
// order Add Directory lists them.
inline QString libraryImage(const QString& root, int i) {
    static const char* const projects[] = {"harbour_district", "forest_temple", "orbital_station",
                                           "desert_outpost", "cathedral_interior"};
    static const char* const kinds[] = {"albedo",   "roughness", "normal",
                                        "metallic", "height",    "ambient_occlusion"};
    const int folder = i / 50;
    return QStringLiteral("%1/projects/%2/textures/%3/set_%4/asset_%5_%3_variant_%6.png")
        .arg(root, QLatin1String(projects[folder % 5]), QLatin1String(kinds[(folder / 5) % 6]))
        .arg(folder, 4, 10, QLatin1Char('0'))
        .arg(i)
        .arg(i % 13);
}

// `rows` images and their .map files, in a library's folders or all in one.
inline TickedJobs makeFiles(const QString& root, int rows, bool oneFolder) {
    TickedJobs ticked;
    for (int i = 0; i < rows; ++i) {
        ConversionJob job;
        job.source =
            oneFolder ? root + QStringLiteral("/texture_%1.png").arg(i) : libraryImage(root, i);
        job.target =
            job.source.first(job.source.lastIndexOf(QLatin1Char('.'))) + QStringLiteral(".map");
        QDir().mkpath(QFileInfo(job.source).path());
        if (!writeFile(job.source, "image") || !writeFile(job.target, "texture"))
            qFatal("cannot write %s", qPrintable(job.source));
        ticked.rows.push_back(i);
        ticked.jobs.push_back(std::move(job));
    }
    return ticked;
}

// What a run that converted every row would have recorded.
inline void recordAll(Ledger& ledger, const TickedJobs& ticked, const ConverterIdentity& converter,
                      const QString& options) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (const ConversionJob& job : ticked.jobs)
        ledger.record({ledgerKey(job.target), job.source, *fileStamp(job.source), options,
                       converter, *fileStamp(job.target), now});
    ledger.flush();
}

} // namespace BenchLibrary
