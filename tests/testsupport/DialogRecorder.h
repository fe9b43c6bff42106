#pragma once

#include "app/Dialogs.h"

#include <optional>
#include <vector>

// The test side of the Dialogs seam: once enabled, nothing is shown; answers
// come from the queues (a question with no queued answer is "No", a dialog
// with none is cancelled) and every exchange is recorded. With real file
// dialogs switched on, chooseFiles still records each request but shows the
// real dialog, for a test to work through its widgets; messages and questions
// stay recorded. The farm settings dialog has its switch of its own;
// unanswered, it is cancelled.
namespace Dialogs::Testing {
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
} // namespace Dialogs::Testing
