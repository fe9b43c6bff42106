#include "conversion/rules/TargetClashes.h"

#include <QDir>

#include <algorithm>
#include <unordered_map>

namespace {
// One character as compared: letter case folded, "\" read as "/".
QChar folded(QChar c) {
    if (c == u'\\')
        return u'/';
    const char32_t fold = QChar::toCaseFolded(c.unicode());
    return fold <= 0xffff ? QChar(static_cast<char16_t>(fold)) : c;
}

// What follows the directory every target shares: the mirrored folders and the rest.
struct Tail {
    QStringView folders;
    QStringView rest;
};

QString foldedKey(const Tail& tail) {
    QString key(tail.folders.size() + tail.rest.size(), Qt::Uninitialized);
    std::transform(tail.rest.begin(), tail.rest.end(),
                   std::transform(tail.folders.begin(), tail.folders.end(), key.begin(), folded),
                   folded);
    return key;
}

// Every target is the same directory followed by its own tail; only the tails
// need comparing.
TargetClashes findClashes(QStringView directory, const std::vector<Tail>& tails, int maxExamples) {
    std::unordered_map<QString, size_t> firstJob;
    firstJob.reserve(tails.size());
    std::vector<char> clashes(tails.size(), 0);
    for (size_t job = 0; job < tails.size(); ++job) {
        const auto [first, isNew] = firstJob.try_emplace(foldedKey(tails[job]), job);
        if (!isNew)
            clashes[first->second] = 1;
    }
    TargetClashes result;
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
