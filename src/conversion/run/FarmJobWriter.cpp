#include "conversion/run/FarmJobWriter.h"

#include "conversion/rules/FarmJobReadme.h"
#include "conversion/rules/FarmJobScript.h"
#include "conversion/rules/FarmTaskLine.h"
#include "conversion/run/SaveFile.h"

#include <QDir>

FarmJobWrite writeFarmJob(const FarmJobFiles& files, const FarmJob& job,
                          const std::vector<JobRow>& rows, CommandSettings settings,
                          const QString& version) {
    using Outcome = FarmJobWrite::Outcome;
    const QString converter = settings.converterPath;
    settings.system = TargetSystem::Mac;
    const ConverterLines lines(std::move(settings));
    for (const JobRow& row : rows)
        if (row.process && !lines.target(row))
            return {Outcome::UnplacedTarget, {}, {}, {}};
    if (const std::optional<QString> broken = firstLineBreak(rows, lines))
        return {Outcome::LineBreak, {}, {}, *broken};

    // Slurm does not make the log folder, and a task that cannot open its log never runs.
    if (!QDir().mkpath(files.logs()))
        return {Outcome::CannotWrite, files.logs(), QStringLiteral("cannot make the folder"), {}};
    const bool skip = job.settings.skipUpToDate;
    QString error = writeFileAtomically(files.tasks(), [&](QIODevice& file) {
        return writeFarmTasks(file, rows, lines, skip) == FarmTasksResult::Written;
    });
    if (!error.isEmpty())
        return {Outcome::CannotWrite, files.tasks(), error, {}};
    error =
        writeFileAtomically(files.readme(), farmJobReadme(job, converter, files.folder, version));
    if (!error.isEmpty())
        return {Outcome::CannotWrite, files.readme(), error, {}};
    error = writeFileAtomically(files.batchScript(), farmBatchScript(job, version));
    if (!error.isEmpty())
        return {Outcome::CannotWrite, files.batchScript(), error, {}};
    return {};
}
