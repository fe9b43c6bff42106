#include "joblist/scan/FolderNames.h"

#include "joblist/scan/NativePath.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {
std::optional<QStringList> listFiles(const QString& folder) {
    std::error_code error;
    fs::directory_iterator entries(toNativePath(folder), error);
    if (error)
        return std::nullopt;
    QStringList names;
    for (const fs::directory_iterator end; entries != end; entries.increment(error)) {
        if (error)
            return std::nullopt;
        std::error_code typeError;
        const fs::file_type type = entries->symlink_status(typeError).type();
        if (type == fs::file_type::regular ||
            (type == fs::file_type::symlink && entries->is_regular_file(typeError)))
            names << fromNativePath(entries->path().filename());
    }
    return names;
}
} // namespace

Qt::CaseSensitivity FolderNames::caseSensitivity() {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return Qt::CaseInsensitive;
#else
    return Qt::CaseSensitive;
#endif
}

const QStringList* FolderNames::files(const QString& folder, State* state) {
    auto known = m_folders.find(folder);
    if (known == m_folders.end()) {
        ++m_listings;
        Listing listing{State::Found, {}};
        if (std::optional<QStringList> names = listFiles(folder)) {
            listing.names = std::move(*names);
            const Qt::CaseSensitivity cs = caseSensitivity();
            std::sort(listing.names.begin(), listing.names.end(),
                      [cs](const QString& a, const QString& b) { return a.compare(b, cs) < 0; });
        } else {
            listing.state = QFileInfo(folder).isDir() ? State::Unreadable : State::Absent;
        }
        known = m_folders.insert(folder, std::move(listing));
    }
    if (state)
        *state = known->state;
    return known->state == State::Found ? &known->names : nullptr;
}

FolderNames::State FolderNames::file(const QString& path) {
    ++m_lookups;
    const QFileInfo info(path);
    if (!info.isFile())
        return State::Absent;
    return info.isReadable() ? State::Found : State::Unreadable;
}
