#include "conversion/rules/UpToDate.h"

#include "conversion/rules/FolderListing.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringEncoder>
#include <QThread>

#include <algorithm>
#include <thread>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#ifdef Q_OS_UNIX
namespace {
FileStamp stampOf(const struct stat& info) {
#ifdef Q_OS_MACOS
    const timespec& written = info.st_mtimespec;
#else
    const timespec& written = info.st_mtim;
#endif
    return FileStamp{static_cast<qint64>(info.st_size),
                     static_cast<qint64>(written.tv_sec) * 1000000000 + written.tv_nsec};
}
} // namespace
#endif

std::optional<FileStamp> fileStamp(const QString& path) {
#ifdef Q_OS_UNIX
    // One system call: a hundred thousand rows are checked at a time.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return stampOf(info);
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
// Looks a path up without allocating: the name is encoded into a buffer the
// thread reuses for every file (the file system's names are UTF-8 here).
class Lookup {
public:
    std::optional<FileStamp> stamp(const QString& path) {
        m_name.resize(static_cast<size_t>(3 * path.size() + 1));
        char* end = m_encoder.appendToBuffer(m_name.data(), path);
        *end = '\0';
        struct stat info {};
        if (::stat(m_name.data(), &info) != 0)
            return std::nullopt;
        return stampOf(info);
    }

private:
    QStringEncoder m_encoder{QStringConverter::Utf8};
    std::vector<char> m_name;
};
#else
struct Lookup {
    std::optional<FileStamp> stamp(const QString& path) { return fileStamp(path); }
};
#endif

// Whether most of a folder's first targets are missing: listing a folder
// costs about as much as looking up a third of its files, so it pays only
// when the lookups would mostly fail (a first run).
bool mostlyMissing(const std::vector<ConversionJob>& jobs, const std::vector<size_t>& group) {
    constexpr size_t sample = 16;
    Lookup lookup;
    size_t missing = 0;
    for (size_t k = 0; k < sample && k < group.size(); ++k)
        missing += !lookup.stamp(jobs[group[k]].target);
    return 2 * missing > std::min(sample, group.size());
}

// Which targets may exist: a folder holding many of them is listed once, and
// those it does not hold need no lookup at all.
std::vector<char> targetsMaybePresent(const std::vector<ConversionJob>& jobs) {
    constexpr size_t listFrom = 64; // fewer targets in a folder: look each one up
    std::vector<char> present(jobs.size(), 1);
    QHash<QStringView, std::vector<size_t>> byFolder;
    for (size_t i = 0; i < jobs.size(); ++i) {
        const QString& target = jobs[i].target;
        const qsizetype slash = target.lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            byFolder[QStringView(target).first(slash)].push_back(i);
    }
    QStringEncoder encoder(QStringConverter::Utf8);
    std::string name;
    for (auto group = byFolder.cbegin(); group != byFolder.cend(); ++group) {
        if (group->size() < listFrom || !mostlyMissing(jobs, *group))
            continue;
        const FolderListing listing(QFile::encodeName(group.key().toString()));
        if (!listing.isValid())
            continue;
        for (size_t i : *group) {
            const QStringView file = QStringView(jobs[i].target).sliced(group.key().size() + 1);
            name.resize(static_cast<size_t>(3 * file.size()));
            name.resize(
                static_cast<size_t>(encoder.appendToBuffer(name.data(), file) - name.data()));
            present[i] = listing.contains(name);
        }
    }
    return present;
}

std::vector<char> upToDateFlags(const std::vector<ConversionJob>& jobs) {
    std::vector<char> flags(jobs.size(), 0);
    const std::vector<char> present = targetsMaybePresent(jobs);
    const auto check = [&](size_t first, size_t last) {
        Lookup lookup;
        for (size_t i = first; i < last; ++i) {
            if (!present[i])
                continue;
            const std::optional<FileStamp> target = lookup.stamp(jobs[i].target);
            // Most targets of a first run do not exist: their sources need no look.
            flags[i] = target && isUpToDate(lookup.stamp(jobs[i].source), target);
        }
    };
    // The look-ups mostly wait on the file system's own work: share them out.
    const size_t workers =
        jobs.size() < 4096 ? 1 : std::clamp<size_t>(QThread::idealThreadCount(), 1, 8);
    const size_t step = (jobs.size() + workers - 1) / workers;
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(check, w * step, std::min(jobs.size(), (w + 1) * step));
    check(0, std::min(jobs.size(), step));
    for (std::thread& thread : threads)
        thread.join();
    return flags;
}
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
