// "Process": converts every ticked row, each through a temporary script of its own.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "app/RunController.h"
#include "conversion/ClashQuestion.h"
#include "conversion/ConversionResult.h"
#include "conversion/TickedJobs.h"
#include "conversion/UpToDate.h"
#include "joblist/JobTableModel.h"

#include <QCheckBox>
#include <QLineEdit>

CommandSettings CorvaneGUI::commandSettings() {
    return {fieldImfCopy->text(), flagOptions(), checkSameDirectory->isChecked(),
            fieldDirectory->text(), system};
}

void CorvaneGUI::processImages() {
    if (RunController::active())
        return;
    // The lines are composed as each row starts: a run of a hundred thousand
    // rows need not hold all of them at once.
    const CommandSettings settings = commandSettings();
    std::optional<TickedJobs> ticked = tickedJobs(model->rows(), settings, JobLines::Later);
    if (!ticked) {
        Dialogs::showMessage(Dialogs::MessageKind::Error, dialogTitle,
                             ConversionResult::WriteError);
        return;
    }
    if (!clashingTargetsAccepted(ticked->jobs))
        return;
    RunRequest request;
    if (skipUpToDate)
        request.upToDate = takeUpToDate(*ticked);
    request.ticked = std::move(*ticked);
    request.system = system;
    request.maxAtOnce = conversionsAtOnce;
    request.lines = std::make_shared<const ConverterLines>(settings);
    RunController::start(std::move(request));
}

void CorvaneGUI::ListenerProcessImages::actionPerformed() const {
    processImages();
}
