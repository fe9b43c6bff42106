// "Process": converts every ticked row through a temporary script.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/BatchRun.h"
#include "conversion/ClashQuestion.h"
#include "conversion/ConversionResult.h"
#include "conversion/TickedJobs.h"
#include "joblist/JobTableModel.h"

#include <QCheckBox>
#include <QLineEdit>

CommandSettings CorvaneGUI::commandSettings() {
    return {fieldImfCopy->text(), flagOptions(), checkSameDirectory->isChecked(),
            fieldDirectory->text(), system};
}

void CorvaneGUI::processImages() {
    const std::optional<TickedJobs> ticked = tickedJobs(model->rows(), commandSettings());
    if (!ticked) {
        Dialogs::showMessage(Dialogs::MessageKind::Error, dialogTitle,
                             ConversionResult::WriteError);
        return;
    }
    if (!clashingTargetsAccepted(ticked->jobs))
        return;
    const BatchRunResult result = runBatch(system, ticked->jobs);
    if (!result.scriptRan) {
        Dialogs::showMessage(Dialogs::MessageKind::Error, dialogTitle, result.message);
        return;
    }
    std::vector<char> converted(model->rows().size(), 0);
    for (size_t i = 0; i < ticked->rows.size(); ++i)
        converted[static_cast<size_t>(ticked->rows[i])] = result.jobConverted[i] ? 1 : 2;
    // One notification for the whole table keeps a large run cheap to show.
    model->updateAll([&](int index, JobRow& row) {
        const char verdict = converted[static_cast<size_t>(index)];
        if (verdict == 0)
            return;
        row.status = verdict == 1 ? Status::Converted : Status::Failed;
        row.process = verdict != 1;
    });
    Dialogs::showMessage(result.success ? Dialogs::MessageKind::Information
                                        : Dialogs::MessageKind::Error,
                         dialogTitle, result.message);
}

void CorvaneGUI::ListenerProcessImages::actionPerformed() const {
    processImages();
}
