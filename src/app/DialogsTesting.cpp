#include "app/DialogsTesting.h"

#include <deque>

namespace Dialogs::Testing {
namespace {
struct State {
    bool enabled = false;
    bool openUrlResult = true;
    bool realFileDialogs = false;
    bool realMessageBoxes = false;
    bool realFarmDialog = false;
    std::deque<bool> answers;
    std::deque<bool> offers;
    std::deque<std::optional<FileAnswer>> files;
    std::vector<Message> messages;
    std::vector<QString> questions;
    std::vector<QString> questionTitles;
    std::vector<FileRequest> fileRequests;
    std::vector<QUrl> urls;
    std::deque<std::optional<FarmSettings>> farmSettings;
    std::vector<int> farmSettingsRequests;
};

State& state() {
    static State s;
    return s;
}
} // namespace

void enable() {
    state().enabled = true;
}

void reset() {
    state() = State{};
    state().enabled = true;
}

void queueAnswer(bool yes) {
    state().answers.push_back(yes);
}

void queueOfferTaken(bool taken) {
    state().offers.push_back(taken);
}

void showRealMessageBoxes(bool real) {
    state().realMessageBoxes = real;
}

void queueFiles(std::optional<FileAnswer> answer) {
    state().files.push_back(std::move(answer));
}

void setOpenUrlResult(bool result) {
    state().openUrlResult = result;
}

const std::vector<Message>& messages() {
    return state().messages;
}

void showRealFileDialogs(bool real) {
    state().realFileDialogs = real;
}

const std::vector<QString>& questions() {
    return state().questions;
}

const std::vector<QString>& questionTitles() {
    return state().questionTitles;
}

const std::vector<FileRequest>& fileRequests() {
    return state().fileRequests;
}

const std::vector<QUrl>& openedUrls() {
    return state().urls;
}

void queueFarmSettings(std::optional<FarmSettings> answer) {
    state().farmSettings.push_back(answer);
}

void showRealFarmDialog(bool real) {
    state().realFarmDialog = real;
}

const std::vector<int>& farmSettingsRequests() {
    return state().farmSettingsRequests;
}

namespace Detail {
bool enabled() {
    return state().enabled;
}

bool realFileDialogs() {
    return state().realFileDialogs;
}

bool realMessageBoxes() {
    return state().realMessageBoxes;
}

bool takeOffer() {
    if (state().offers.empty())
        return false;
    const bool taken = state().offers.front();
    state().offers.pop_front();
    return taken;
}

bool takeAnswer() {
    if (state().answers.empty())
        return false;
    const bool yes = state().answers.front();
    state().answers.pop_front();
    return yes;
}

void recordFileRequest(const FileRequest& request) {
    state().fileRequests.push_back(request);
}

std::optional<FileAnswer> takeFiles(const FileRequest& request) {
    recordFileRequest(request);
    if (state().files.empty())
        return std::nullopt;
    std::optional<FileAnswer> answer = std::move(state().files.front());
    state().files.pop_front();
    return answer;
}

void record(Message message) {
    state().messages.push_back(std::move(message));
}

void recordQuestion(const QString& title, const QString& text) {
    state().questionTitles.push_back(title);
    state().questions.push_back(text);
}

bool recordUrl(const QUrl& url) {
    state().urls.push_back(url);
    return state().openUrlResult;
}

bool realFarmDialog() {
    return state().realFarmDialog;
}

void recordFarmSettingsRequest(int images) {
    state().farmSettingsRequests.push_back(images);
}

std::optional<FarmSettings> takeFarmSettings(int images) {
    recordFarmSettingsRequest(images);
    if (state().farmSettings.empty())
        return std::nullopt;
    const std::optional<FarmSettings> answer = state().farmSettings.front();
    state().farmSettings.pop_front();
    return answer;
}
} // namespace Detail
} // namespace Dialogs::Testing
