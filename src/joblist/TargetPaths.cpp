#include "joblist/TargetPaths.h"

#include <algorithm>

namespace {
const QString mapSuffix = QStringLiteral(".map");
}

qsizetype lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QLatin1Char('\\')), path.lastIndexOf(QLatin1Char('/')));
}

std::optional<QString> sameDirectoryTarget(const QString& source)
{
    const qsizetype dot = source.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return std::nullopt;
    QString target;
    target.reserve(dot + mapSuffix.size());
    target.append(QStringView(source).left(dot)).append(mapSuffix);
    return target;
}

std::optional<QString> outputDirectoryTarget(const QString& source, const QString& directory)
{
    const qsizetype separator = lastSeparator(source);
    const qsizetype dot = source.lastIndexOf(QLatin1Char('.'));
    if (separator < 0 || dot < separator)
        return std::nullopt;
    // Built in one allocation: this runs for every row on every keystroke.
    QString target;
    target.reserve(directory.size() + (dot - separator) + mapSuffix.size());
    target.append(directory).append(QStringView(source).mid(separator, dot - separator)).append(mapSuffix);
    return target;
}

std::optional<QString> targetFor(const QString& source, bool sameDirectory,
                                 const QString& directory)
{
    return sameDirectory ? sameDirectoryTarget(source) : outputDirectoryTarget(source, directory);
}
