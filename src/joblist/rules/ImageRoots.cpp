#include "joblist/rules/ImageRoots.h"

ImageRoots::ImageRoots() {
    clear();
}

quint32 ImageRoots::add(const QString& folder) {
    if (folder.isEmpty())
        return OwnFolder;
    const auto found = m_indices.constFind(folder);
    if (found != m_indices.cend())
        return *found;
    const auto index = static_cast<quint32>(m_folders.size());
    m_folders.append(folder);
    m_indices.insert(folder, index);
    return index;
}

const QString& ImageRoots::at(quint32 index) const {
    static const QString none;
    return index < static_cast<quint32>(m_folders.size()) ? m_folders[index] : none;
}

void ImageRoots::clear() {
    m_folders = QStringList{QString()};
    m_indices.clear();
}
