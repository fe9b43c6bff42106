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

// Whether tickedJobs() composes the lines at once or leaves them to
// ConverterLines when each row starts: a long run then never holds a hundred
// thousand lines at the same time.
enum class JobLines { Composed, Later };

// Every ticked row in table order, with the file its line writes (and the
// line itself, unless asked for later); nothing when a row's target cannot be
// placed in the output directory.
std::optional<TickedJobs> tickedJobs(const std::vector<JobRow>& rows,
                                     const CommandSettings& settings,
                                     JobLines lines = JobLines::Composed);

// Composes rows' converter lines from settings taken once (the converter
// token is quoted once, not once per row).
class ConverterLines {
public:
    explicit ConverterLines(CommandSettings settings);
    QString line(const JobRow& row, const QString& target) const;

private:
    CommandSettings m_settings;
    QString m_prefix;
};

// Writes an exported script for the ticked rows to `device`, in the host's
// line ends and the bytes scriptBytes() would give, a piece at a time; false
// when a row's target cannot be placed or the device refuses a write.
bool writeExportScript(QIODevice& device, const std::vector<JobRow>& rows,
                       const CommandSettings& settings, const QString& version);
