#include "conversion/rules/TickedJobs.h"

std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows, const ConverterLines& lines) {
    TickedJobs result;
    for (size_t i = 0; i < rows.size(); ++i) {
        const JobRow& row = rows[i];
        if (!row.process)
            continue;
        const std::optional<LineTarget> target = lines.target(row);
        if (!target)
            return std::nullopt;
        ConversionJob job;
        job.target = target->joined();
        job.makeFolder = target->makesFolder();
        job.source = row.image;
        result.rows.push_back(static_cast<int>(i));
        result.jobs.push_back(std::move(job));
    }
    return result;
}

std::vector<QString> targetsOf(const TickedJobs& ticked) {
    std::vector<QString> targets;
    targets.reserve(ticked.jobs.size());
    for (const ConversionJob& job : ticked.jobs)
        targets.push_back(job.target);
    return targets;
}
