#include "conversion/run/ConverterPath.h"

#include "conversion/rules/ConverterCheck.h"
#include "conversion/run/FileStamps.h"

#include <QDir>
#include <QFileInfo>

ConverterIdentity resolveConverter(const QString& field) {
    // Found as the check before a run finds it.
    const QString path = isBareProgramName(field)
                             ? systemProgramLookup()(field)
                             : QFileInfo(QDir::fromNativeSeparators(field)).absoluteFilePath();
    ConverterIdentity converter;
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return converter;
    converter.path = QDir::cleanPath(path);
    converter.stamp = fileStamp(converter.path);
    return converter;
}
