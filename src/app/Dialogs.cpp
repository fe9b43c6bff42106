#include "app/Dialogs.h"

#include "app/CorvaneGUI.h"
#include "app/DialogsTesting.h"
#include "app/FileFilterProxyModel.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace Dialogs {
namespace {
const QString allFilesFilter = QStringLiteral("All Files (*)");

// The dialog shows only the description; the "(*)" pattern lets every entry
// reach the proxy, which applies the real filter.
QString nameFilterOf(const FileFilter& filter) {
    return filter.description() + QStringLiteral(" (*)");
}

QStringList nameFiltersOf(const FileRequest& request) {
    QStringList names;
    for (const auto& filter : request.filters)
        names << nameFilterOf(*filter);
    if (request.allFilesChoice)
        names << allFilesFilter;
    return names;
}

void configure(QFileDialog& dialog, const FileRequest& request) {
    dialog.setWindowTitle(request.title);
    // No usable start folder: begin at home, as desktop file choosers do.
    const bool usable = !request.startDirectory.isEmpty() && QDir(request.startDirectory).exists();
    dialog.setDirectory(usable ? request.startDirectory : QDir::homePath());
    dialog.setOption(QFileDialog::DontUseNativeDialog); // the proxy needs Qt's own dialog
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    switch (request.mode) {
    case FileMode::OpenFile:
        dialog.setFileMode(QFileDialog::ExistingFile);
        break;
    case FileMode::OpenFiles:
        dialog.setFileMode(QFileDialog::ExistingFiles);
        break;
    case FileMode::Directory:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    case FileMode::Save:
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setOption(QFileDialog::DontConfirmOverwrite); // replacing is the expected outcome
        break;
    }
    if (!request.acceptLabel.isEmpty())
        dialog.setLabelText(QFileDialog::Accept, request.acceptLabel);
}
} // namespace

void showMessage(MessageKind kind, const QString& title, const QString& text,
                 const QString& details) {
    if (Testing::Detail::enabled()) {
        Testing::Detail::record(kind, title, text, details);
        return;
    }
    const QMessageBox::Icon icon = kind == MessageKind::Information ? QMessageBox::Information
                                   : kind == MessageKind::Warning   ? QMessageBox::Warning
                                                                    : QMessageBox::Critical;
    QMessageBox box(icon, title, text, QMessageBox::Ok, CorvaneGUI::frame);
    if (!details.isEmpty())
        box.setDetailedText(details);
    box.exec();
}

bool ask(const QString& title, const QString& text) {
    if (Testing::Detail::enabled()) {
        Testing::Detail::recordQuestion(text);
        return Testing::Detail::takeAnswer();
    }
    return QMessageBox::question(CorvaneGUI::frame, title, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<FileAnswer> chooseFiles(const FileRequest& request) {
    if (Testing::Detail::enabled())
        return Testing::Detail::takeFiles(request);

    QFileDialog dialog(CorvaneGUI::frame);
    configure(dialog, request);
    auto* proxy = new FileFilterProxyModel(request.filters, &dialog);
    dialog.setProxyModel(proxy);
    const QStringList names = nameFiltersOf(request);
    if (request.mode != FileMode::Directory) {
        dialog.setNameFilters(names);
        const int current = request.currentFilter >= 0 ? request.currentFilter : 0;
        if (current < names.size())
            dialog.selectNameFilter(names[current]);
        proxy->setActiveFilter(current < static_cast<int>(request.filters.size()) ? current : -1);
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, proxy,
            [proxy, names, count = static_cast<int>(request.filters.size())](const QString& name) {
                const int index = static_cast<int>(names.indexOf(name));
                proxy->setActiveFilter(index < count ? index : -1);
            });
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    FileAnswer answer;
    for (const QString& file : dialog.selectedFiles())
        answer.files << QDir::toNativeSeparators(file);
    const int selected = static_cast<int>(names.indexOf(dialog.selectedNameFilter()));
    answer.selectedFilter = selected < static_cast<int>(request.filters.size()) ? selected : -1;
    return answer;
}

bool openUrl(const QUrl& url) {
    if (Testing::Detail::enabled())
        return Testing::Detail::recordUrl(url);
    return QDesktopServices::openUrl(url);
}

} // namespace Dialogs
