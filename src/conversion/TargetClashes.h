#pragma once

#include "joblist/JobRow.h"

#include <QString>
#include <QStringList>

#include <vector>

// Targets that more than one job would write. Letter case is ignored and "\"
// and "/" count as the same separator: the scripts are written for Windows
// and the Mac, whose file systems take such names for one file. Where the
// local file system would tell them apart, a needless question is the price;
// a missed clash would cost a converted file.
struct TargetClashes {
    QStringList examples; // the first clashing targets in job order, each once
    int count = 0;        // how many different targets are written more than once
};

constexpr int clashExamples = 5;

TargetClashes findTargetClashes(const std::vector<QString>& targets,
                                int maxExamples = clashExamples);

// The same for the ticked rows, each with the target its converter line
// writes (commandTargetPath), found without composing every one of them.
// Rows whose target cannot be placed in the output directory are left out.
TargetClashes findTargetClashes(const std::vector<JobRow>& rows, bool sameDirectory,
                                const QString& outputDirectory, int maxExamples = clashExamples);

// The question put to the user before anything is written.
QString clashQuestionText(const TargetClashes& clashes);
