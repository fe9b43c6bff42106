#pragma once

#include "conversion/rules/FarmJob.h"
#include "joblist/rules/FileFilter.h"

#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

// Every modal exchange with the user, and every hand-over to the desktop,
// passes through here, so tests can answer instead of a person.
namespace Dialogs {

enum class MessageKind { Information, Warning, Error };

// A modal message box over the main window; `details` fill its "Show
// Details..." section when given.
void showMessage(MessageKind kind, const QString& title, const QString& text,
                 const QString& details = {});

// The same box with one more button beside OK (e.g. "Save Report..."); true
// when the user closed the box with that button.
bool showMessageOffering(MessageKind kind, const QString& title, const QString& text,
                         const QString& details, const QString& offer);

// A modal box with a longer text a person can select and copy (a row's report).
void showText(const QString& title, const QString& heading, const QString& text);

// A modal Yes/No question over the main window; true only for Yes.
bool ask(const QString& title, const QString& text);

enum class FileMode { OpenFile, OpenFiles, Directory, Save };

struct FileRequest {
    FileMode mode = FileMode::OpenFiles;
    QString title;
    QString startDirectory;
    std::vector<std::shared_ptr<const FileFilter>> filters; // offered in this order
    int currentFilter = -1;     // index into filters; -1 keeps the dialog's default
    bool allFilesChoice = true; // also offer the dialog's own "everything" choice
    QString acceptLabel;        // empty: the dialog's own text
};

struct FileAnswer {
    QStringList files;       // full paths, native separators
    int selectedFilter = -1; // index into the request's filters; -1 for "everything"
};

// Nothing when the user cancels.
std::optional<FileAnswer> chooseFiles(const FileRequest& request);

// Hands an address (a web page, or a local file or folder) to the desktop.
bool openUrl(const QUrl& url);

// The settings of a farm job of `images` ticked images, asked in a modal
// dialog over the main window; nothing when the user cancels.
std::optional<FarmSettings> askFarmSettings(int images);

// Test side: once enabled, nothing is shown; answers come from the queues
// (a question with no queued answer is "No", a dialog with none is cancelled)
// and every exchange is recorded. With real file dialogs switched on,
// chooseFiles still records each request but shows the real dialog, for a
// test to work through its widgets; messages and questions stay recorded.
// The farm settings dialog has its switch of its own; unanswered, it is
// cancelled.
namespace Testing {
struct Message {
    MessageKind kind;
    QString title;
    QString text;
    QString details;      // for showText, its selectable text
    QString offer;        // the extra button of showMessageOffering
    bool textBox = false; // shown by showText
};

void enable();
void reset();
void queueAnswer(bool yes);
// Whether the next box with an extra button is closed by it (not queued: OK).
void queueOfferTaken(bool taken);
// Shows the real message boxes (showMessage, showMessageOffering, showText),
// still recording each, for a test to work through their widgets.
void showRealMessageBoxes(bool real);
void queueFiles(std::optional<FileAnswer> answer);
void setOpenUrlResult(bool result);
void showRealFileDialogs(bool real);
void queueFarmSettings(std::optional<FarmSettings> answer);
void showRealFarmDialog(bool real);

const std::vector<Message>& messages();
const std::vector<QString>& questions();      // their texts
const std::vector<QString>& questionTitles(); // one for each text
const std::vector<FileRequest>& fileRequests();
const std::vector<QUrl>& openedUrls();
const std::vector<int>& farmSettingsRequests(); // the image count of each
} // namespace Testing

} // namespace Dialogs
