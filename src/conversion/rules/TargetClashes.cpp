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

QString foldedKey(QStringView text) {
    QString key(text.size(), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), key.begin(), folded);
    return key;
}

// Every target is the same directory followed by its own rest; only the rests
// need comparing.
TargetClashes findClashes(QStringView directory, const std::vector<QStringView>& rests,
                          int maxExamples) {
    std::unordered_map<QString, size_t> firstJob;
    firstJob.reserve(rests.size());
    std::vector<char> clashes(rests.size(), 0);
    for (size_t job = 0; job < rests.size(); ++job) {
        const auto [first, isNew] = firstJob.try_emplace(foldedKey(rests[job]), job);
        if (!isNew)
            clashes[first->second] = 1;
    }
    TargetClashes result;
    for (size_t job = 0; job < rests.size(); ++job) {
        if (clashes[job] && result.count++ < maxExamples)
            result.examples << LineTarget{directory, rests[job]}.joined();
    }
    return result;
}
} // namespace

TargetClashes findTargetClashes(const std::vector<QString>& targets, int maxExamples) {
    return findClashes({}, std::vector<QStringView>(targets.begin(), targets.end()), maxExamples);
}

TargetClashes findTargetClashes(const std::vector<JobRow>& rows, const OutputChoice& output,
                                int maxExamples) {
    std::vector<QStringView> rests;
    for (const JobRow& row : rows) {
        if (!row.process)
            continue;
        if (const std::optional<LineTarget> target = lineTarget(row.newImage, output))
            rests.push_back(target->rest);
    }
    return findClashes(output.sameDirectory ? QStringView() : QStringView(output.directory), rests,
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
