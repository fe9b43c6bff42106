#pragma once

#include "cli/CliImages.h"
#include "cli/CliRequest.h"

class CliConsole;

// "script": the file Create Script writes for the same rows, byte for byte.
CliExit writeScript(const CliRequest& request, const CliImages& images, CliConsole& console);

// "farm": the files Export Farm Job writes for the same rows, byte for byte.
CliExit writeFarm(const CliRequest& request, const CliImages& images, CliConsole& console);
