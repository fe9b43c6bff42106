#include "conversion/run/Machine.h"

#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

QString operatingSystemName() {
    const QString product = QSysInfo::productType();
    if (product == QLatin1String("windows"))
        return QStringLiteral("Windows ") + QSysInfo::productVersion();
    if (product == QLatin1String("macos") || product == QLatin1String("osx"))
        return QStringLiteral("Mac OS X");
    QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty())
        kernel[0] = kernel[0].toUpper();
    return kernel;
}

TargetSystem thisMachinesSystem() {
    return targetSystemForOsName(operatingSystemName());
}

ConverterProbe systemConverterProbe() {
    return {[](const QString& path) { return QFileInfo::exists(path); },
            [](const QString& folder) {
                return QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            },
            qEnvironmentVariable("MAYA_LOCATION")};
}
