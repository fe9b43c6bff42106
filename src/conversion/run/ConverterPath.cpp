#include "conversion/run/ConverterPath.h"

#include "conversion/run/FileStamps.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

ConverterIdentity resolveConverter(const QString& field) {
    const bool bareName = !field.contains(QLatin1Char('/')) && !field.contains(QLatin1Char('\\'));
    const QString path = bareName ? QStandardPaths::findExecutable(field)
                                  : QFileInfo(QDir::fromNativeSeparators(field)).absoluteFilePath();
    ConverterIdentity converter;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return converter;
    converter.path = QDir::cleanPath(path);
    converter.stamp = fileStamp(converter.path);
    return converter;
}
