#include "cli/CliSettings.h"

#include "conversion/rules/TargetClashes.h"
#include "conversion/run/Machine.h"

#include <QDir>
#include <QFileInfo>

CommandSettings commandSettingsFor(const CliRequest& request, const ImageRoots& roots,
                                   TargetSystem system) {
    CommandSettings settings;
    settings.converterPath =
        request.converter.isEmpty() ? locateConverter(systemConverterProbe()) : request.converter;
    settings.flags = request.flags;
    settings.output.sameDirectory = request.output.isEmpty();
    if (!settings.output.sameDirectory)
        settings.output.directory =
            QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(request.output).absoluteFilePath()));
    settings.system = system;
    settings.roots = roots;
    return settings;
}

QString unplacedTargetText() {
    return QStringLiteral("an image's .map cannot be placed in the output folder");
}

std::optional<QString> clashRefusal(const TickedJobs& jobs) {
    const TargetClashes clashes = findTargetClashes(targetsOf(jobs));
    if (clashes.count == 0 || !clashes.firstPair)
        return std::nullopt;
    const ConversionJob& first = jobs.jobs[clashes.firstPair->first];
    const ConversionJob& second = jobs.jobs[clashes.firstPair->second];
    QString text =
        QStringLiteral("%1 and %2 would both write %3")
            .arg(QDir::toNativeSeparators(first.source), QDir::toNativeSeparators(second.source),
                 QDir::toNativeSeparators(first.target));
    if (clashes.count > 1)
        text += QStringLiteral(" (and %1 more .map files would be written twice)")
                    .arg(clashes.count - 1);
    return text;
}
