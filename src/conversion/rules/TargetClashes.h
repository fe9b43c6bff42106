#pragma once

#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"
#include "joblist/rules/TargetPaths.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

// Targets that more than one job would write. Letter case is ignored and "\"
// and "/" count as the same separator: the scripts are written for Windows
// and the Mac, whose file systems take such names for one file. Where the
// local file system would tell them apart, a needless question is the price;
// a missed clash would cost a converted file.
struct TargetClashes {
    QStringList examples; // the first clashing targets in job order, each once
    int count = 0;        // how many different targets are written more than once
    // The first two jobs found to write one target, as positions in the list
    // of targets compared; for a refusal that names both images.
    std::optional<std::pair<size_t, size_t>> firstPair;
};

constexpr int clashExamples = 5;

TargetClashes findTargetClashes(const std::vector<QString>& targets,
                                int maxExamples = clashExamples);

// The same for the ticked rows, each with the file its converter line writes
// (lineTarget()). Rows whose target cannot be placed are left out: the
// export reports them itself.
TargetClashes findTargetClashes(const std::vector<JobRow>& rows, const ImageRoots& roots,
                                const OutputChoice& output, int maxExamples = clashExamples);

// The question put to the user before anything is written, when targets clash.
std::optional<QString> clashQuestion(const TargetClashes& clashes);
