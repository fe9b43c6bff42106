// The buttons under the job table (open, remove and reset) and selecting rows by status.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "joblist/rules/TargetPaths.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QUrl>

namespace {
// A converted row opens the .map file its line wrote (in the mirrored folder
// when the output directory is in use), any other row its source image.
QString pathToOpen(int index) {
    const JobRow& row = CorvaneGUI::model->row(index);
    if (row.status != Status::Converted)
        return row.image;
    return CorvaneGUI::commandTargetPath(index).value_or(row.newImage);
}
} // namespace

bool CorvaneGUI::openWithDesktop(const QString& path) {
    if (path.isEmpty())
        return false;
    return Dialogs::openUrl(QUrl::fromLocalFile(QDir::fromNativeSeparators(path)));
}

void CorvaneGUI::openRowFile(int row) {
    openWithDesktop(pathToOpen(row));
}

void CorvaneGUI::openRowFolder(int row) {
    const QString path = pathToOpen(row);
    const qsizetype separator = lastSeparator(path);
    if (separator < 0)
        return;
    openWithDesktop(path.left(separator));
}

void CorvaneGUI::ListenerTableOpenFile::actionPerformed() const {
    const int row = selectedRowIndex();
    if (row >= 0)
        openRowFile(row);
}

void CorvaneGUI::ListenerTableOpenFolder::actionPerformed() const {
    const int row = selectedRowIndex();
    if (row >= 0)
        openRowFolder(row);
}

void CorvaneGUI::ListenerTableDelete::actionPerformed() const {
    // The Delete key and the row menu reach here too, also while a run locks the list.
    if (model->isLocked() || selectedRowIndex() < 0 ||
        !Dialogs::ask(dialogTitle, QStringLiteral("Remove selected?")))
        return;
    model->removeAt(selectedRowIndexes()); // read again: the box may have taken a while
}

void CorvaneGUI::selectRowsWithStatus(const QString& status) {
    std::vector<int> rows;
    for (int i = 0; i < model->rowCount(); ++i)
        if (model->row(i).status == status)
            rows.push_back(i);
    table->selectRowNumbers(rows);
    if (!rows.empty())
        table->scrollTo(model->index(rows.front(), JobTableModel::ImageColumn));
    table->setFocus(); // so that Space and Delete act on what was selected
}

void CorvaneGUI::ListenerSelectFailed::actionPerformed() const {
    selectRowsWithStatus(Status::Failed);
}

void CorvaneGUI::ListenerSelectUnprocessed::actionPerformed() const {
    selectRowsWithStatus(Status::Unprocessed);
}

void CorvaneGUI::ListenerTableDeleteCon::actionPerformed() const {
    if (model->rowCount() == 0 ||
        !Dialogs::ask(dialogTitle, QStringLiteral("Remove converted files?")))
        return;
    model->removeIf([](const JobRow& row) { return row.status == Status::Converted; });
}

void CorvaneGUI::ListenerTableReset::actionPerformed() const {
    if (!Dialogs::ask(dialogTitle, QStringLiteral("Reset all?")))
        return;
    model->clear();
    applyDefaultOptions();
}
