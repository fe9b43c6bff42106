#pragma once

class CorvaneGUI;
class QString;

// Titles, sizes and centres the window, installs the themed look, packs the
// window keeping its top-left corner, and shows it.
void showMainWindow(CorvaneGUI& window);

// Cleans up after runs of a program that died (their converters, their
// unfinished targets, their folders); the next run's box tells of removed
// targets, and nothing else is said.
void recoverAbandonedRunsAtStart();

// Starts the fixed "attrib" command once, detached; a failure is ignored
// (there is no such program outside Windows). Returns whether it started.
bool startAttribCommand();

// The "attrib" command line, handed over as one string.
const QString& attribCommand();
