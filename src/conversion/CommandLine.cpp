#include "conversion/CommandLine.h"

#include "joblist/TargetPaths.h"

namespace {
const QString bareConverter = QStringLiteral("imf_copy");
const QChar quote = QLatin1Char('"');

bool bashEscapes(QChar c)
{
    return c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('"') ||
           c == QLatin1Char('\\') || c == QLatin1Char('\n');
}

QString bashQuotedText(const QString& path)
{
    QString out;
    out.reserve(path.size() + 8);
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == QLatin1Char('\\')) {
            // Inside double quotes bash treats a backslash as an escape only
            // before one of its special characters, or the closing quote.
            const bool escapes = i + 1 == path.size() || bashEscapes(path[i + 1]);
            out += escapes ? QStringLiteral("\\\\") : QStringLiteral("\\");
        } else if (c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('"')) {
            out += QLatin1Char('\\');
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}
} // namespace

QString buildFlagString(const FlagOptions& options)
{
    if (options.custom)
        return options.customText;
    QString flags;
    if (options.pyramid)
        flags += QStringLiteral("-p ");
    if (options.tile)
        flags += QStringLiteral("-r ");
    if (options.gamma)
        flags += QStringLiteral("-g ") + options.gammaValue + QLatin1Char(' ');
    if (options.filter)
        flags += QStringLiteral("-f ") + options.filterValue + QLatin1Char(' ');
    return flags;
}

QString quotedPathText(const QString& path, int system)
{
    if (system == TargetSystem::Windows) {
        QString out = path;
        return out.replace(QLatin1Char('%'), QStringLiteral("%%"));
    }
    return bashQuotedText(path);
}

QString converterToken(const QString& converterPath, int system)
{
    if (converterPath == bareConverter)
        return converterPath;
    return quote + quotedPathText(converterPath, system) + quote;
}

std::optional<QString> commandTargetPath(const QString& rowTarget, bool sameDirectory,
                                         const QString& outputDirectory)
{
    if (sameDirectory)
        return rowTarget;
    const qsizetype separator = lastSeparator(rowTarget);
    if (separator < 0)
        return std::nullopt;
    return outputDirectory + rowTarget.mid(separator);
}

QString buildConverterCommand(const QString& converterPath, const QString& flags,
                              const QString& source, const QString& target, int system)
{
    return converterToken(converterPath, system) + QLatin1Char(' ') + flags +
           QStringLiteral(" \"") + quotedPathText(source, system) + QStringLiteral("\" \"") +
           quotedPathText(target, system) + quote;
}
