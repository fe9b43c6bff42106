// Filling the job table and keeping its targets in step with the output choice.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "joblist/rules/ImagesFilter.h"
#include "joblist/rules/TargetPaths.h"
#include "joblist/scan/ImageRows.h"
#include "joblist/scan/ImageScan.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

bool CorvaneGUI::addImageRow(const QString& path) {
    std::optional<JobRow> row = rowForImage(path);
    if (!row)
        return false;
    model->appendRow(std::move(*row));
    return true;
}

void CorvaneGUI::addImageRows(const QStringList& paths, const QString& root) {
    addImageGroups({ImageGroup{root, paths}});
}

void CorvaneGUI::addImageGroups(const std::vector<ImageGroup>& groups) {
    // One insertion, however many folders.
    model->appendRows(
        rowsForImages(groups, [](const QString& root) { return model->addRoot(root); }));
}

void CorvaneGUI::recomputeTargets() {
    const OutputChoice output{checkSameDirectory->isChecked(), fieldDirectory->text()};
    // Stops at the first row it cannot place; that row and the ones below
    // keep their old targets.
    model->rewriteNewImages([&](const QString& image, QStringView root, QString& newImage) {
        return writeTarget(newImage, image, root, output);
    });
}

QString CorvaneGUI::outputFolderToStartIn() {
    const QString folder = fieldDirectory->text();
    return !checkSameDirectory->isChecked() && QFileInfo(folder).isDir() ? folder : QString();
}

int CorvaneGUI::selectedRowIndex() {
    const std::vector<int> rows = table->selectedRowNumbers();
    return rows.empty() ? -1 : rows.front();
}

std::vector<int> CorvaneGUI::selectedRowIndexes() {
    return table->selectedRowNumbers();
}

void CorvaneGUI::ListenerAddImages::actionPerformed() const {
    if (const std::optional<Dialogs::FileAnswer> answer =
            Dialogs::chooseFiles({.mode = Dialogs::FileMode::OpenFiles,
                                  .title = QStringLiteral("Select Images"),
                                  .startDirectory = chooserDirectory,
                                  .filters = {std::make_shared<ImagesFilter>()},
                                  .currentFilter = 0,
                                  .allFilesChoice = false}))
        addImageRows(answer->files);
}

void CorvaneGUI::ListenerAddDirectory::actionPerformed() const {
    if (const std::optional<QString> folder =
            Dialogs::chooseFile({.mode = Dialogs::FileMode::Directory,
                                 .title = QStringLiteral("Select Directory of Images"),
                                 .startDirectory = chooserDirectory}))
        scanAndAdd({*folder});
}

void CorvaneGUI::ListenerOpenDirectory::actionPerformed() const {
    if (const std::optional<QString> folder =
            Dialogs::chooseFile({.mode = Dialogs::FileMode::Directory,
                                 .title = QStringLiteral("Select Directory for Processed Images"),
                                 .startDirectory = fieldDirectory->text(),
                                 .allFilesChoice = false,
                                 .acceptLabel = QStringLiteral("Open")}))
        fieldDirectory->setText(QDir::toNativeSeparators(*folder));
}

void CorvaneGUI::ListenerSameDirectory::itemStateChanged() const {
    const bool intoDirectory = !checkSameDirectory->isChecked();
    fieldDirectory->setEnabled(intoDirectory);
    labelDirectory->setEnabled(intoDirectory);
    buttonDirectoryBrowse->setEnabled(intoDirectory);
    recomputeTargets();
}

void CorvaneGUI::ListenerDirectory::textChanged() const {
    recomputeTargets();
}
