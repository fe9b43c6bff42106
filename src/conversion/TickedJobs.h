#pragma once

#include "conversion/BatchRun.h"
#include "conversion/CommandLine.h"
#include "joblist/JobRow.h"

class QIODevice;

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
    std::vector<int> rows;      // table index of each job
    std::vector<BatchJob> jobs; // its line and the file that line writes
};

// The converter line of every ticked row, in table order; nothing when a
// row's target cannot be placed in the output directory.
std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows,
                                     const CommandSettings& settings);

// Writes an exported script for the ticked rows to `device`, in the host's
// line ends and the bytes scriptBytes() would give, a piece at a time; false
// when a row's target cannot be placed or the device refuses a write.
bool writeExportScript(QIODevice& device, const std::vector<JobRow>& rows,
                       const CommandSettings& settings, const QString& version);
