#pragma once

// Makes SIGTERM, SIGINT and SIGHUP (a logout, a closed terminal, kill) end the
// program as File > Exit does: a run under way is ended first, with its
// converters, which live in process groups of their own and would otherwise
// outlive the program. Does nothing outside Unix.
void quitOnTerminationSignals();
