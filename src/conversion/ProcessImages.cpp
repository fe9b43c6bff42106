// "Process": converts every ticked row, each through a temporary script of its own.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/RunProgressDialog.h"
#include "conversion/RunSession.h"
#include "conversion/rules/ConverterCheck.h"
#include "conversion/rules/RunTexts.h"
#include "conversion/rules/TargetClashes.h"
#include "conversion/rules/TickedJobs.h"
#include "conversion/run/ConverterPath.h"
#include "conversion/run/Ledger.h"
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

// Takes the jobs left out as up to date from the request's ticked jobs; every
// row gets what its tooltip will tell.
void applySkipDecisions(RunSession::Request& request, const std::vector<SkipDecision>& decisions,
                        const QString& options) {
    TickedJobs& ticked = request.ticked;
    size_t kept = 0;
    for (size_t i = 0; i < ticked.jobs.size(); ++i) {
        const QByteArray note = skipDecisionText(decisions[i], options).toUtf8();
        if (decisions[i].upToDate()) {
            request.upToDate.push_back(ticked.rows[i]);
            request.upToDateNotes.push_back(note);
            continue;
        }
        request.runNotes.push_back(note);
        ticked.jobs[kept] = std::move(ticked.jobs[i]);
        ticked.rows[kept] = ticked.rows[i];
        ++kept;
    }
    ticked.jobs.resize(kept);
    ticked.rows.resize(kept);
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
    if (skipUpToDate) {
        if (!ledger.usable() && !std::exchange(ledgerUnusableSaid, true))
            Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                                 ledgerUnusableText(ledger.status().path, ledger.status().error));
        ledger.flush(); // the last run's records count
        const QString options = ::buildFlagString(settings.flags);
        applySkipDecisions(
            request, checkUpToDate(request.ticked, ledger, options, request.converter), options);
    }
    if (ledger.usable())
        request.ledger = &ledger;
    request.recoveredTargets = std::exchange(recoveredTargets, 0);
    request.settings = settings;
    request.maxAtOnce = conversionsAtOnce;
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
                const RunBox box = runBox(summary);
                announceRunEnd(run->takeReport(), messageKind(box.kind), box.text, details);
            });
    run->start();
}

Ledger& CorvaneGUI::runLedger() {
    if (!ledger) {
        ledger = new Ledger;
        const Ledger::Status& status = ledger->status();
        if (status.state == Ledger::State::RenamedAside)
            Dialogs::showMessage(Dialogs::MessageKind::Warning, dialogTitle,
                                 ledgerMovedAsideText(status.path, status.asidePath));
    }
    return *ledger;
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
