#pragma once

#include "app/Dialogs.h"

// The recorded state of the test side of Dialogs; internal to the seam.
namespace Dialogs::Testing::Detail {
bool enabled();
bool realFileDialogs();
bool takeAnswer();
bool takeOffer();
bool realMessageBoxes();
std::optional<FileAnswer> takeFiles(const FileRequest& request);
void recordFileRequest(const FileRequest& request);
void record(Message message);
void recordQuestion(const QString& title, const QString& text);
bool recordUrl(const QUrl& url);
bool realFarmDialog();
std::optional<FarmSettings> takeFarmSettings(int images);
void recordFarmSettingsRequest(int images);
} // namespace Dialogs::Testing::Detail
