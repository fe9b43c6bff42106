#include "joblist/rules/ImagesFilter.h"

const QStringList& imageExtensions() {
    static const QStringList extensions{
        QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("gif"), QStringLiteral("bmp"),
        QStringLiteral("tga"), QStringLiteral("tif"), QStringLiteral("iff")};
    return extensions;
}
