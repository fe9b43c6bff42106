// File > "Export Farm Job...": saves the ticked rows as a Slurm job array and
// a plain task list that other farm managers take too.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/rules/ConverterCheck.h"
#include "conversion/rules/FarmJobTexts.h"
#include "conversion/rules/ScriptFilters.h"
#include "conversion/rules/TargetClashes.h"
#include "conversion/run/FarmJobWriter.h"
#include "joblist/JobTableModel.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <algorithm>

void CorvaneGUI::exportFarmJob() {
    using Dialogs::MessageKind;
    if (system == TargetSystem::Windows) {
        Dialogs::showMessage(MessageKind::Information, farmDialogTitle(), farmWindowsFlavourText());
        return;
    }
    const std::vector<JobRow>& rows = model->rows();
    const int images = static_cast<int>(
        std::count_if(rows.begin(), rows.end(), [](const JobRow& row) { return row.process; }));
    if (images == 0) {
        Dialogs::showMessage(MessageKind::Information, farmDialogTitle(), farmNothingTickedText());
        return;
    }
    const CommandSettings settings = commandSettings();
    const std::optional<QString> clash =
        clashQuestion(findTargetClashes(rows, settings.roots, settings.output));
    if (clash && !Dialogs::ask(dialogTitle, *clash))
        return;
    const std::optional<FarmSettings> farm = Dialogs::askFarmSettings(images);
    if (!farm)
        return;

    const std::optional<QString> chosen =
        Dialogs::chooseFile({.mode = Dialogs::FileMode::Save,
                             .title = farmDialogTitle(),
                             .startDirectory = outputFolderToStartIn(),
                             .filters = {std::make_shared<SbatchFilter>()},
                             .currentFilter = 0});
    if (!chosen)
        return;
    const FarmJobFiles files = farmJobFiles(*chosen);
    if (const std::optional<FarmNameProblem> problem = farmNameProblem(files.name)) {
        Dialogs::showMessage(MessageKind::Warning, farmDialogTitle(),
                             farmNameProblemText(*problem));
        return;
    }

    const FarmJob job{files.name, images, *farm};
    const FarmJobWrite written = writeFarmJob(files, job, model->rows(), settings, version);
    FarmJobBox box = farmJobBox(job, files, written);
    // Written all the same, as Create Script does: the nodes may well have it.
    if (box.success && checkConverter(fieldImfCopy->text()) != ConverterState::Found)
        box.text += QStringLiteral("\n\n") +
                    converterNotHereText(QDir::toNativeSeparators(fieldImfCopy->text()));
    Dialogs::showMessage(box.success ? MessageKind::Information : MessageKind::Warning, box.title,
                         box.text, box.details);
}

void CorvaneGUI::ListenerExportFarmJob::actionPerformed() const {
    exportFarmJob();
}
