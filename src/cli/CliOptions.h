#pragma once

#include "cli/CliRequest.h"

#include <QString>
#include <QStringList>

#include <variant>

// The command line read into a request, with QCommandLineParser.
struct CliHelp {
    QString text; // the whole page, for standard output
};
struct CliVersion {};
struct CliUsageError {
    QString message; // one line, without the program's name
};
using CliParse = std::variant<CliRequest, CliHelp, CliVersion, CliUsageError>;

// `arguments` as the program got them, its own name first.
CliParse parseCommandLine(const QStringList& arguments);
