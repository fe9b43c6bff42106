#pragma once

#include "joblist/rules/FileFilter.h"

#include <QString>
#include <QStringList>

#include <functional>

// Where the converter is installed by the 3D package's first releases, oldest first.
const QStringList& converterCandidates();

// What the probe may ask of the machine: whether a file exists, the entries
// of a folder (empty when it cannot be listed), and the MAYA_LOCATION
// variable (empty when unset). Tests give all three.
struct ConverterProbe {
    std::function<bool(const QString& path)> exists;
    std::function<QStringList(const QString& folder)> listFolder;
    QString mayaLocation;
};

// The converter of the newest release installed, compared as numbers
// ("2016.5" is newer than "2016", which is newer than "2012"): the known
// candidates, and every release folder listed in "C:\Program Files\Autodesk"
// ("Maya<version>"), its "(x86)" twin, "/Applications/Autodesk" ("maya<version>",
// the converter in Maya.app/Contents/bin) and "/usr/autodesk" ("maya<version>",
// also with "-x64"). For one release in both Windows program folders,
// "C:\Program Files" wins. Before all of them, the converter in the bin folder
// of MAYA_LOCATION ("bin\imf_copy.exe", or "bin/imf_copy"), the release a
// studio's set-up names. "imf_copy" (found through the search path) when
// nothing exists.
QString locateConverter(const ConverterProbe& probe);

// The same without listing folders: only the known candidates.
QString locateConverter(const std::function<bool(const QString&)>& exists);

// The converter program on Windows; used by the converter browse button.
class ExeFilter final : public FileFilter {
public:
    QString description() const override { return QStringLiteral("imf_copy application"); }
    QStringList extensions() const override { return {QStringLiteral("exe")}; }
};
