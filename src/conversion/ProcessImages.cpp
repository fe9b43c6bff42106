// "Process": converts every ticked row, each through a temporary script of its own.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/RunProgressDialog.h"
#include "conversion/RunSession.h"
#include "conversion/rules/RunTexts.h"
#include "conversion/rules/TargetClashes.h"
#include "conversion/rules/TickedJobs.h"
#include "conversion/rules/UpToDate.h"
#include "joblist/JobTableModel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace {
Dialogs::MessageKind messageKind(BoxKind kind) {
    switch (kind) {
    case BoxKind::Information:
        return Dialogs::MessageKind::Information;
    case BoxKind::Warning:
        return Dialogs::MessageKind::Warning;
    case BoxKind::Error:
        break;
    }
    return Dialogs::MessageKind::Error;
}

std::vector<QString> targetsOf(const TickedJobs& ticked) {
    std::vector<QString> targets;
    targets.reserve(ticked.jobs.size());
    for (const ConversionJob& job : ticked.jobs)
        targets.push_back(job.target);
    return targets;
}
} // namespace

CommandSettings CorvaneGUI::commandSettings() {
    return {fieldImfCopy->text(), flagOptions(),
            OutputChoice{checkSameDirectory->isChecked(), fieldDirectory->text()}, system};
}

void CorvaneGUI::processImages() {
    if (activeRun)
        return;
    const CommandSettings settings = commandSettings();
    std::optional<TickedJobs> ticked = tickedJobs(model->rows(), ConverterLines(settings));
    if (!ticked) {
        Dialogs::showMessage(Dialogs::MessageKind::Error, dialogTitle, writeErrorText());
        return;
    }
    const std::optional<QString> clash = clashQuestion(findTargetClashes(targetsOf(*ticked)));
    if (clash && !Dialogs::ask(dialogTitle, *clash))
        return;

    RunSession::Request request;
    if (skipUpToDate)
        request.upToDate = takeUpToDate(*ticked);
    request.ticked = std::move(*ticked);
    request.settings = settings;
    request.maxAtOnce = conversionsAtOnce;
    auto* run = new RunSession(*model, std::move(request), frame);
    if (!run->prepare()) {
        delete run;
        Dialogs::showMessage(Dialogs::MessageKind::Error, dialogTitle, writeErrorText());
        return;
    }
    activeRun = run;
    QPointer<RunProgressDialog> dialog;
    const bool runs = !run->nothingToRun();
    if (runs) {
        lockForRun(true);
        dialog = new RunProgressDialog(frame, dialogTitle, run->total());
        connect(run, &RunSession::progressed, dialog, &RunProgressDialog::follow);
        connect(dialog, &RunProgressDialog::cancelRequested, run, &RunSession::cancel);
    }
    connect(run, &RunSession::ended, frame,
            [run, dialog, runs](const RunSummary& summary, const QString& details) {
                // Gone before the box: hidden only, its own timer could show it again.
                delete dialog.data();
                if (runs)
                    lockForRun(false);
                activeRun = nullptr;
                run->deleteLater();
                if (quitAfterRun) {
                    quitAfterRun = false;
                    QCoreApplication::exit(0);
                    return;
                }
                const RunBox box = runBox(summary);
                Dialogs::showMessage(messageKind(box.kind), dialogTitle, box.text, details);
            });
    run->start();
}

void CorvaneGUI::lockForRun(bool locked) {
    // The window stays alive: it repaints, moves and resizes, the table still
    // scrolls so the user can watch it fill in, and closing the window ends
    // the run. But nothing in it can change the table or the options.
    model->setLocked(locked);
    for (QWidget* widget :
         {panelAdd, panelSettings, static_cast<QWidget*>(buttonRemoveSelected),
          static_cast<QWidget*>(buttonRemoveConverted), static_cast<QWidget*>(buttonReset)})
        widget->setEnabled(!locked);
    menuEdit->setEnabled(!locked);
    itemExportFarmJob->setEnabled(!locked);
}

void CorvaneGUI::ListenerProcessImages::actionPerformed() const {
    processImages();
}
