#include "joblist/rules/Utils.h"

#include <QFileInfo>
#include <QLocale>

QString Utils::getExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == fileName.size() - 1)
        return {};
    return QLocale().toLower(fileName.mid(dot + 1));
}

QString Utils::getExtension(const QFileInfo& file) {
    return getExtension(file.fileName());
}
