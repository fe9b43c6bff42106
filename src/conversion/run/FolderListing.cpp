#include "conversion/run/FolderListing.h"

#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>

FolderListing::FolderListing(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return;
    std::vector<size_t> starts;
    while (const dirent* entry = ::readdir(dir)) {
        starts.push_back(m_text.size());
        m_text.append(entry->d_name);
        m_text.push_back('\0');
    }
    ::closedir(dir);
    m_names.reserve(starts.size());
    for (size_t start : starts)
        m_names.emplace(m_text.c_str() + start);
    m_valid = true;
}
#else
FolderListing::FolderListing(const QByteArray&) {} // never valid: every file is looked up
#endif
