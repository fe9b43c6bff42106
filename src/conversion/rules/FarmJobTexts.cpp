#include "conversion/rules/FarmJobTexts.h"

#include <QDir>
#include <QLocale>

namespace {
QString images(int count) {
    return count == 1 ? QStringLiteral("1 image")
                      : QStringLiteral("%1 images").arg(QLocale::c().toString(count));
}
} // namespace

QString farmDialogTitle() {
    return QStringLiteral("Export Farm Job");
}

QString farmWindowsFlavourText() {
    return QStringLiteral("Farm jobs are bash scripts for Linux render nodes, and the target "
                          "system is Windows.\n\nChoose Edit > System > Mac to write bash "
                          "scripts, then export the farm job.");
}

QString farmNothingTickedText() {
    return QStringLiteral("No image is ticked: a farm job needs at least one.");
}

QString farmNameProblemText(FarmNameProblem problem) {
    switch (problem) {
    case FarmNameProblem::Empty:
        return QStringLiteral("The farm job needs a name.");
    case FarmNameProblem::Unwritable:
        return QStringLiteral("A farm job's name cannot hold a backslash or a control character: "
                              "Slurm could not name its log folder. Choose another name.");
    }
    return {};
}

QString farmTaskSummary(int imageCount, int imagesPerTask) {
    const int tasks = farmTaskCount(imageCount, imagesPerTask);
    if (tasks <= 0)
        return images(imageCount);
    QString text = images(imageCount) + QStringLiteral(": ");
    if (tasks == 1)
        text += QStringLiteral("1 task");
    else
        text +=
            QStringLiteral("%1 tasks of %2").arg(QLocale::c().toString(tasks)).arg(imagesPerTask);
    const int last = imageCount - (tasks - 1) * imagesPerTask;
    if (tasks > 1 && last != imagesPerTask)
        text += QStringLiteral(", the last of %1").arg(last);
    if (tasks > farmTaskLimit)
        text += QStringLiteral("\nMore than 1,000 tasks: a cluster with Slurm's default "
                               "MaxArraySize takes at most 1,000 in one array.");
    return text;
}

FarmJobBox farmJobBox(const FarmJob& job, const FarmJobFiles& files, const FarmJobWrite& write) {
    using Outcome = FarmJobWrite::Outcome;
    switch (write.outcome) {
    case Outcome::Written: {
        const int tasks = job.tasks();
        const QString split = tasks == 1
                                  ? QStringLiteral("1 task")
                                  : QStringLiteral("%1 tasks").arg(QLocale::c().toString(tasks));
        return {
            true,
            QStringLiteral("Success"),
            QStringLiteral("Farm job created: %1 in %2.\n\nIn %3:\n%4.sbatch, %4.tasks, "
                           "%4.README.txt and the folder %4.logs.\n\nSubmit it from there "
                           "with sbatch; the README says more.")
                .arg(images(job.images), split, QDir::toNativeSeparators(files.folder), job.name),
            {}};
    }
    case Outcome::UnplacedTarget:
        // As Create Script says it.
        return {false, QStringLiteral("Error"), QStringLiteral("Error Creating File"), {}};
    case Outcome::LineBreak:
        return {false, farmDialogTitle(),
                QStringLiteral("A path or the flags hold a line break, which would split a line "
                               "of %1.tasks in two. Nothing was written.")
                    .arg(job.name),
                write.text};
    case Outcome::CannotWrite:
        return {false, QStringLiteral("Error"), QStringLiteral("Error Creating File"),
                QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(write.path), write.error)};
    }
    return {};
}
