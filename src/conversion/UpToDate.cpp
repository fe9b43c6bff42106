#include "conversion/UpToDate.h"

#include <QFileInfo>

#include <QThread>

#include <algorithm>
#include <thread>

#ifdef Q_OS_UNIX
#include <QFile>
#include <QHash>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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

namespace {
#ifdef Q_OS_UNIX
// Looks up many files that mostly share a few folders: each folder is opened
// once and its files are looked up relative to it, so the system does not
// walk the whole path again for each of a hundred thousand files.
class FolderLookup {
public:
    ~FolderLookup() {
        for (int fd : m_fds)
            if (fd >= 0)
                ::close(fd);
    }

    struct Entry {
        int folder; // index into the folders, -1: relative to the working folder
        QByteArray name;
    };

    Entry entry(const QString& path) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        if (slash < 0)
            return {-1, QFile::encodeName(path)};
        const QStringView folder = QStringView(path).first(std::max<qsizetype>(slash, 1));
        auto found = m_index.constFind(folder);
        if (found == m_index.constEnd()) {
            m_fds.push_back(::open(QFile::encodeName(folder.toString()).constData(),
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            found = m_index.insert(folder, static_cast<int>(m_fds.size()) - 1);
        }
        return {*found, QFile::encodeName(path.mid(slash + 1))};
    }

    std::optional<FileStamp> stamp(const Entry& entry) const {
        const int fd = entry.folder < 0 ? AT_FDCWD : m_fds[static_cast<size_t>(entry.folder)];
        struct stat info {};
        if (fd == -1 || ::fstatat(fd, entry.name.constData(), &info, 0) != 0)
            return std::nullopt;
#ifdef Q_OS_MACOS
        const timespec& written = info.st_mtimespec;
#else
        const timespec& written = info.st_mtim;
#endif
        return FileStamp{static_cast<qint64>(info.st_size),
                         static_cast<qint64>(written.tv_sec) * 1000000000 + written.tv_nsec};
    }

private:
    QHash<QStringView, int> m_index; // views into the jobs' own paths
    std::vector<int> m_fds;
};

std::vector<char> upToDateFlags(const std::vector<BatchJob>& jobs) {
    FolderLookup lookup;
    std::vector<std::pair<FolderLookup::Entry, FolderLookup::Entry>> entries;
    entries.reserve(jobs.size());
    for (const BatchJob& job : jobs)
        entries.emplace_back(lookup.entry(job.target), lookup.entry(job.source));
    std::vector<char> flags(jobs.size(), 0);
    const auto check = [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            const std::optional<FileStamp> target = lookup.stamp(entries[i].first);
            // Most targets of a first run do not exist: their sources need no look.
            flags[i] = target && isUpToDate(lookup.stamp(entries[i].second), target);
        }
    };
    // The look-ups wait on the file system, not the processor: share them out.
    const size_t workers =
        jobs.size() < 4096 ? 1 : std::clamp<size_t>(QThread::idealThreadCount(), 1, 8);
    std::vector<std::thread> threads;
    const size_t step = (jobs.size() + workers - 1) / workers;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(check, w * step, std::min(jobs.size(), (w + 1) * step));
    check(0, std::min(jobs.size(), step));
    for (std::thread& thread : threads)
        thread.join();
    return flags;
}
#else
std::vector<char> upToDateFlags(const std::vector<BatchJob>& jobs) {
    std::vector<char> flags(jobs.size(), 0);
    for (size_t i = 0; i < jobs.size(); ++i) {
        const std::optional<FileStamp> target = fileStamp(jobs[i].target);
        flags[i] = target && isUpToDate(fileStamp(jobs[i].source), target);
    }
    return flags;
}
#endif
} // namespace

std::vector<int> takeUpToDate(TickedJobs& ticked) {
    const std::vector<char> upToDateJob = upToDateFlags(ticked.jobs);
    std::vector<int> upToDate;
    size_t kept = 0;
    for (size_t i = 0; i < ticked.jobs.size(); ++i) {
        if (upToDateJob[i]) {
            upToDate.push_back(ticked.rows[i]);
            continue;
        }
        if (kept != i) {
            ticked.jobs[kept] = std::move(ticked.jobs[i]);
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
