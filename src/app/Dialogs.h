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
    // Built with designated initializers: every member has its default here.
    FileMode mode = FileMode::OpenFiles;
    QString title = {};
    QString startDirectory = {};
    std::vector<std::shared_ptr<const FileFilter>> filters = {}; // offered in this order
    int currentFilter = -1;     // index into filters; -1 keeps the dialog's default
    bool allFilesChoice = true; // also offer the dialog's own "everything" choice
    QString acceptLabel = {};   // empty: the dialog's own text
};

struct FileAnswer {
    QStringList files;       // full paths, native separators
    int selectedFilter = -1; // index into the request's filters; -1 for "everything"
};

// Nothing when the user cancels.
std::optional<FileAnswer> chooseFiles(const FileRequest& request);
// The first path chosen; nothing when the user cancels or chooses none.
std::optional<QString> chooseFile(const FileRequest& request);

// Hands an address (a web page, or a local file or folder) to the desktop.
bool openUrl(const QUrl& url);

// The settings of a farm job of `images` ticked images, asked in a modal
// dialog over the main window; nothing when the user cancels.
std::optional<FarmSettings> askFarmSettings(int images);

// Who answers the functions above. This one shows the real dialogs; a test
// derives from it to answer instead (or to record a real dialog before
// showing it) and puts its own in place with setAnswerer.
class Answerer {
public:
    virtual ~Answerer() = default;
    // showMessage and showMessageOffering (offer empty for the former).
    virtual bool message(MessageKind kind, const QString& title, const QString& text,
                         const QString& details, const QString& offer);
    virtual void showText(const QString& title, const QString& heading, const QString& text);
    virtual bool ask(const QString& title, const QString& text);
    virtual std::optional<FileAnswer> chooseFiles(const FileRequest& request);
    virtual bool openUrl(const QUrl& url);
    virtual std::optional<FarmSettings> askFarmSettings(int images);
};

// Null puts the real dialogs back. The answerer must outlive its use.
void setAnswerer(Answerer* answerer);

} // namespace Dialogs
