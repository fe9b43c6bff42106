#pragma once

#include "conversion/rules/CommandLine.h"
#include "conversion/rules/TargetSystem.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a command line asks for, once parsed.
enum class CliCommand { Convert, Script, Farm };

struct CliRequest {
    CliCommand command = CliCommand::Convert;
    QStringList paths;         // as given; "-" stands for standard input
    bool nulSeparated = false; // -0: standard input holds NUL-separated paths
    FlagOptions flags;         // the window's defaults unless a flag was given
    QString converter;         // empty: found as the window finds it
    QString output;            // --output: empty puts targets beside their sources
    bool recursive = false;    // folders with their subfolders, mirrored under --output

    // convert
    bool skipUpToDate = false;
    int jobs = 0; // 0: every core
    QString report;
    bool explain = false;
    bool json = false;

    // script and farm
    TargetSystem flavour = TargetSystem::Mac;
    QString outFile; // -o
    bool force = false;
    std::optional<int> imagesPerTask;
    int tasksAtOnce = 0;
    bool farmSkipsUpToDate = true;
};

// How the command line ends when it is not a request to run.
enum class CliExit {
    Success = 0,
    Failed = 1,           // at least one image failed, or a file could not be written
    Usage = 2,            // bad usage, or no image found
    ConverterMissing = 3, // nothing was started
    Interrupted = 130,    // Ctrl+C, SIGTERM or Ctrl+Break
};
