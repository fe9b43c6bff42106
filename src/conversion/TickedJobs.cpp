#include "conversion/TickedJobs.h"

std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows,
                                     const CommandSettings& settings)
{
    const QString flags = buildFlagString(settings.flags);
    TickedJobs result;
    for (size_t i = 0; i < rows.size(); ++i) {
        const JobRow& row = rows[i];
        if (!row.process)
            continue;
        std::optional<QString> target =
            commandTargetPath(row.newImage, settings.sameDirectory, settings.outputDirectory);
        if (!target)
            return std::nullopt;
        QString command = buildConverterCommand(settings.converterPath, flags, row.image, *target,
                                                settings.system);
        result.rows.push_back(static_cast<int>(i));
        result.jobs.push_back({std::move(command), std::move(*target)});
    }
    return result;
}
