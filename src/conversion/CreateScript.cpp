// "Create Script": saves the ticked rows' converter lines as a script to run later.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "conversion/SaveFile.h"
#include "conversion/ScriptText.h"
#include "conversion/TickedJobs.h"
#include "joblist/JobTableModel.h"
#include "joblist/TargetPaths.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

namespace {
void warnExportFailed() {
    Dialogs::showMessage(Dialogs::MessageKind::Warning, QStringLiteral("Error"),
                         QStringLiteral("Error Creating File"));
}
} // namespace

void CorvaneGUI::createScript() {
    auto batFilter = std::make_shared<BatFilter>();
    auto shFilter = std::make_shared<ShFilter>();
    Dialogs::FileRequest request;
    request.mode = Dialogs::FileMode::Save;
    request.title = QStringLiteral("Create Script File");
    if (!checkSameDirectory->isChecked() && QFileInfo(fieldDirectory->text()).isDir())
        request.startDirectory = fieldDirectory->text();
    // The target system's filter is offered second and preselected.
    if (system == 0)
        request.filters = {shFilter, batFilter};
    else
        request.filters = {batFilter, shFilter};
    request.currentFilter = 1;
    const std::optional<Dialogs::FileAnswer> answer = Dialogs::chooseFiles(request);
    if (!answer || answer->files.isEmpty())
        return;

    const int selected = answer->selectedFilter;
    const bool shellCurrent =
        selected >= 0 && request.filters[static_cast<size_t>(selected)] == shFilter;
    const QString target = scriptFileName(answer->files.first(), shellCurrent);

    // A file that could not even be created in its folder is reported at once,
    // as the writing below will be.
    const QFileInfo targetInfo(target);
    if (!targetInfo.exists() && !QFileInfo(targetInfo.absolutePath()).isDir())
        warnExportFailed();

    const QString error = writeFileAtomically(target, [](QIODevice& file) {
        return writeExportScript(file, model->rows(), commandSettings(), version);
    });
    if (!error.isEmpty()) {
        warnExportFailed();
        return;
    }
    Dialogs::showMessage(Dialogs::MessageKind::Information, QStringLiteral("Success"),
                         QStringLiteral("Script created!"));
}

void CorvaneGUI::ListenerCreateScript::actionPerformed() const {
    createScript();
}
