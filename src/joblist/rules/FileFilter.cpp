#include "joblist/rules/FileFilter.h"

#include "joblist/rules/Utils.h"

bool FileFilter::accept(const QFileInfo& file) const {
    if (file.isDir())
        return true;
    const QString ext = Utils::getExtension(file);
    return !ext.isEmpty() && extensions().contains(ext);
}
