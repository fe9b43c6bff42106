#include "conversion/run/FileStamps.h"

#include "conversion/run/FolderListing.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringEncoder>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#endif

namespace {
#ifdef Q_OS_UNIX
std::optional<FileStamp> stampOf(const struct stat& info) {
    if (!S_ISREG(info.st_mode))
        return std::nullopt;
#ifdef Q_OS_MACOS
    const timespec& written = info.st_mtimespec;
#else
    const timespec& written = info.st_mtim;
#endif
    return FileStamp{static_cast<qint64>(info.st_size),
                     static_cast<qint64>(written.tv_sec) * 1000000000 + written.tv_nsec};
}

// Looks a file up by its name in an open folder, or by its whole path when
// `folder` is -1: the kernel then walks one step of the path instead of every
// folder from the root, most of a look-up's cost in a library several folders
// deep. The name is encoded into a buffer reused for every file (the file
// system's names are UTF-8 here).
class Lookup {
public:
    std::optional<FileStamp> stamp(int folder, QStringView name) {
        encode(name);
        return stampOfEncoded(folder);
    }

    // The stamp of the name encode() was last given.
    std::optional<FileStamp> stampOfEncoded(int folder) const {
        struct stat info {};
        const int result = folder >= 0 ? ::fstatat(folder, m_name.c_str(), &info, 0)
                                       : ::stat(m_name.c_str(), &info);
        return result == 0 ? stampOf(info) : std::nullopt;
    }

    const std::string& encode(QStringView text) {
        m_name.resize(static_cast<size_t>(3 * text.size()));
        m_name.resize(
            static_cast<size_t>(m_encoder.appendToBuffer(m_name.data(), text) - m_name.data()));
        return m_name;
    }

private:
    QStringEncoder m_encoder{QStringConverter::Utf8};
    std::string m_name;
};

int openFolder(const QString& folder) {
#ifdef O_PATH
    constexpr int flags = O_PATH | O_DIRECTORY | O_CLOEXEC; // needs no right to read it
#else
    constexpr int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif
    return ::open(QFile::encodeName(folder).constData(), flags);
}
#endif

// The files of one folder, in the order given.
struct Folder {
    QStringView path; // empty: the files are looked up by their whole paths
    std::vector<size_t> files;
    bool listed = false; // most are missing: the folder is read once instead
};

// What one thread takes at a time: a folder's files, or a share of them when
// it holds many.
struct Batch {
    const Folder* folder;
    size_t from, to;
};

class StampJob {
public:
    explicit StampJob(const std::vector<QString>& paths)
        : m_paths(paths)
        , m_stamps(paths.size()) {
        gather();
        constexpr size_t share = 1024;
        for (const Folder& folder : m_folders) {
            const size_t step = folder.listed ? folder.files.size() : share;
            for (size_t from = 0; from < folder.files.size(); from += step)
                m_batches.push_back({&folder, from, std::min(folder.files.size(), from + step)});
        }
    }

    // Takes batches until none is left; any number of threads may call it.
    void work() {
        for (size_t b = m_next++; b < m_batches.size(); b = m_next++)
            run(m_batches[b]);
    }

    std::vector<std::optional<FileStamp>> take() { return std::move(m_stamps); }

private:
    QStringView fileName(size_t i, const Folder& folder) const {
        return folder.path.isEmpty() ? QStringView(m_paths[i])
                                     : QStringView(m_paths[i]).sliced(folder.path.size() + 1);
    }

    // Groups the files by folder. Rows come a folder at a time, so the folder
    // of the file before is tried first.
    void gather() {
        QHash<QStringView, size_t> byPath;
        size_t last = 0;
        for (size_t i = 0; i < m_paths.size(); ++i) {
            const qsizetype slash = m_paths[i].lastIndexOf(QLatin1Char('/'));
            const QStringView path =
                slash > 0 ? QStringView(m_paths[i]).first(slash) : QStringView();
            if (m_folders.empty() || m_folders[last].path != path) {
                const auto at = byPath.constFind(path);
                if (at != byPath.cend()) {
                    last = *at;
                } else {
                    last = m_folders.size();
                    byPath.insert(path, last);
                    m_folders.push_back({path, {}});
                }
            }
            m_folders[last].files.push_back(i);
        }
        for (Folder& folder : m_folders)
            folder.listed = !folder.path.isEmpty() && mostlyMissing(folder);
    }

    // Whether most of a folder's first files are missing: listing a folder
    // costs about as much as looking up a third of its files, so it pays only
    // when the look-ups would mostly fail (a first run's targets).
    bool mostlyMissing(const Folder& folder) const {
        constexpr size_t listFrom = 64; // fewer files in a folder: look each one up
        constexpr size_t sample = 16;
        if (folder.files.size() < listFrom)
            return false;
        size_t missing = 0;
        for (size_t k = 0; k < sample; ++k)
            missing += !fileStamp(m_paths[folder.files[k]]);
        return 2 * missing > sample;
    }

    void run(const Batch& batch) {
        const Folder& folder = *batch.folder;
#ifdef Q_OS_UNIX
        Lookup lookup;
        const int fd = folder.path.isEmpty() ? -1 : openFolder(folder.path.toString());
        // The listing holds names, so it is used only beside the open folder.
        std::optional<FolderListing> listing;
        if (folder.listed && fd >= 0) {
            listing.emplace(QFile::encodeName(folder.path.toString()));
            if (!listing->isValid())
                listing.reset();
        }
        for (size_t k = batch.from; k < batch.to; ++k) {
            const size_t i = folder.files[k];
            const std::string& name = lookup.encode(fd >= 0 ? fileName(i, folder) : m_paths[i]);
            if (!listing || listing->contains(name))
                m_stamps[i] = lookup.stampOfEncoded(fd);
        }
        if (fd >= 0)
            ::close(fd);
#else
        for (size_t k = batch.from; k < batch.to; ++k)
            m_stamps[folder.files[k]] = fileStamp(m_paths[folder.files[k]]);
#endif
    }

    const std::vector<QString>& m_paths;
    std::vector<std::optional<FileStamp>> m_stamps;
    std::vector<Folder> m_folders; // not resized once the batches point into it
    std::vector<Batch> m_batches;
    std::atomic<size_t> m_next{0};
};
} // namespace

std::optional<FileStamp> fileStamp(const QString& path) {
#ifdef Q_OS_UNIX
    return Lookup().stamp(-1, path);
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return FileStamp{info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000};
#endif
}

std::vector<std::optional<FileStamp>> fileStamps(const std::vector<QString>& paths,
                                                 const std::function<void()>& meanwhile) {
    StampJob job(paths);
    // The look-ups mostly wait on the file system's own work: share them out.
    // While the calling thread is busy with `meanwhile`, one thread more works.
    const size_t cores = std::clamp<size_t>(QThread::idealThreadCount(), 1, 8);
    const size_t helpers = meanwhile             ? std::max<size_t>(1, cores - 1)
                           : paths.size() < 4096 ? 0
                                                 : cores - 1;
    std::vector<std::thread> threads;
    for (size_t h = 0; h < helpers; ++h)
        threads.emplace_back([&job] { job.work(); });
    if (meanwhile)
        meanwhile();
    job.work();
    for (std::thread& thread : threads)
        thread.join();
    return job.take();
}
