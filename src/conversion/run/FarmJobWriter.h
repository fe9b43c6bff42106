#pragma once

#include "conversion/rules/CommandLine.h"
#include "conversion/rules/FarmJob.h"
#include "joblist/rules/JobRow.h"

#include <vector>

// Writes a farm job for the ticked rows: the NAME.logs folder, then
// NAME.tasks, NAME.README.txt and last NAME.sbatch, each whole or not at
// all. Rows whose target cannot be placed, or texts holding a line break,
// stop it before anything is written. The lines are bash whatever the
// target system says.
FarmJobWrite writeFarmJob(const FarmJobFiles& files, const FarmJob& job,
                          const std::vector<JobRow>& rows, CommandSettings settings,
                          const QString& version);
