#include "joblist/scan/DroppedImages.h"

#include "joblist/rules/ImagesFilter.h"
#include "joblist/scan/FolderImages.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>

bool bringsLocalFiles(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QFileInfo::exists(url.toLocalFile()))
            return true;
    }
    return false;
}

QStringList imagesFromDrop(const QList<QUrl>& urls) {
    const ImagesFilter filter;
    QStringList images;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo entry(url.toLocalFile());
        if (entry.isDir())
            images << imageFilesIn(entry.absoluteFilePath());
        else if (entry.isFile() && filter.accept(entry))
            images << QDir::toNativeSeparators(entry.absoluteFilePath());
    }
    return images;
}
