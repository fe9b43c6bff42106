#include "app/Dialogs.h"

#include "app/CorvaneGUI.h"
#include "app/FileFilterProxyModel.h"
#include "conversion/FarmJobDialog.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDatabase>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

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

// The dialog's file-type box. Its position, not its text, says which filter is
// current: with HideNameFilterDetails Qt hands back shortened names that match
// none of the names it was given.
QComboBox* fileTypeBox(const QFileDialog& dialog) {
    return dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
}
QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        break;
    }
    return QMessageBox::Critical;
}

Answerer desktop;
Answerer* answerer = &desktop;
} // namespace

void setAnswerer(Answerer* replacement) {
    answerer = replacement ? replacement : &desktop;
}

void showMessage(MessageKind kind, const QString& title, const QString& text,
                 const QString& details) {
    answerer->message(kind, title, text, details, {});
}

bool showMessageOffering(MessageKind kind, const QString& title, const QString& text,
                         const QString& details, const QString& offer) {
    return answerer->message(kind, title, text, details, offer);
}

void showText(const QString& title, const QString& heading, const QString& text) {
    answerer->showText(title, heading, text);
}

bool ask(const QString& title, const QString& text) {
    return answerer->ask(title, text);
}

std::optional<FileAnswer> chooseFiles(const FileRequest& request) {
    return answerer->chooseFiles(request);
}

std::optional<QString> chooseFile(const FileRequest& request) {
    const std::optional<FileAnswer> answer = chooseFiles(request);
    if (!answer || answer->files.isEmpty())
        return std::nullopt;
    return answer->files.first();
}

bool openUrl(const QUrl& url) {
    return answerer->openUrl(url);
}

std::optional<FarmSettings> askFarmSettings(int images) {
    return answerer->askFarmSettings(images);
}

bool Answerer::message(MessageKind kind, const QString& title, const QString& text,
                       const QString& details, const QString& offer) {
    QMessageBox box(iconOf(kind), title, text, QMessageBox::Ok, CorvaneGUI::frame);
    if (!details.isEmpty())
        box.setDetailedText(details);
    const QAbstractButton* extra =
        offer.isEmpty() ? nullptr : box.addButton(offer, QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
    return extra && box.clickedButton() == extra;
}

void Answerer::showText(const QString& title, const QString& heading, const QString& text) {
    QDialog dialog(CorvaneGUI::frame);
    dialog.setWindowTitle(title);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(heading);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(label);
    auto* body = new QPlainTextEdit(text);
    body->setReadOnly(true);
    body->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    body->setLineWrapMode(QPlainTextEdit::NoWrap); // converter output keeps its columns
    body->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(body);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(600, 340);
    dialog.exec();
}

bool Answerer::ask(const QString& title, const QString& text) {
    return QMessageBox::question(CorvaneGUI::frame, title, text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<FileAnswer> Answerer::chooseFiles(const FileRequest& request) {
    QFileDialog dialog(CorvaneGUI::frame);
    configure(dialog, request);
    auto* proxy = new FileFilterProxyModel(request.filters, &dialog);
    dialog.setProxyModel(proxy);
    const int filterCount = static_cast<int>(request.filters.size());
    // Positions past our filters are the dialog's own "everything" choice.
    auto filterAt = [filterCount](int index) { return index < filterCount ? index : -1; };
    int current = -1;
    const QStringList names = nameFiltersOf(request);
    if (request.mode != FileMode::Directory && !names.isEmpty()) {
        dialog.setNameFilters(names);
        current = std::clamp(request.currentFilter, 0, static_cast<int>(names.size()) - 1);
        dialog.selectNameFilter(names[current]);
        if (QComboBox* box = fileTypeBox(dialog)) {
            box->setCurrentIndex(current);
            QObject::connect(
                box, &QComboBox::currentIndexChanged, proxy,
                [proxy, filterAt](int index) { proxy->setActiveFilter(filterAt(index)); });
        }
        proxy->setActiveFilter(filterAt(current));
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;

    FileAnswer answer;
    for (const QString& file : dialog.selectedFiles())
        answer.files << QDir::toNativeSeparators(file);
    if (current >= 0) {
        const QComboBox* box = fileTypeBox(dialog);
        answer.selectedFilter = filterAt(box ? box->currentIndex() : current);
    }
    return answer;
}

bool Answerer::openUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

std::optional<FarmSettings> Answerer::askFarmSettings(int images) {
    FarmJobDialog dialog(images, CorvaneGUI::frame);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.settings();
}

} // namespace Dialogs
