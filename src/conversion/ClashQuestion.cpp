#include "conversion/ClashQuestion.h"

#include "app/CorvaneGUI.h"
#include "app/Dialogs.h"
#include "conversion/TargetClashes.h"

namespace {
bool accepted(const TargetClashes& clashes) {
    return clashes.count == 0 || Dialogs::ask(CorvaneGUI::dialogTitle, clashQuestionText(clashes));
}
} // namespace

bool clashingTargetsAccepted(const std::vector<BatchJob>& jobs) {
    std::vector<QString> targets;
    targets.reserve(jobs.size());
    for (const BatchJob& job : jobs)
        targets.push_back(job.target);
    return accepted(findTargetClashes(targets));
}

bool clashingTargetsAccepted(const std::vector<JobRow>& rows, const CommandSettings& settings) {
    return accepted(findTargetClashes(rows, settings.sameDirectory, settings.outputDirectory));
}
