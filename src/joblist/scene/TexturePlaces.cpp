#include "joblist/scene/TexturePlaces.h"

#include <QDir>

namespace {
bool hasDriveLetter(const QString& path) {
    return path.size() >= 2 && path[1] == QLatin1Char(':') && path[0].isLetter() &&
           path[0].unicode() < 128;
}

QString joined(const QString& folder, const QString& relative) {
    if (folder.endsWith(QLatin1Char('/')))
        return QDir::cleanPath(folder + relative);
    return QDir::cleanPath(folder + QLatin1Char('/') + relative);
}

// The folder the source-images rule names: relative to the project's root, or absolute.
QString sourceImagesFolder(const SceneLocation& location) {
    const QString rule = cleanPathText(location.sourceImages);
    if (isAbsolutePathText(rule))
        return rule;
    return rule.isEmpty() || rule == QLatin1String(".") ? location.projectRoot
                                                        : joined(location.projectRoot, rule);
}

// The part of `path` after its last run of folders named as the rule names
// the source images (letter case aside: the path may come from Windows).
QString partAfterSourceImages(const QString& path, const QString& rule) {
    QStringList ruleParts = cleanPathText(rule).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (isAbsolutePathText(rule) && !ruleParts.isEmpty())
        ruleParts = {ruleParts.last()};
    if (ruleParts.isEmpty() || ruleParts == QStringList{QStringLiteral(".")})
        return {};
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (qsizetype start = parts.size() - ruleParts.size() - 1; start >= 0; --start) {
        bool same = true;
        for (qsizetype i = 0; i < ruleParts.size() && same; ++i)
            same = parts[start + i].compare(ruleParts[i], Qt::CaseInsensitive) == 0;
        if (same)
            return parts.mid(start + ruleParts.size()).join(QLatin1Char('/'));
    }
    return {};
}
} // namespace

QString cleanPathText(const QString& written) {
    QString path = written;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool network = path.startsWith(QLatin1String("//"));
    path = QDir::cleanPath(path);
    // A network path keeps its two leading slashes, which cleaning may fold into one.
    if (network && !path.startsWith(QLatin1String("//")))
        path.prepend(QLatin1Char('/'));
    return path;
}

bool isAbsolutePathText(const QString& path) {
    if (path.startsWith(QLatin1Char('/')) || path.startsWith(QLatin1Char('\\')))
        return true;
    return hasDriveLetter(path) && path.size() >= 3 &&
           (path[2] == QLatin1Char('/') || path[2] == QLatin1Char('\\'));
}

std::vector<TextureCandidate> textureCandidates(const QString& written,
                                                const SceneLocation& location) {
    std::vector<TextureCandidate> candidates;
    auto add = [&candidates](QString path, TextureFound how) {
        for (const TextureCandidate& candidate : candidates) {
            if (candidate.path == path)
                return;
        }
        candidates.push_back(TextureCandidate{std::move(path), how});
    };
    const QString path = cleanPathText(written);
    if (path.isEmpty() || path == QLatin1String("."))
        return candidates;
    const bool maya = location.mayaProject;
    if (!isAbsolutePathText(path)) {
        // "C:wood.jpg" (relative to a drive's own folder) names nothing that can be found here.
        if (hasDriveLetter(path))
            return candidates;
        if (maya && !location.projectRoot.isEmpty())
            add(joined(location.projectRoot, path), TextureFound::UnderProject);
        add(joined(location.folder, path), TextureFound::BesideScene);
        return candidates;
    }
    if (location.windowsHost || !hasDriveLetter(path))
        add(path, TextureFound::AsWritten);
    if (!maya)
        return candidates;
    if (!location.projectRoot.isEmpty()) {
        const QString rest = partAfterSourceImages(path, location.sourceImages);
        if (!rest.isEmpty())
            add(joined(sourceImagesFolder(location), rest), TextureFound::InThisProject);
    }
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (!name.isEmpty())
        add(joined(location.folder, name), TextureFound::ByNameBesideScene);
    return candidates;
}
