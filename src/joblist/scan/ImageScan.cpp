#include "joblist/scan/ImageScan.h"

#include "joblist/rules/ImagesFilter.h"
#include "joblist/scan/FolderImages.h"
#include "joblist/scan/FolderNames.h"
#include "joblist/scan/SceneScan.h"
#ifndef Q_OS_WIN
#include "joblist/scan/NativePath.h"
#endif

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <numeric>
#include <optional>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <filesystem>
namespace fs = std::filesystem;
#endif

namespace {
// One folder's entries that matter, by name.
struct Listing {
    QStringList images;
    QStringList folders;
};

bool isHidden(const QString& name) {
    return name.startsWith(QLatin1Char('.'));
}

#ifdef Q_OS_WIN
// The entries of a folder, without following links or junctions to folders;
// nothing when it cannot be listed. One pass of FindFirstFileEx gives each
// name with its attributes. Folders Windows hides (its recycle bins, system
// folders) are skipped as the dot folders are.
std::optional<Listing> listFolder(const QString& folder, const ScanCounters& counters) {
    QString pattern = QDir::toNativeSeparators(folder);
    if (!pattern.endsWith(QLatin1Char('\\')))
        pattern += QLatin1Char('\\');
    pattern += QLatin1Char('*');
    WIN32_FIND_DATAW entry;
    const HANDLE find =
        FindFirstFileExW(reinterpret_cast<const wchar_t*>(pattern.utf16()), FindExInfoBasic, &entry,
                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE) // an empty drive has not even "."
        return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(Listing{}) : std::nullopt;
    Listing listing;
    bool more = true;
    for (; more; more = FindNextFileW(find, &entry)) {
        if (counters.cancel.load(std::memory_order_relaxed))
            break;
        const QString name = QString::fromWCharArray(entry.cFileName);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        const DWORD attributes = entry.dwFileAttributes;
        // Links and junctions name another place; cloud and deduplicated files are reparse
        // points too, but hold their own data. Wine gives Linux's links no tag.
        const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                          (entry.dwReserved0 == 0 || IsReparseTagNameSurrogate(entry.dwReserved0));
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!link && !isHidden(name) && !(attributes & FILE_ATTRIBUTE_HIDDEN))
                listing.folders << name;
        } else if (hasImageExtension(name) &&
                   (!link || QFileInfo(folder + QLatin1Char('\\') + name).isFile())) {
            listing.images << name;
        }
    }
    const bool complete = more || GetLastError() == ERROR_NO_MORE_FILES; // more: cancelled
    FindClose(find);
    if (!complete)
        return std::nullopt;
    return listing;
}
#else
// The entries of a folder, without following links to folders; nothing when
// it cannot be listed (it does not exist, may not be read, or its name cannot
// be written back the way the file system spells it).
std::optional<Listing> listFolder(const QString& folder, const ScanCounters& counters) {
    std::error_code error;
    fs::directory_iterator entries(toNativePath(folder), error);
    if (error)
        return std::nullopt;
    Listing listing;
    for (const fs::directory_iterator end; entries != end; entries.increment(error)) {
        if (error)
            return std::nullopt;
        if (counters.cancel.load(std::memory_order_relaxed))
            return listing;
        const fs::directory_entry& entry = *entries;
        const QString name = fromNativePath(entry.path().filename());
        std::error_code typeError;
        const fs::file_type type = entry.symlink_status(typeError).type();
        if (type == fs::file_type::directory) {
            if (!isHidden(name))
                listing.folders << name;
        } else if ((type == fs::file_type::regular ||
                    (type == fs::file_type::symlink && entry.is_regular_file(typeError))) &&
                   hasImageExtension(name)) {
            listing.images << name;
        }
    }
    return listing;
}

#endif

// Sorts names as a file manager shows them; names the collator finds equal
// keep a fixed order all the same.
void sortByName(QStringList& names, const QCollator& collator) {
    if (names.size() < 2)
        return;
    std::vector<QCollatorSortKey> keys;
    keys.reserve(static_cast<size_t>(names.size()));
    for (const QString& name : names)
        keys.push_back(collator.sortKey(name));
    std::vector<qsizetype> order(static_cast<size_t>(names.size()));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int byKey = keys[static_cast<size_t>(a)].compare(keys[static_cast<size_t>(b)]);
        return byKey != 0 ? byKey < 0 : names[a] < names[b];
    });
    QStringList sorted;
    sorted.reserve(names.size());
    for (qsizetype i : order)
        sorted << names[i];
    names = std::move(sorted);
}

// Compares names as a file manager does: letters by the user's language,
// numbers by their value ("tile2" before "tile10"). Qt's C locale compares
// plain code points and ignores numbers, so there English order stands in.
QCollator fileManagerCollator() {
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setNumericMode(true);
    return collator;
}

QString joined(const QString& folder, const QString& name) {
    const QChar separator = QDir::separator();
    return folder.endsWith(separator) ? folder + name : folder + separator + name;
}

// A folder and every folder below it, depth first, each folder's own images
// before its subfolders'.
void scanTree(const QString& root, ImageGroup& group, ScanResult& result, ScanCounters& counters,
              const QCollator& collator) {
    std::vector<QString> pending{root};
    while (!pending.empty() && !counters.cancel.load(std::memory_order_relaxed)) {
        const QString folder = std::move(pending.back());
        pending.pop_back();
        std::optional<Listing> listing = listFolder(folder, counters);
        if (!listing) {
            ++result.unreadableFolders;
            continue;
        }
        sortByName(listing->images, collator);
        for (const QString& name : listing->images)
            group.images << joined(folder, name);
        sortByName(listing->folders, collator);
        for (auto name = listing->folders.crbegin(); name != listing->folders.crend(); ++name)
            pending.push_back(joined(folder, *name));
        counters.images.fetch_add(static_cast<int>(listing->images.size()),
                                  std::memory_order_relaxed);
        counters.folders.fetch_add(1, std::memory_order_relaxed);
    }
}

// The group the next images go in: the last one when it has the same root.
ImageGroup& groupFor(ScanResult& result, const QString& root) {
    if (result.groups.empty() || result.groups.back().root != root)
        result.groups.push_back(ImageGroup{root, {}});
    return result.groups.back();
}
} // namespace

ScanResult scanForImages(const ScanRequest& request, ScanCounters& counters) {
    const QCollator collator = fileManagerCollator();
    ScanResult result;
    FolderNames textureFolders; // shared by the scenes of one request
    for (const QString& path : request.paths) {
        if (counters.cancel.load(std::memory_order_relaxed))
            break;
        const QFileInfo entry(path);
        const std::optional<SceneFormat> scene =
            entry.isDir() ? std::nullopt : sceneFormatOf(entry.fileName());
        if (scene) {
            result.scenes.push_back(
                findSceneTextures(entry.absoluteFilePath(), *scene, textureFolders, counters));
        } else if (entry.isDir() && request.subfolders) {
            const QString root = QDir::toNativeSeparators(QDir(path).absolutePath());
            scanTree(root, groupFor(result, root), result, counters, collator);
        } else if (entry.isDir()) {
            // A folder's direct image files as they always were taken.
            const QStringList images = imageFilesIn(entry.absoluteFilePath());
            groupFor(result, {}).images << images;
            counters.images.fetch_add(static_cast<int>(images.size()), std::memory_order_relaxed);
            counters.folders.fetch_add(1, std::memory_order_relaxed);
        } else if (entry.isFile() && hasImageExtension(entry.fileName())) {
            groupFor(result, {}).images << QDir::toNativeSeparators(entry.absoluteFilePath());
            counters.images.fetch_add(1, std::memory_order_relaxed);
        } else if (!entry.exists() && request.subfolders) {
            ++result.unreadableFolders; // a chosen folder that has gone or cannot be reached
        }
    }
    result.cancelled = counters.cancel.load();
    if (result.cancelled) {
        result.groups.clear();
        result.scenes.clear();
    }
    std::erase_if(result.groups, [](const ImageGroup& group) { return group.images.isEmpty(); });
    for (const ImageGroup& group : result.groups)
        result.images += static_cast<int>(group.images.size());
    result.folders = counters.folders.load();
    return result;
}

ImageScan::ImageScan(ScanRequest request, QObject* parent)
    : QObject(parent)
    , m_request(std::move(request)) {
    m_progress.setInterval(ProgressMs);
    connect(&m_progress, &QTimer::timeout, this, &ImageScan::reportProgress);
}

ImageScan::~ImageScan() {
    if (m_thread) {
        m_counters.cancel = true;
        m_thread->wait();
        delete m_thread;
    }
}

void ImageScan::start() {
    if (m_thread)
        return;
    m_thread = QThread::create([this] { m_result = scanForImages(m_request, m_counters); });
    // Queued to this object's thread: the result is read only once the worker is done.
    connect(m_thread, &QThread::finished, this, &ImageScan::threadEnded, Qt::QueuedConnection);
    m_progress.start();
    m_thread->start();
}

void ImageScan::cancel() {
    m_counters.cancel = true;
}

void ImageScan::reportProgress() {
    const int images = m_counters.images.load();
    const int folders = m_counters.folders.load();
    if (images == m_reportedImages && folders == m_reportedFolders)
        return;
    m_reportedImages = images;
    m_reportedFolders = folders;
    emit progressed(images, folders);
}

void ImageScan::threadEnded() {
    m_progress.stop();
    // Cancel may come after the worker's last look at it: it still holds.
    if (m_counters.cancel.load()) {
        m_result.cancelled = true;
        m_result.groups.clear();
        m_result.scenes.clear();
    }
    reportProgress();
    emit finished();
}
