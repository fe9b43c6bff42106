#pragma once

#include "conversion/rules/FarmJob.h"

#include <QByteArray>
#include <QString>

// NAME.README.txt: what the job's files are, what the nodes need, how to
// submit, watch and resubmit it on Slurm, what a killed task leaves, and how
// to hand NAME.tasks to Deadline, OpenCue or GNU parallel. `converter` is the
// converter field's text, `folder` where the files were written.
QByteArray farmJobReadme(const FarmJob& job, const QString& converter, const QString& folder,
                         const QString& version);
