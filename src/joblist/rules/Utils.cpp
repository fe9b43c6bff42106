#include "joblist/rules/Utils.h"

#include <QFileInfo>

QString Utils::getExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == fileName.size() - 1)
        return {};
    // Only A to Z are lowered: the extensions compared against are ASCII, and
    // a language's own rules would make "TIF" into "tıf" under a Turkish locale.
    QString extension = fileName.mid(dot + 1);
    for (QChar& c : extension) {
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return extension;
}

QString Utils::getExtension(const QFileInfo& file) {
    return getExtension(file.fileName());
}
