#include "conversion/run/RunFolder.h"

#include <QDir>
#include <QStandardPaths>

std::unique_ptr<QTemporaryDir> makeRunFolder() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (!cache.isEmpty() && QDir().mkpath(cache)) {
        auto folder = std::make_unique<QTemporaryDir>(cache + QStringLiteral("/run-XXXXXX"));
        if (folder->isValid())
            return folder;
    }
    auto folder = std::make_unique<QTemporaryDir>();
    if (folder->isValid())
        return folder;
    return nullptr;
}
