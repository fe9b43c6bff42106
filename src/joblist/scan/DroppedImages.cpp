#include "joblist/scan/DroppedImages.h"

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

QStringList localPathsOf(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            paths << QDir::toNativeSeparators(url.toLocalFile());
    }
    return paths;
}
