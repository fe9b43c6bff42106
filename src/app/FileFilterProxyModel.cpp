#include "app/FileFilterProxyModel.h"

#include <QFileSystemModel>

FileFilterProxyModel::FileFilterProxyModel(std::vector<std::shared_ptr<const FileFilter>> filters,
                                           QObject* parent)
    : QSortFilterProxyModel(parent)
    , m_filters(std::move(filters)) {}

void FileFilterProxyModel::setActiveFilter(int index) {
    if (index == m_active)
        return;
    m_active = index;
    invalidateRowsFilter();
}

bool FileFilterProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_active < 0 || m_active >= static_cast<int>(m_filters.size()))
        return true;
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (!files)
        return true;
    const QModelIndex index = files->index(sourceRow, 0, sourceParent);
    return m_filters[static_cast<size_t>(m_active)]->accept(files->fileInfo(index));
}
