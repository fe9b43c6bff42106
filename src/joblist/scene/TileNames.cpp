#include "joblist/scene/TileNames.h"

#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {
bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A run of one to four digits, as a number; nothing for anything else.
std::optional<int> smallNumber(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 4)
        return std::nullopt;
    int value = 0;
    for (QChar c : digits) {
        if (!isDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

std::optional<TilePattern> aroundToken(const QString& name, const QString& token, TileKind kind) {
    const qsizetype at = name.indexOf(token, 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    return TilePattern{name.left(at), name.mid(at + token.size()), kind};
}

// The last run of exactly four digits, 1001 or more.
std::optional<TilePattern> aroundUdimNumber(const QString& name) {
    qsizetype end = name.size();
    while (end > 0) {
        while (end > 0 && !isDigit(name[end - 1]))
            --end;
        qsizetype start = end;
        while (start > 0 && isDigit(name[start - 1]))
            --start;
        const std::optional<int> number = smallNumber(QStringView(name).mid(start, end - start));
        if (end - start == 4 && number && *number >= 1001)
            return TilePattern{name.left(start), name.mid(end), TileKind::Udim};
        end = start;
    }
    return std::nullopt;
}

std::optional<TilePattern> aroundUvTile(const QString& name) {
    static const QRegularExpression uvTile(
        QStringLiteral("(?<![A-Za-z0-9])u\\d{1,4}_v\\d{1,4}(?!\\d)"));
    QRegularExpressionMatch last;
    for (QRegularExpressionMatchIterator it = uvTile.globalMatch(name); it.hasNext();)
        last = it.next();
    if (!last.hasMatch())
        return std::nullopt;
    return TilePattern{name.left(last.capturedStart()), name.mid(last.capturedEnd()),
                       TileKind::UvTile};
}
} // namespace

std::optional<TilePattern> tilePatternOf(const QString& fileName, UvTiling tiling) {
    if (auto pattern = aroundToken(fileName, QStringLiteral("<UDIM>"), TileKind::Udim))
        return pattern;
    if (auto pattern = aroundToken(fileName, QStringLiteral("<UVTILE>"), TileKind::UvTile))
        return pattern;
    if (tiling == UvTiling::Udim)
        return aroundUdimNumber(fileName);
    if (tiling == UvTiling::ZBrush || tiling == UvTiling::Mudbox)
        return aroundUvTile(fileName);
    return std::nullopt;
}

std::optional<int> tileOrder(const TilePattern& pattern, QStringView name, Qt::CaseSensitivity cs) {
    if (name.size() < pattern.before.size() + pattern.after.size() ||
        !name.startsWith(pattern.before, cs) || !name.endsWith(pattern.after, cs))
        return std::nullopt;
    const QStringView tile =
        name.mid(pattern.before.size(), name.size() - pattern.before.size() - pattern.after.size());
    if (pattern.kind == TileKind::Udim) {
        const std::optional<int> number = tile.size() == 4 ? smallNumber(tile) : std::nullopt;
        if (!number || *number < 1001)
            return std::nullopt;
        return *number;
    }
    // u<U>_v<V>: rows of V, each in order of U, as UDIM numbers run.
    if (tile.size() < 4 || tile.front() != QLatin1Char('u'))
        return std::nullopt;
    const qsizetype separator = tile.indexOf(u"_v");
    if (separator < 0)
        return std::nullopt;
    const std::optional<int> u = smallNumber(tile.mid(1, separator - 1));
    const std::optional<int> v = smallNumber(tile.mid(separator + 2));
    if (!u || !v)
        return std::nullopt;
    return *v * 10000 + *u;
}

QStringList tilesIn(const TilePattern& pattern, const QStringList& sortedNames,
                    Qt::CaseSensitivity cs) {
    const auto first = std::lower_bound(
        sortedNames.begin(), sortedNames.end(), pattern.before,
        [cs](const QString& name, const QString& before) { return name.compare(before, cs) < 0; });
    std::vector<std::pair<int, QString>> tiles;
    for (auto name = first; name != sortedNames.end() && name->startsWith(pattern.before, cs);
         ++name) {
        if (const std::optional<int> order = tileOrder(pattern, *name, cs))
            tiles.emplace_back(*order, *name);
    }
    std::stable_sort(tiles.begin(), tiles.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList names;
    names.reserve(static_cast<qsizetype>(tiles.size()));
    for (auto& tile : tiles)
        names << std::move(tile.second);
    return names;
}
