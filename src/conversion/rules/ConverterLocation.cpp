#include "conversion/rules/ConverterLocation.h"

const QStringList& converterCandidates() {
    static const QStringList candidates = [] {
        QStringList paths;
        for (const char* version : {"2009", "2010", "2011", "2012"}) {
            const QString v = QLatin1String(version);
            paths
                << QStringLiteral("C:\\Program Files (x86)\\Autodesk\\Maya%1\\bin\\imf_copy.exe")
                       .arg(v)
                << QStringLiteral("C:\\Program Files\\Autodesk\\Maya%1\\bin\\imf_copy.exe").arg(v);
        }
        for (const char* version : {"2009", "2010", "2011", "2012"}) {
            paths << QStringLiteral("/Applications/Autodesk/maya%1/Maya.app/Contents/bin/imf_copy")
                         .arg(QLatin1String(version));
        }
        return paths;
    }();
    return candidates;
}

QString locateConverter(const std::function<bool(const QString&)>& exists) {
    QString found;
    for (const QString& candidate : converterCandidates()) {
        if (exists(candidate))
            found = candidate;
    }
    return found.isEmpty() ? QStringLiteral("imf_copy") : found;
}
