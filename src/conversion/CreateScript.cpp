// "Create Script": saves the ticked rows' converter lines as a script to run later.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/rules/ConverterCheck.h"
#include "conversion/rules/ExportScript.h"
#include "conversion/rules/ScriptFilters.h"
#include "conversion/rules/ScriptText.h"
#include "conversion/rules/TargetClashes.h"
#include "conversion/run/SaveFile.h"
#include "joblist/JobTableModel.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

namespace {
void warnExportFailed() {
    Dialogs::showMessage(Dialogs::MessageKind::Warning, QStringLiteral("Error"),
                         QStringLiteral("Error Creating File"));
}
} // namespace

void CorvaneGUI::createScript() {
    const std::optional<QString> clash =
        clashQuestion(findTargetClashes(model->rows(), model->roots(), commandSettings().output));
    if (clash && !Dialogs::ask(dialogTitle, *clash))
        return;
    // The target system's filter is offered second and preselected.
    const std::shared_ptr<const FileFilter> batFilter = std::make_shared<BatFilter>();
    const std::shared_ptr<const FileFilter> shFilter = std::make_shared<ShFilter>();
    const bool windows = system == TargetSystem::Windows;
    const std::vector filters{windows ? shFilter : batFilter, windows ? batFilter : shFilter};
    const std::optional<Dialogs::FileAnswer> answer =
        Dialogs::chooseFiles({.mode = Dialogs::FileMode::Save,
                              .title = QStringLiteral("Create Script File"),
                              .startDirectory = outputFolderToStartIn(),
                              .filters = filters,
                              .currentFilter = 1});
    if (!answer || answer->files.isEmpty())
        return;

    const int selected = answer->selectedFilter;
    const bool shellCurrent = selected >= 0 && filters[static_cast<size_t>(selected)] == shFilter;
    const QString target = scriptFileName(answer->files.first(), shellCurrent);

    // A new target is first made as an empty file, and a folder that refuses
    // it is reported at once, before the writing below fails and is reported
    // as well. The empty file is removed again if the script is not written.
    bool madeEmpty = false;
    if (!QFileInfo::exists(target)) {
        QFile empty(target);
        madeEmpty = empty.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        if (!madeEmpty)
            warnExportFailed();
    }

    const QString error = writeFileAtomically(target, [](QIODevice& file) {
        return writeExportScript(file, model->rows(), commandSettings(), version);
    });
    if (!error.isEmpty()) {
        if (madeEmpty)
            QFile::remove(target);
        warnExportFailed();
        return;
    }
    // Written all the same: the script may well run on another machine.
    QString created = QStringLiteral("Script created!");
    if (checkConverter(fieldImfCopy->text()) != ConverterState::Found)
        created += QStringLiteral("\n\n") +
                   converterNotHereText(QDir::toNativeSeparators(fieldImfCopy->text()));
    Dialogs::showMessage(Dialogs::MessageKind::Information, QStringLiteral("Success"), created);
}

void CorvaneGUI::ListenerCreateScript::actionPerformed() const {
    createScript();
}
