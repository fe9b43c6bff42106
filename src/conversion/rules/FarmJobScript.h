#pragma once

#include "conversion/rules/FarmJob.h"

#include <QByteArray>
#include <QString>

// NAME.sbatch: a Slurm job array of job.tasks() tasks (at most
// maxTasksAtOnce at once when that is set), each logging into NAME.logs/.
// Task i runs its chunk of NAME.tasks line by line, each in a shell of its
// own, prints every line's verdict and ends with the status of the first line
// that failed (0 when none did). NAME.tasks is looked for beside the script
// as Slurm's controller knows it, so the job folder may be mounted anywhere
// on the farm. UTF-8 with "\n" line ends.
QByteArray farmBatchScript(const FarmJob& job, const QString& version);
