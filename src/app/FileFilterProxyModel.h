#pragma once

#include "joblist/rules/FileFilter.h"

#include <QSortFilterProxyModel>

#include <memory>
#include <vector>

// Lets a file dialog list exactly what our filters accept (letter case of
// extensions ignored), rather than what glob patterns would match.
class FileFilterProxyModel final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit FileFilterProxyModel(std::vector<std::shared_ptr<const FileFilter>> filters,
                                  QObject* parent = nullptr);

    // -1 accepts everything (the dialog's own choice).
    void setActiveFilter(int index);
    int activeFilter() const { return m_active; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    std::vector<std::shared_ptr<const FileFilter>> m_filters;
    int m_active = -1;
};
