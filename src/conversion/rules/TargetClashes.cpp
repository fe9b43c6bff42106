#include "conversion/rules/TargetClashes.h"

#include <QDir>
#include <QHash>

#include <array>

namespace {
// One character as compared: letter case folded, "\" read as "/". Paths are
// nearly all ASCII, which a table folds without Unicode's look-ups.
constexpr std::array<char16_t, 128> asciiFolds = [] {
    std::array<char16_t, 128> table{};
    for (char16_t c = 0; c < 128; ++c)
        table[c] = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
    table[u'\\'] = u'/';
    return table;
}();

char16_t folded(char16_t c) {
    if (c < 0x80)
        return asciiFolds[c];
    const char32_t fold = QChar::toCaseFolded(static_cast<char32_t>(c));
    return fold <= 0xffff ? static_cast<char16_t>(fold) : c;
}

// What follows the directory every target shares: the mirrored folders and the rest.
struct Tail {
    QStringView folders;
    QStringView rest;
};

// Every target is the same directory followed by its own tail; only the tails
// need comparing. Their folded texts go into one buffer, so that a check over
// a hundred thousand rows makes no string per row; the table holds views.
TargetClashes findClashes(QStringView directory, const std::vector<Tail>& tails, int maxExamples) {
    qsizetype total = 0;
    for (const Tail& tail : tails)
        total += tail.folders.size() + tail.rest.size();
    QString keys(total, Qt::Uninitialized);
    std::vector<QStringView> views;
    views.reserve(tails.size());
    char16_t* out = reinterpret_cast<char16_t*>(keys.data());
    for (const Tail& tail : tails) {
        char16_t* start = out;
        for (QStringView part : {tail.folders, tail.rest}) {
            for (const QChar c : part)
                *out++ = folded(c.unicode());
        }
        views.emplace_back(start, out - start);
    }
    QHash<QStringView, size_t> firstJob; // the first job of each key, counted from 1
    firstJob.reserve(static_cast<qsizetype>(tails.size()));
    std::vector<char> clashes(tails.size(), 0);
    TargetClashes result;
    for (size_t job = 0; job < tails.size(); ++job) {
        size_t& first = firstJob[views[job]];
        if (first == 0) {
            first = job + 1;
            continue;
        }
        clashes[first - 1] = 1;
        if (!result.firstPair)
            result.firstPair = std::pair(first - 1, job);
    }
    for (size_t job = 0; job < tails.size(); ++job) {
        if (clashes[job] && result.count++ < maxExamples)
            result.examples << LineTarget{directory, tails[job].folders, tails[job].rest}.joined();
    }
    return result;
}
} // namespace

TargetClashes findTargetClashes(const std::vector<QString>& targets, int maxExamples) {
    std::vector<Tail> tails;
    tails.reserve(targets.size());
    for (const QString& target : targets)
        tails.push_back({{}, target});
    return findClashes({}, tails, maxExamples);
}

TargetClashes findTargetClashes(const std::vector<JobRow>& rows, const ImageRoots& roots,
                                const OutputChoice& output, int maxExamples) {
    std::vector<Tail> tails;
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        if (const std::optional<LineTarget> target = lineTarget(row, roots, output))
            tails.push_back({target->folders, target->rest});
    }
    return findClashes(output.sameDirectory ? QStringView() : QStringView(output.directory), tails,
                       maxExamples);
}

std::optional<QString> clashQuestion(const TargetClashes& clashes) {
    if (clashes.count == 0)
        return std::nullopt;
    QStringList lines{QStringLiteral("Some images would write the same .map file:")};
    for (const QString& target : clashes.examples)
        lines << QDir::toNativeSeparators(target);
    const qsizetype more = clashes.count - clashes.examples.size();
    if (more > 0)
        lines << QStringLiteral("and %1 more").arg(more);
    lines << QStringLiteral("Continue?");
    return lines.join(QLatin1Char('\n'));
}
