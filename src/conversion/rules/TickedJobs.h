#pragma once

#include "conversion/rules/CommandLine.h"
#include "conversion/rules/ConversionJob.h"
#include "joblist/rules/JobRow.h"

#include <optional>
#include <vector>

struct TickedJobs {
    std::vector<int> rows;           // table index of each job
    std::vector<ConversionJob> jobs; // the file each job's line writes
};

// Every ticked row in table order, with the file its line writes; nothing when
// a row's target cannot be placed in the output directory. The lines
// themselves are composed as each row starts: a long run never holds a hundred
// thousand of them at once.
std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows, const ConverterLines& lines);

// The file each job writes, in job order (for the clash check).
std::vector<QString> targetsOf(const TickedJobs& ticked);
