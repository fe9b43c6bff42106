#include "conversion/rules/CommandLine.h"

#include "conversion/rules/BatchCodePage.h"

#include <algorithm>
#include <array>

namespace {
const QString bareConverter = QStringLiteral("imf_copy");
const QChar quote = QLatin1Char('"');

// The characters bash still reads inside double quotes, as a table: the check
// runs over every path of every line, and one look-up beats four compares.
constexpr std::array<bool, 128> bashSpecials = [] {
    std::array<bool, 128> table{};
    for (const char c : {'$', '`', '"', '\\'})
        table[static_cast<unsigned char>(c)] = true;
    return table;
}();

bool bashSpecial(QChar c) {
    return c.unicode() < bashSpecials.size() && bashSpecials[c.unicode()];
}

// Inside double quotes bash treats a backslash as an escape only before one
// of its special characters, a newline, or the closing quote.
void appendBashQuoted(QString& out, QStringView path) {
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == u'\\') {
            const bool escapes =
                i + 1 == path.size() || bashSpecial(path[i + 1]) || path[i + 1] == u'\n';
            out += escapes ? QStringLiteral("\\\\") : QStringLiteral("\\");
        } else {
            if (bashSpecial(c))
                out += QLatin1Char('\\');
            out += c;
        }
    }
}

QString commandPrefix(const QString& converterPath, const QString& flags, TargetSystem system) {
    return converterToken(converterPath, system) + QLatin1Char(' ') + flags + QLatin1Char(' ');
}
} // namespace

bool pathNeedsQuoting(QStringView path, TargetSystem system) {
    if (system == TargetSystem::Windows)
        return path.contains(u'%');
    return std::any_of(path.begin(), path.end(), bashSpecial);
}

QString buildFlagString(const FlagOptions& options) {
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

QString quotedPathText(QStringView path, TargetSystem system) {
    if (!pathNeedsQuoting(path, system))
        return path.toString();
    QString out;
    out.reserve(path.size() + 8);
    if (system == TargetSystem::Mac) {
        appendBashQuoted(out, path);
        return out;
    }
    for (QChar c : path) {
        if (c == u'%')
            out += QLatin1Char('%');
        out += c;
    }
    return out;
}

QString converterToken(const QString& converterPath, TargetSystem system) {
    if (converterPath == bareConverter)
        return converterPath;
    return quote + quotedPathText(converterPath, system) + quote;
}

ConverterLines::ConverterLines(CommandSettings settings)
    : m_settings(std::move(settings))
    , m_prefix(commandPrefix(m_settings.converterPath, buildFlagString(m_settings.flags),
                             m_settings.system)) {}

QString ConverterLines::line(QStringView source, QStringView target) const {
    QString command;
    command.reserve(m_prefix.size() + source.size() + target.size() + 8);
    append(command, source, target);
    return command;
}

bool ConverterLines::heldBy(const BatchCodePage& codePage, const std::vector<JobRow>& rows) const {
    if (!codePage.holds(m_prefix) ||
        (!m_settings.output.sameDirectory && !codePage.holds(m_settings.output.directory)))
        return false;
    return std::all_of(rows.begin(), rows.end(), [&](const JobRow& row) {
        if (!row.process)
            return true;
        const std::optional<LineTarget> written = target(row);
        // A row that cannot be placed stops the export before anything is written.
        // The mirrored folders are part of the image, and the folder lines
        // hold nothing else but ASCII.
        return codePage.holds(row.image) &&
               (!written || (codePage.holds(written->directory) && codePage.holds(written->rest)));
    });
}
