// The buttons under the job table: open, remove and reset.
#include "app/CorvaneGUI.h"

#include "app/Dialogs.h"
#include "joblist/JobTableModel.h"
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

void CorvaneGUI::ListenerTableOpenFile::actionPerformed() const {
    const int row = selectedRowIndex();
    if (row < 0)
        return;
    openWithDesktop(pathToOpen(row));
}

void CorvaneGUI::ListenerTableOpenFolder::actionPerformed() const {
    const int row = selectedRowIndex();
    if (row < 0)
        return;
    const QString path = pathToOpen(row);
    const qsizetype separator = lastSeparator(path);
    if (separator < 0)
        return;
    openWithDesktop(path.left(separator));
}

void CorvaneGUI::ListenerTableDelete::actionPerformed() const {
    if (selectedRowIndex() < 0 || !Dialogs::ask(dialogTitle, QStringLiteral("Remove selected?")))
        return;
    const int row = selectedRowIndex();
    if (row >= 0)
        model->removeRows(row, 1);
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
