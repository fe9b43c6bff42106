#pragma once

#include "conversion/BatchRun.h"
#include "conversion/TickedJobs.h"

#include <vector>

// Asked before anything is written: when ticked jobs would write the same
// target, the user decides whether to go on. True when nothing clashes or the
// answer is Yes.
bool clashingTargetsAccepted(const std::vector<BatchJob>& jobs);

// The same for the ticked rows as the export will write them; a row whose
// target cannot be placed is left to the export to report.
bool clashingTargetsAccepted(const std::vector<JobRow>& rows, const CommandSettings& settings);
