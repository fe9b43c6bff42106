#pragma once

#include "cli/CliImages.h"
#include "cli/CliRequest.h"

class CliConsole;

// "convert": the images run through the window's engine (the same lines,
// verdicts, ledger and removal of half-written targets), reported as they
// end. Returns the exit status; runs the event loop until the run has ended.
CliExit convertImages(const CliRequest& request, CliImages images, CliConsole& console,
                      int recoveredTargets);
