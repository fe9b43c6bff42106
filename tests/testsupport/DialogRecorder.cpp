#include "testsupport/DialogRecorder.h"

#include <deque>

namespace Dialogs::Testing {
namespace {
template <typename T> std::optional<T> takeFront(std::deque<T>& queue) {
    if (queue.empty())
        return std::nullopt;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

class Recorder final : public Answerer {
public:
    bool openUrlResult = true;
    bool realFileDialogs = false;
    bool realMessageBoxes = false;
    bool realFarmDialog = false;
    std::deque<bool> answers;
    std::deque<bool> offers;
    std::deque<std::optional<FileAnswer>> files;
    std::deque<std::optional<FarmSettings>> farmSettings;
    std::vector<Message> messages;
    std::vector<QString> questions;
    std::vector<QString> questionTitles;
    std::vector<FileRequest> fileRequests;
    std::vector<QUrl> urls;
    std::vector<int> farmSettingsRequests;

    bool message(MessageKind kind, const QString& title, const QString& text,
                 const QString& details, const QString& offer) override {
        messages.push_back({kind, title, text, details, offer, false});
        if (realMessageBoxes)
            return Answerer::message(kind, title, text, details, offer);
        return !offer.isEmpty() && takeFront(offers).value_or(false);
    }
    void showText(const QString& title, const QString& heading, const QString& text) override {
        messages.push_back({MessageKind::Information, title, heading, text, {}, true});
        if (realMessageBoxes)
            Answerer::showText(title, heading, text);
    }
    bool ask(const QString& title, const QString& text) override {
        questionTitles.push_back(title);
        questions.push_back(text);
        return takeFront(answers).value_or(false);
    }
    std::optional<FileAnswer> chooseFiles(const FileRequest& request) override {
        fileRequests.push_back(request);
        if (realFileDialogs)
            return Answerer::chooseFiles(request);
        return takeFront(files).value_or(std::nullopt);
    }
    bool openUrl(const QUrl& url) override {
        urls.push_back(url);
        return openUrlResult;
    }
    std::optional<FarmSettings> askFarmSettings(int images) override {
        farmSettingsRequests.push_back(images);
        if (realFarmDialog)
            return Answerer::askFarmSettings(images);
        return takeFront(farmSettings).value_or(std::nullopt);
    }
};

Recorder& recorder() {
    static Recorder r;
    return r;
}
} // namespace

void enable() {
    setAnswerer(&recorder());
}

void reset() {
    recorder() = Recorder{};
    enable();
}

void queueAnswer(bool yes) {
    recorder().answers.push_back(yes);
}

void queueOfferTaken(bool taken) {
    recorder().offers.push_back(taken);
}

void showRealMessageBoxes(bool real) {
    recorder().realMessageBoxes = real;
}

void queueFiles(std::optional<FileAnswer> answer) {
    recorder().files.push_back(std::move(answer));
}

void setOpenUrlResult(bool result) {
    recorder().openUrlResult = result;
}

void showRealFileDialogs(bool real) {
    recorder().realFileDialogs = real;
}

void queueFarmSettings(std::optional<FarmSettings> answer) {
    recorder().farmSettings.push_back(std::move(answer));
}

void showRealFarmDialog(bool real) {
    recorder().realFarmDialog = real;
}

const std::vector<Message>& messages() {
    return recorder().messages;
}

const std::vector<QString>& questions() {
    return recorder().questions;
}

const std::vector<QString>& questionTitles() {
    return recorder().questionTitles;
}

const std::vector<FileRequest>& fileRequests() {
    return recorder().fileRequests;
}

const std::vector<QUrl>& openedUrls() {
    return recorder().urls;
}

const std::vector<int>& farmSettingsRequests() {
    return recorder().farmSettingsRequests;
}
} // namespace Dialogs::Testing
