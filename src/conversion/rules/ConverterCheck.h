#pragma once

#include <QString>

#include <functional>

// Whether the converter field names something that can run here.
enum class ConverterState {
    Found,
    Empty,         // the field is empty
    Missing,       // no such file, or a bare name not on the search path
    Folder,        // a folder, not a program
    NotExecutable, // a file without permission to run
};

// Finds a bare program name on the search path; the full path, or empty.
using ProgramLookup = std::function<QString(const QString& name)>;

// The search path's lookup of this machine (QStandardPaths::findExecutable).
ProgramLookup systemProgramLookup();

// Whether the field names a program to look for on the search path (no "/"
// or "\") rather than a path.
bool isBareProgramName(const QString& converter);

// Checks the converter field as it is: a bare name (no "/" or "\") through
// `lookup`, anything else as a path (relative ones from the working folder).
ConverterState checkConverter(const QString& converter,
                              const ProgramLookup& lookup = systemProgramLookup());

// Where a person names the converter: the window's field, or the command line.
enum class ConverterChooser { Window, CommandLine };

// The warning Process shows instead of running, naming the converter as
// shown (`shownPath`, native separators) and how to fix it.
QString converterProblemText(ConverterState state, const QString& shownPath,
                             ConverterChooser chooser = ConverterChooser::Window);

// The line Create Script adds to its success box when the converter is not here.
QString converterNotHereText(const QString& shownPath);
