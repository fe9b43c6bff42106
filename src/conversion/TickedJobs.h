#pragma once

#include "conversion/BatchRun.h"
#include "conversion/CommandLine.h"
#include "joblist/JobRow.h"

#include <optional>
#include <vector>

// Everything a converter line depends on besides the row.
struct CommandSettings {
    QString converterPath;
    FlagOptions flags;
    bool sameDirectory = true;
    QString outputDirectory;
    int system = TargetSystem::Windows;
};

struct TickedJobs {
    std::vector<int> rows;       // table index of each job
    std::vector<BatchJob> jobs;  // its line and the file that line writes
};

// The converter line of every ticked row, in table order; nothing when a
// row's target cannot be placed in the output directory.
std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows,
                                     const CommandSettings& settings);
