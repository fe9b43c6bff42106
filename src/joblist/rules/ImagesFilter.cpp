#include "joblist/rules/ImagesFilter.h"

#include "joblist/rules/Utils.h"

const QStringList& imageExtensions() {
    static const QStringList extensions{
        QStringLiteral("jpg"), QStringLiteral("png"), QStringLiteral("gif"), QStringLiteral("bmp"),
        QStringLiteral("tga"), QStringLiteral("tif"), QStringLiteral("iff")};
    return extensions;
}

QString ImagesFilter::description() const {
    return QStringLiteral("Image files (") + imageExtensions().join(QStringLiteral(", ")) +
           QLatin1Char(')');
}

bool hasImageExtension(const QString& fileName) {
    const QString ext = Utils::getExtension(fileName);
    return !ext.isEmpty() && imageExtensions().contains(ext);
}
