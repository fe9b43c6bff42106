#pragma once

#include "cli/CliRequest.h"
#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"

#include <QString>

#include <variant>
#include <vector>

class QIODevice;

// The images a command line names, as the job table would hold them: added
// as Add Images and Add Directory add them (with their subfolders under
// --recursive, each folder a root that --output mirrors), each image once.
struct CliImages {
    std::vector<JobRow> rows;
    ImageRoots roots;
    int unreadableFolders = 0;
};

// Why nothing can be converted: a path that is not there or not an image, or
// no image at all.
struct CliImagesProblem {
    QString message;
};

// The paths of the request, "-" read from `standardInput` (one a line, or
// NUL-separated with -0), made absolute from the working folder.
QStringList requestedPaths(const CliRequest& request, QIODevice& standardInput);

std::variant<CliImages, CliImagesProblem> gatherImages(const QStringList& paths, bool recursive);
