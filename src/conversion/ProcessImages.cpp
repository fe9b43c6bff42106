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
    std::optional<TickedJobs> ticked = tickedJobs(model->rows(), commandSettings());
    if (!ticked) {
        Dialogs::showMessage(Dialogs::MessageKind::Error, dialogTitle,
                             ConversionResult::WriteError);
        return;
    }
    if (!clashingTargetsAccepted(ticked->jobs))
        return;
    std::vector<int> upToDate;
    if (skipUpToDate)
        upToDate = takeUpToDate(*ticked);
    RunController::start(std::move(*ticked), system, conversionsAtOnce, std::move(upToDate));
}

void CorvaneGUI::ListenerProcessImages::actionPerformed() const {
    processImages();
}
