#pragma once

#include "conversion/rules/CommandLine.h"
#include "joblist/rules/JobRow.h"

#include <QString>

#include <optional>
#include <vector>

class QIODevice;

// One line of NAME.tasks: a POSIX shell command (bash, dash and the shells
// farm managers use all run it) that converts one image so that no kill, at
// any moment, leaves a half-written .map:
//
//   - with `skipUpToDate`, a .map that exists, is not empty and is no older
//     than its image (the rule Process uses) ends the line at once, status 0;
//   - it makes the .map's folder and removes what earlier runs of the line
//     left: temporary files are named "<target>.corvane-<node>-<pid>.map"
//     (the converter takes its format from the ending), one per run, so runs
//     of the same line on two nodes at once never share one;
//   - it runs the converter line, exactly as Create Script writes it but for
//     its target, into the temporary file, and renames that over the .map only
//     when the converter succeeded and wrote something; otherwise it removes it.
//
// Its status is the converter's, or 1 when the converter reported success but
// no .map could be put in place.
QString farmTaskLine(const ConverterLines& lines, QStringView source, const LineTarget& target,
                     bool skipUpToDate);

enum class FarmTasksResult { Written, UnplacedTarget, LineBreak, WriteFailed };

// Writes NAME.tasks: one line per ticked row in table order, UTF-8, "\n"
// line ends whatever the host (the nodes run Linux). Every line is checked
// before anything is written: a target that cannot be placed, or a path or
// flag text holding a line break (which would split the line in two), stops it.
FarmTasksResult writeFarmTasks(QIODevice& device, const std::vector<JobRow>& rows,
                               const ConverterLines& lines, bool skipUpToDate);

// The first ticked row's text that holds a line break, if any: its source,
// its target, or the converter and flags.
std::optional<QString> firstLineBreak(const std::vector<JobRow>& rows, const ConverterLines& lines);
