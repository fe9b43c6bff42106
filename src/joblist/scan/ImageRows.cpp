#include "joblist/scan/ImageRows.h"

#include "joblist/rules/TargetPaths.h"

std::optional<JobRow> rowForImage(const QString& path, quint32 root) {
    std::optional<QString> target = sameDirectoryTarget(path);
    if (!target)
        return std::nullopt;
    return JobRow{true, path, std::move(*target), Status::Unprocessed, root};
}

std::vector<JobRow> rowsForImages(const std::vector<ImageGroup>& groups,
                                  const std::function<quint32(const QString& root)>& rootIndex) {
    std::vector<JobRow> rows;
    qsizetype count = 0;
    for (const ImageGroup& group : groups)
        count += group.images.size();
    rows.reserve(static_cast<size_t>(count));
    for (const ImageGroup& group : groups) {
        const quint32 root = rootIndex(group.root);
        for (const QString& path : group.images) {
            if (std::optional<JobRow> row = rowForImage(path, root))
                rows.push_back(std::move(*row));
        }
    }
    return rows;
}
