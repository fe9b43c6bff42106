#include "conversion/rules/FarmJob.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

int defaultImagesPerTask(int images) {
    return std::max(1, (images + farmTaskLimit - 1) / farmTaskLimit);
}

int farmTaskCount(int images, int imagesPerTask) {
    if (images <= 0 || imagesPerTask <= 0)
        return 0;
    return (images - 1) / imagesPerTask + 1;
}

FarmSettings defaultFarmSettings(int images) {
    FarmSettings settings;
    settings.imagesPerTask = defaultImagesPerTask(images);
    return settings;
}

FarmJobFiles farmJobFiles(const QString& chosen) {
    const QFileInfo info(QDir::fromNativeSeparators(chosen));
    QString name = info.fileName();
    for (const QString& suffix :
         {QStringLiteral(".sbatch"), QStringLiteral(".tasks"), QStringLiteral(".README.txt")}) {
        if (name.endsWith(suffix, Qt::CaseInsensitive)) {
            name.chop(suffix.size());
            break;
        }
    }
    return FarmJobFiles{info.absolutePath(), name};
}

std::optional<FarmNameProblem> farmNameProblem(const QString& name) {
    if (name.isEmpty())
        return FarmNameProblem::Empty;
    const bool unwritable = std::any_of(name.begin(), name.end(), [](QChar c) {
        return c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f;
    });
    if (unwritable)
        return FarmNameProblem::Unwritable;
    return std::nullopt;
}
