#include "conversion/CommandLine.h"

#include "joblist/TargetPaths.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {
const QString bareConverter = QStringLiteral("imf_copy");
const QChar quote = QLatin1Char('"');

bool bashSpecial(QChar c) {
    return c == QLatin1Char('$') || c == QLatin1Char('`') || c == QLatin1Char('"') ||
           c == QLatin1Char('\\');
}

// Inside double quotes bash treats a backslash as an escape only before one
// of its special characters, a newline, or the closing quote.
void appendBashQuoted(QString& out, QStringView path) {
    for (qsizetype i = 0; i < path.size(); ++i) {
        const QChar c = path[i];
        if (c == QLatin1Char('\\')) {
            const bool escapes = i + 1 == path.size() || bashSpecial(path[i + 1]) ||
                                 path[i + 1] == QLatin1Char('\n');
            out += escapes ? QStringLiteral("\\\\") : QStringLiteral("\\");
        } else {
            if (bashSpecial(c))
                out += QLatin1Char('\\');
            out += c;
        }
    }
}

// Whether any of four characters occurs. Most paths hold none of them, and
// both paths of every line of a script are scanned, so the common case uses
// SIMD compares eight characters at a time where the processor has them.
bool containsAnyOf(QStringView path, char16_t a, char16_t b, char16_t c, char16_t d) {
    const char16_t* text = path.utf16();
    const qsizetype size = path.size();
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(static_cast<short>(a));
    const __m128i vb = _mm_set1_epi16(static_cast<short>(b));
    const __m128i vc = _mm_set1_epi16(static_cast<short>(c));
    const __m128i vd = _mm_set1_epi16(static_cast<short>(d));
    for (; i + 8 <= size; i += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i hits =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(chunk, va), _mm_cmpeq_epi16(chunk, vb)),
                         _mm_or_si128(_mm_cmpeq_epi16(chunk, vc), _mm_cmpeq_epi16(chunk, vd)));
        if (_mm_movemask_epi8(hits) != 0)
            return true;
    }
#endif
    for (; i < size; ++i) {
        if (text[i] == a || text[i] == b || text[i] == c || text[i] == d)
            return true;
    }
    return false;
}

} // namespace

bool pathNeedsQuoting(QStringView path, int system) {
    if (system == TargetSystem::Windows)
        return containsAnyOf(path, u'%', u'%', u'%', u'%');
    return containsAnyOf(path, u'$', u'`', u'"', u'\\');
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

QString quotedPathText(const QString& path, int system) {
    if (!pathNeedsQuoting(path, system))
        return path;
    QString out;
    out.reserve(path.size() + 8);
    if (system != TargetSystem::Windows) {
        appendBashQuoted(out, path);
        return out;
    }
    for (QChar c : path) {
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');
        out += c;
    }
    return out;
}

QString converterToken(const QString& converterPath, int system) {
    if (converterPath == bareConverter)
        return converterPath;
    return quote + quotedPathText(converterPath, system) + quote;
}

std::optional<QString> commandTargetPath(const QString& rowTarget, bool sameDirectory,
                                         const QString& outputDirectory) {
    if (sameDirectory)
        return rowTarget;
    const qsizetype separator = lastSeparator(rowTarget);
    if (separator < 0)
        return std::nullopt;
    return outputDirectory + rowTarget.mid(separator);
}

QString commandPrefix(const QString& converterPath, const QString& flags, int system) {
    return converterToken(converterPath, system) + QLatin1Char(' ') + flags + QLatin1Char(' ');
}

QString buildConverterCommand(const QString& converterPath, const QString& flags,
                              const QString& source, const QString& target, int system) {
    QString line;
    appendConverterCommand(line, commandPrefix(converterPath, flags, system), source, target,
                           system);
    return line;
}
