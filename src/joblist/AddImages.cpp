// Filling the job table and keeping its targets in step with the output choice.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "joblist/rules/ImagesFilter.h"
#include "joblist/rules/TargetPaths.h"
#include "joblist/scan/ImageScan.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
// A new row shows its beside-the-source target until the next recomputation;
// its line goes wherever the output choice says all the same.
std::optional<JobRow> rowFor(const QString& path, quint32 root = ImageRoots::OwnFolder) {
    std::optional<QString> target = sameDirectoryTarget(path);
    if (!target)
        return std::nullopt;
    return JobRow{true, path, std::move(*target), Status::Unprocessed, root};
}

void appendRowsFor(std::vector<JobRow>& rows, const QStringList& paths, quint32 root) {
    for (const QString& path : paths) {
        if (std::optional<JobRow> row = rowFor(path, root))
            rows.push_back(std::move(*row));
    }
}
} // namespace

bool CorvaneGUI::addImageRow(const QString& path) {
    std::optional<JobRow> row = rowFor(path);
    if (!row)
        return false;
    model->appendRow(std::move(*row));
    return true;
}

void CorvaneGUI::addImageRows(const QStringList& paths, const QString& root) {
    std::vector<JobRow> rows;
    rows.reserve(static_cast<size_t>(paths.size()));
    appendRowsFor(rows, paths, model->addRoot(root));
    model->appendRows(std::move(rows));
}

void CorvaneGUI::addImageGroups(const std::vector<ImageGroup>& groups) {
    std::vector<JobRow> rows;
    qsizetype count = 0;
    for (const ImageGroup& group : groups)
        count += group.images.size();
    rows.reserve(static_cast<size_t>(count));
    for (const ImageGroup& group : groups)
        appendRowsFor(rows, group.images, model->addRoot(group.root));
    model->appendRows(std::move(rows)); // one insertion, however many folders
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
