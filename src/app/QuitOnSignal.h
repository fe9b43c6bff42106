#pragma once

// Makes the requests to end the program from outside (TerminationSignals:
// SIGTERM, SIGINT, SIGHUP; Ctrl+C and Ctrl+Break where a console started it)
// end it as File > Exit does: a run under way is ended first, with its
// converters, which live in process groups of their own and would otherwise
// outlive the program.
void quitOnTerminationSignals();
