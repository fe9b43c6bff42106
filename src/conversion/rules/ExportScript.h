#pragma once

#include "conversion/rules/CommandLine.h"
#include "joblist/rules/JobRow.h"

#include <vector>

class QIODevice;

// Writes an exported script for the ticked rows to `device`: the flavour's
// frame around one converter line per ticked row, each folder of a mirrored
// tree made by a line of its own before the first line that writes into it,
// in the host's line ends and the script's encoding, a piece at a time. False
// when a row's target cannot be placed or the device refuses a write.
bool writeExportScript(QIODevice& device, const std::vector<JobRow>& rows,
                       const CommandSettings& settings, const QString& version);
