// "Process": converts every ticked row, each through a temporary script of its own.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/RunProgressDialog.h"
#include "conversion/rules/ConverterCheck.h"
#include "conversion/rules/RunTexts.h"
#include "conversion/rules/TargetClashes.h"
#include "conversion/rules/TickedJobs.h"
#include "conversion/run/ConverterPath.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/RunSession.h"
#include "conversion/run/UpToDateCheck.h"
#include "joblist/JobTableModel.h"
#include "joblist/scan/ImageScan.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
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
} // namespace

CommandSettings CorvaneGUI::commandSettings() {
    return {fieldImfCopy->text(), flagOptions(),
            OutputChoice{checkSameDirectory->isChecked(), fieldDirectory->text()}, system,
            model->roots()};
}

// Process runs nothing with a converter that is not there: one warning
// instead of a failed row for every image.
bool CorvaneGUI::converterReadyToRun() {
    const QString converter = fieldImfCopy->text();
    const ConverterState state = checkConverter(converter);
    if (state == ConverterState::Found)
        return true;
    Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                         converterProblemText(state, QDir::toNativeSeparators(converter)));
    return false;
}

void CorvaneGUI::processImages() {
    // A scan's rows are not in the table yet.
    if (activeRun || activeScan || !converterReadyToRun())
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
    request.ticked = std::move(*ticked);
    Ledger& ledger = runLedger();
    request.converter = resolveConverter(settings.converterPath);
    request.settings = settings;
    if (skipUpToDate) {
        if (!ledger.usable() && !std::exchange(ledgerUnusableSaid, true))
            Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                                 ledgerUnusableText(ledger.status().path, ledger.status().error));
        leaveOutUpToDate(request, ledger);
    }
    // Records a ledger that turns out unusable forgets; asking now would wait for its check.
    request.ledger = &ledger;
    request.recoveredTargets = std::exchange(recoveredTargets, 0);
    request.maxAtOnce = conversionsAtOnce;
    request.echoExitValues = true;
    startRun(std::move(request));
}

void CorvaneGUI::startRun(RunSession::Request request) {
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
                tellLedgerState(true); // before the box, if the start could not
                const RunBox box = runBox(summary);
                announceRunEnd(run->takeReport(), messageKind(box.kind), box.text, details);
            });
    run->start();
}

void CorvaneGUI::openLedger() {
    if (!ledger)
        ledger = new Ledger;
}

Ledger& CorvaneGUI::runLedger() {
    openLedger();
    tellLedgerState(false); // never held up for the file's check
    return *ledger;
}

void CorvaneGUI::tellLedgerState(bool wait) {
    if (!ledger || ledgerStateSaid || (!wait && !ledger->isOpen()))
        return;
    ledgerStateSaid = true;
    const Ledger::Status& status = ledger->status();
    if (status.state == Ledger::State::RenamedAside)
        Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                             ledgerMovedAsideText(status.path, status.asidePath));
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
    itemAddFromScene->setEnabled(!locked);
    itemExportFarmJob->setEnabled(!locked);
}

void CorvaneGUI::ListenerProcessImages::actionPerformed() const {
    processImages();
}
