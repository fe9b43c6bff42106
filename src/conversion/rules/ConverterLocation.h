#pragma once

#include "joblist/rules/FileFilter.h"

#include <QString>
#include <QStringList>

#include <functional>

// Where the converter is installed by the 3D package's releases, oldest first.
const QStringList& converterCandidates();

// The last candidate that exists, so the newest release wins; "imf_copy" (found
// through the search path) when none does.
QString locateConverter(const std::function<bool(const QString&)>& exists);

// The converter program on Windows; used by the converter browse button.
class ExeFilter final : public FileFilter {
public:
    QString description() const override { return QStringLiteral("imf_copy application"); }
    QStringList extensions() const override { return {QStringLiteral("exe")}; }
};
