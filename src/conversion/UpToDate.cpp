#include "conversion/UpToDate.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <QFile>

#include <sys/stat.h>
#endif

std::optional<FileStamp> fileStamp(const QString& path) {
#ifdef Q_OS_UNIX
    // One system call: a hundred thousand rows are checked at a time.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
#ifdef Q_OS_MACOS
    const timespec& written = info.st_mtimespec;
#else
    const timespec& written = info.st_mtim;
#endif
    return FileStamp{static_cast<qint64>(info.st_size),
                     static_cast<qint64>(written.tv_sec) * 1000000000 + written.tv_nsec};
#else
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    return FileStamp{info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000};
#endif
}

bool isUpToDate(const std::optional<FileStamp>& source, const std::optional<FileStamp>& target) {
    return source && target && target->size > 0 && target->modifiedNs >= source->modifiedNs;
}

std::vector<int> takeUpToDate(TickedJobs& ticked) {
    std::vector<int> upToDate;
    size_t kept = 0;
    for (size_t i = 0; i < ticked.jobs.size(); ++i) {
        BatchJob& job = ticked.jobs[i];
        const std::optional<FileStamp> target = fileStamp(job.target);
        // Most targets of a first run do not exist: their sources need no look.
        if (target && isUpToDate(fileStamp(job.source), target)) {
            upToDate.push_back(ticked.rows[i]);
            continue;
        }
        if (kept != i) {
            ticked.jobs[kept] = std::move(job);
            ticked.rows[kept] = ticked.rows[i];
        }
        ++kept;
    }
    ticked.jobs.resize(kept);
    ticked.rows.resize(kept);
    return upToDate;
}

QString upToDateText(int count) {
    return count == 1 ? QStringLiteral("1 image was up to date.")
                      : QStringLiteral("%1 images were up to date.").arg(count);
}
