#pragma once

#include "conversion/rules/FarmJob.h"

#include <QString>

// What a person reads about exporting a farm job.

QString farmDialogTitle(); // "Export Farm Job"

// Why nothing is exported with the Windows flavour selected.
QString farmWindowsFlavourText();
QString farmNothingTickedText();
QString farmNameProblemText(FarmNameProblem problem);

// The settings dialog's line on how the images split: "20 images: 10 tasks of 2".
QString farmTaskSummary(int images, int imagesPerTask);

// The box after writing: `files` says where, paths shown with native separators.
struct FarmJobBox {
    bool success = false;
    QString title;
    QString text;
    QString details;
};
FarmJobBox farmJobBox(const FarmJob& job, const FarmJobFiles& files, const FarmJobWrite& write);
