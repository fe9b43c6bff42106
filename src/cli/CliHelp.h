#pragma once

#include "cli/CliRequest.h"

#include <QString>

#include <optional>

// The help page, written as a manual page: the whole page without a command,
// else that command's part of it.
QString cliHelpText(std::optional<CliCommand> command);

// "corvane-cli 1.0" and the lines GNU programs print under it.
QString cliVersionText();
