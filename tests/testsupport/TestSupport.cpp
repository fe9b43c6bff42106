#include "TestSupport.h"

#include "conversion/run/RunSession.h"
#include "joblist/JobTableModel.h"
#include "joblist/scan/ImageScan.h"
#include "testsupport/DialogRecorder.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

namespace TestSupport {

std::unique_ptr<CorvaneGUI>
makeWindow(const QString& osName, const std::function<bool(const QString&)>& exists,
           const std::function<QStringList(const QString&)>& listFolder) {
    Dialogs::Testing::reset();
    // Runs keep their scripts under the user's cache, and their ledger in
    // the user's data: never the real ones.
    static std::unique_ptr<QTemporaryDir> home;
    home = std::make_unique<QTemporaryDir>();
    useCacheFolder(home->filePath(QStringLiteral("cache")));
    qputenv("XDG_DATA_HOME", home->filePath(QStringLiteral("data")).toLocal8Bit());
    auto window = std::make_unique<CorvaneGUI>(CorvaneGUI::Environment{osName, exists, listFolder});
    CorvaneGUI::notifier.reset(); // a test never shows anything on the desktop
    return window;
}

bool writeImage(const QString& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    return image.save(path);
}

void setStatus(JobTableModel& model, int row, const QString& status) {
    model.rowForQuietUpdate(row).status = status;
    model.announceRows(row, row);
}

QStringList statuses() {
    QStringList texts;
    for (const JobRow& row : CorvaneGUI::model->rows())
        texts << row.status;
    return texts;
}

QList<bool> ticks() {
    QList<bool> values;
    for (const JobRow& row : CorvaneGUI::model->rows())
        values << row.process;
    return values;
}

bool finishRun(int timeoutMs) {
    if (!CorvaneGUI::activeRun)
        return true;
    // The window's own handler of the end runs first: the box is recorded and
    // the run let go by the time the spy hears of it.
    QSignalSpy ended(CorvaneGUI::activeRun.data(), &RunSession::ended);
    return ended.wait(timeoutMs) || !CorvaneGUI::activeRun;
}

bool finishScan(int timeoutMs) {
    if (!CorvaneGUI::activeScan)
        return true;
    // The window's handler of the end runs first: the rows are in by the time
    // the spy hears of it.
    QSignalSpy ended(CorvaneGUI::activeScan.data(), &ImageScan::finished);
    return ended.wait(timeoutMs) || !CorvaneGUI::activeScan;
}

void useCacheFolder(const QString& folder) {
    qputenv("XDG_CACHE_HOME", folder.toLocal8Bit());
}

} // namespace TestSupport
