#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Where the converter is installed by the 3D package's releases, oldest first.
const QStringList& converterCandidates();

// The last candidate that exists, so the newest release wins; "imf_copy" (found
// through the search path) when none does.
QString locateConverter(const std::function<bool(const QString&)>& exists);
