// File > "Add From Scene...": the textures a scene or a list of paths uses,
// read on the scan's worker thread and added as "Add Images" adds files.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "joblist/JobTableModel.h"
#include "joblist/scan/FolderNames.h"
#include "joblist/scene/SceneAdding.h"
#include "joblist/scene/SceneFilesFilter.h"

namespace {
const QString boxTitle = QStringLiteral("Add From Scene");
} // namespace

void CorvaneGUI::ListenerAddFromScene::actionPerformed() const {
    Dialogs::FileRequest request;
    request.mode = Dialogs::FileMode::OpenFiles;
    request.title = QStringLiteral("Select Scene or Texture List");
    request.startDirectory = chooserDirectory;
    request.filters = {std::make_shared<SceneFilesFilter>()};
    request.currentFilter = 0;
    request.allFilesChoice = false;
    if (const std::optional<Dialogs::FileAnswer> answer = Dialogs::chooseFiles(request))
        scanAndAdd(answer->files); // the scan reads scene files, as when they are dropped
}

void CorvaneGUI::addSceneTextures(const std::vector<SceneTextures>& scenes) {
    // Two paths that only differ in letter case name one file where the file
    // system says so: there a texture already listed is not added again.
    const SceneBox box = sceneBox(scenes, model->rows(), FolderNames::caseSensitivity());
    addImageRows(box.newFiles);
    Dialogs::showMessage(box.warning ? Dialogs::MessageKind::Warning
                                     : Dialogs::MessageKind::Information,
                         boxTitle, box.text, box.details);
}
