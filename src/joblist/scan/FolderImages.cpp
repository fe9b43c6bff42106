#include "joblist/scan/FolderImages.h"

#include "joblist/rules/ImagesFilter.h"

#include <QDir>

QStringList imageFilesIn(const QString& folder) {
    const ImagesFilter filter;
    QStringList paths;
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QFileInfo& entry : entries) {
        if (entry.isFile() && filter.accept(entry))
            paths << QDir::toNativeSeparators(entry.absoluteFilePath());
    }
    return paths;
}
