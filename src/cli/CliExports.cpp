#include "cli/CliExports.h"

#include "cli/CliConsole.h"
#include "cli/CliSettings.h"
#include "conversion/rules/ConverterCheck.h"
#include "conversion/rules/ExportScript.h"
#include "conversion/rules/FarmJobTexts.h"
#include "conversion/rules/Maker.h"
#include "conversion/run/FarmJobWriter.h"
#include "conversion/run/SaveFile.h"

#include <QDir>
#include <QFileInfo>

namespace {
// The rows' targets must be placeable and written once each, as the window
// asks before it writes; false, said, when not.
bool targetsAreSound(const std::vector<JobRow>& rows, const CommandSettings& settings,
                     CliConsole& console) {
    const std::optional<TickedJobs> ticked = tickedJobs(rows, ConverterLines(settings));
    if (!ticked) {
        console.error(unplacedTargetText());
        return false;
    }
    if (const std::optional<QString> clash = clashRefusal(*ticked)) {
        console.error(*clash);
        return false;
    }
    return true;
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Written all the same, as the window does: the file may well run on
// another machine, where the converter is.
void warnWhenConverterNotHere(const CommandSettings& settings, CliConsole& console) {
    if (checkConverter(settings.converterPath) != ConverterState::Found)
        console.error(converterNotHereText(shown(settings.converterPath)));
}
} // namespace

CliExit writeScript(const CliRequest& request, const CliImages& images, CliConsole& console) {
    const CommandSettings settings = commandSettingsFor(request, images.roots, request.flavour);
    if (!targetsAreSound(images.rows, settings, console))
        return CliExit::Usage;
    if (QFileInfo::exists(request.outFile) && !request.force) {
        console.error(QStringLiteral("%1 exists; --force replaces it").arg(shown(request.outFile)));
        return CliExit::Usage;
    }
    const QString error = writeFileAtomically(request.outFile, [&](QIODevice& file) {
        return writeExportScript(file, images.rows, settings, programVersion());
    });
    if (!error.isEmpty()) {
        console.error(
            QStringLiteral("%1 could not be written: %2").arg(shown(request.outFile), error));
        return CliExit::Failed;
    }
    warnWhenConverterNotHere(settings, console);
    return CliExit::Success;
}

CliExit writeFarm(const CliRequest& request, const CliImages& images, CliConsole& console) {
    // A farm's nodes run bash whatever this machine is.
    const CommandSettings settings = commandSettingsFor(request, images.roots, TargetSystem::Mac);
    if (!targetsAreSound(images.rows, settings, console))
        return CliExit::Usage;
    const FarmJobFiles files = farmJobFiles(QFileInfo(request.outFile).absoluteFilePath());
    if (const std::optional<FarmNameProblem> problem = farmNameProblem(files.name)) {
        console.error(farmNameProblemText(*problem));
        return CliExit::Usage;
    }
    if (!request.force) {
        for (const QString& path :
             {files.batchScript(), files.tasks(), files.readme(), files.logs()}) {
            if (QFileInfo::exists(path)) {
                console.error(
                    QStringLiteral("%1 exists; --force replaces the job").arg(shown(path)));
                return CliExit::Usage;
            }
        }
    }
    const int imageCount = int(images.rows.size());
    FarmJob job{files.name, imageCount, defaultFarmSettings(imageCount)};
    if (request.imagesPerTask)
        job.settings.imagesPerTask = *request.imagesPerTask;
    if (job.tasks() > farmTaskLimit) {
        console.error(QStringLiteral("%1 images in tasks of %2 make %3 tasks; a job holds at most "
                                     "%4: use --images-per-task %5 or more")
                          .arg(imageCount)
                          .arg(job.settings.imagesPerTask)
                          .arg(job.tasks())
                          .arg(farmTaskLimit)
                          .arg(defaultImagesPerTask(imageCount)));
        return CliExit::Usage;
    }
    job.settings.maxTasksAtOnce = request.tasksAtOnce;
    job.settings.skipUpToDate = request.farmSkipsUpToDate;
    const FarmJobWrite written = writeFarmJob(files, job, images.rows, settings, programVersion());
    const FarmJobBox box = farmJobBox(job, files, written);
    if (!box.success) {
        console.error(box.text);
        return CliExit::Failed;
    }
    console.out(box.text);
    warnWhenConverterNotHere(settings, console);
    return CliExit::Success;
}
