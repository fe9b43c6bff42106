#pragma once

#include "cli/CliRequest.h"
#include "conversion/rules/CommandLine.h"
#include "conversion/rules/TickedJobs.h"

#include <optional>

// The window's settings as a command line gives them: the converter (found as
// the window finds it unless named), the flags, the output choice (--output
// made absolute), the flavour and the images' roots.
CommandSettings commandSettingsFor(const CliRequest& request, const ImageRoots& roots,
                                   TargetSystem system);

// Where each image's line writes; nothing when a target cannot be placed.
// The message for that case.
QString unplacedTargetText();

// Two images that would write one .map: a command line has no dialog to ask
// whether to go on, so it stops, naming both images and the file.
std::optional<QString> clashRefusal(const TickedJobs& jobs);
