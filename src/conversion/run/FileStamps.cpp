#include "conversion/run/FileStamps.h"

#include "conversion/run/FolderListing.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStringEncoder>
#include <QThread>

#include <algorithm>
#include <thread>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <string_view>
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

// Looks a path up without allocating: the name is encoded into a buffer the
// thread reuses for every file (the file system's names are UTF-8 here). The
// folder of the last few look-ups stays open, and a file in it is looked up by
// its name alone: the kernel then walks one step of the path, not every
// folder from the root, which is most of the cost of a look-up in a library
// several folders deep.
class Lookup {
public:
    Lookup() = default;
    Lookup(const Lookup&) = delete;
    Lookup& operator=(const Lookup&) = delete;
    ~Lookup() {
        for (const Folder& folder : m_folders)
            ::close(folder.fd);
    }

    std::optional<FileStamp> stamp(const QString& path) {
        m_name.resize(static_cast<size_t>(3 * path.size() + 1));
        char* end = m_encoder.appendToBuffer(m_name.data(), path);
        *end = '\0';
        const std::string_view whole(m_name.data(), static_cast<size_t>(end - m_name.data()));
        const size_t slash = whole.rfind('/');
        struct stat info {};
        const int folder =
            slash == std::string_view::npos || slash == 0 ? -1 : folderFd(whole.substr(0, slash));
        const int result = folder >= 0 ? ::fstatat(folder, m_name.data() + slash + 1, &info, 0)
                                       : ::stat(m_name.data(), &info);
        if (result != 0)
            return std::nullopt;
        return stampOf(info);
    }

private:
    struct Folder {
        std::string path;
        int fd;
    };

    // The open folder `path`, opened now if it is not among the last few; -1
    // when it cannot be opened (the file is then looked up by its whole path).
    int folderFd(std::string_view path) {
        for (const Folder& folder : m_folders) {
            if (folder.path == path)
                return folder.fd;
        }
        const int fd = ::open(std::string(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        // Sources and targets take turns, in a folder each: a few are kept.
        constexpr size_t kept = 4;
        if (m_folders.size() == kept) {
            ::close(m_folders.front().fd);
            m_folders.erase(m_folders.begin());
        }
        m_folders.push_back({std::string(path), fd});
        return fd;
    }

    QStringEncoder m_encoder{QStringConverter::Utf8};
    std::vector<char> m_name;
    std::vector<Folder> m_folders;
};
#else
struct Lookup {
    std::optional<FileStamp> stamp(const QString& path) { return fileStamp(path); }
};
#endif

// Whether most of a folder's first files are missing: listing a folder costs
// about as much as looking up a third of its files, so it pays only when the
// look-ups would mostly fail (a first run's targets).
bool mostlyMissing(const std::vector<QString>& paths, const std::vector<size_t>& group) {
    constexpr size_t sample = 16;
    Lookup lookup;
    size_t missing = 0;
    for (size_t k = 0; k < sample && k < group.size(); ++k)
        missing += !lookup.stamp(paths[group[k]]);
    return 2 * missing > std::min(sample, group.size());
}

// Which files may exist: a folder holding many of them is listed once, and
// those it does not hold need no look-up at all.
std::vector<char> maybePresent(const std::vector<QString>& paths) {
    constexpr size_t listFrom = 64; // fewer files in a folder: look each one up
    std::vector<char> present(paths.size(), 1);
    QHash<QStringView, std::vector<size_t>> byFolder;
    for (size_t i = 0; i < paths.size(); ++i) {
        const qsizetype slash = paths[i].lastIndexOf(QLatin1Char('/'));
        if (slash > 0)
            byFolder[QStringView(paths[i]).first(slash)].push_back(i);
    }
    QStringEncoder encoder(QStringConverter::Utf8);
    std::string name;
    for (auto group = byFolder.cbegin(); group != byFolder.cend(); ++group) {
        if (group->size() < listFrom || !mostlyMissing(paths, *group))
            continue;
        const FolderListing listing(QFile::encodeName(group.key().toString()));
        if (!listing.isValid())
            continue;
        for (size_t i : *group) {
            const QStringView file = QStringView(paths[i]).sliced(group.key().size() + 1);
            name.resize(static_cast<size_t>(3 * file.size()));
            name.resize(
                static_cast<size_t>(encoder.appendToBuffer(name.data(), file) - name.data()));
            present[i] = listing.contains(name);
        }
    }
    return present;
}
} // namespace

std::optional<FileStamp> fileStamp(const QString& path) {
#ifdef Q_OS_UNIX
    return Lookup().stamp(path);
#else
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    return FileStamp{info.size(), info.lastModified().toMSecsSinceEpoch() * 1000000};
#endif
}

std::vector<std::optional<FileStamp>> fileStamps(const std::vector<QString>& paths) {
    std::vector<std::optional<FileStamp>> stamps(paths.size());
    const std::vector<char> present = maybePresent(paths);
    const auto look = [&](size_t first, size_t last) {
        Lookup lookup;
        for (size_t i = first; i < last; ++i) {
            if (present[i])
                stamps[i] = lookup.stamp(paths[i]);
        }
    };
    // The look-ups mostly wait on the file system's own work: share them out.
    const size_t workers =
        paths.size() < 4096 ? 1 : std::clamp<size_t>(QThread::idealThreadCount(), 1, 8);
    const size_t step = (paths.size() + workers - 1) / workers;
    std::vector<std::thread> threads;
    for (size_t w = 1; w < workers; ++w)
        threads.emplace_back(look, w * step, std::min(paths.size(), (w + 1) * step));
    look(0, std::min(paths.size(), step));
    for (std::thread& thread : threads)
        thread.join();
    return stamps;
}
