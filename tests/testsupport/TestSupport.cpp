#include "TestSupport.h"

#include "conversion/run/RunSession.h"
#include "joblist/JobTableModel.h"
#include "joblist/scan/ImageScan.h"
#include "testsupport/DialogRecorder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUuid>

namespace TestSupport {

#ifdef Q_OS_WIN
namespace {
// The folders fresh application names gave; removed with the test program.
struct ProgramFolders {
    QStringList paths;
    ~ProgramFolders() {
        for (const QString& path : paths) {
            QDir(path).removeRecursively();
            QFile::remove(path);
        }
    }
};
ProgramFolders programFolders;

// The folder Qt keeps this program's files in under a known folder.
QString programFolder(QStandardPaths::StandardLocation location) {
    QString path = QStandardPaths::writableLocation(location);
    if (location == QStandardPaths::CacheLocation)
        path = QFileInfo(path).path(); // ".../<name>/cache"
    return path;
}

// Puts a plain file where a location's folder would be, when `stand` is one.
void blockIfFile(const QString& stand, QStandardPaths::StandardLocation location) {
    if (!QFileInfo(stand).isFile())
        return;
    const QString folder = programFolder(location);
    QDir(folder).removeRecursively();
    TestFiles::writeFile(folder, "not a folder");
}
} // namespace
#endif

std::unique_ptr<CorvaneGUI>
makeWindow(const QString& osName, const std::function<bool(const QString&)>& exists,
           const std::function<QStringList(const QString&)>& listFolder) {
    Dialogs::Testing::reset();
    // Runs keep their scripts under the user's cache, and their ledger in
    // the user's data: never the real ones.
    static std::unique_ptr<QTemporaryDir> home;
    home = std::make_unique<QTemporaryDir>();
#ifdef Q_OS_WIN
    QCoreApplication::setApplicationName(QStringLiteral("corvane-test-") +
                                         QUuid::createUuid().toString(QUuid::Id128).left(12));
    programFolders.paths << programFolder(QStandardPaths::CacheLocation)
                         << programFolder(QStandardPaths::AppDataLocation);
#endif
    useCacheFolder(home->filePath(QStringLiteral("cache")));
    useDataFolder(home->filePath(QStringLiteral("data")));
    auto window =
        std::make_unique<CorvaneGUI>(CorvaneGUI::Environment{osName, exists, listFolder, {}});
    CorvaneGUI::notifier.reset(); // a test never shows anything on the desktop
    return window;
}

bool writeImage(const QString& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    // Qt for Windows as built here has no TIFF or TGA writer: such a name then holds PNG
    // data, which the stand-in converter reads by its content all the same.
    return image.save(path) || image.save(path, "png");
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

QStringList column(int index) {
    QStringList texts;
    for (int row = 0; row < CorvaneGUI::model->rowCount(); ++row)
        texts << CorvaneGUI::model->index(row, index).data().toString();
    return texts;
}

int runSavedScript(const QString& stem) {
    QProcess shell;
#ifdef Q_OS_WIN
    shell.start(QStringLiteral("cmd"), {"/c", QDir::toNativeSeparators(stem + ".bat")});
    shell.closeWriteChannel();
#else
    shell.start(QStringLiteral("bash"), {stem + ".sh"});
#endif
    if (!shell.waitForFinished(60000)) {
        shell.kill();
        shell.waitForFinished();
        return -1;
    }
    return shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
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

QString failedRunText(int exitCode) {
    if (hostFlavour() == TargetSystem::Windows)
        return QStringLiteral("Error Processing Files");
    return QStringLiteral("Error Processing Files. Code: 0") + QString::number(exitCode);
}

void useCacheFolder(const QString& folder) {
#ifdef Q_OS_WIN
    blockIfFile(folder, QStandardPaths::CacheLocation);
#else
    qputenv("XDG_CACHE_HOME", folder.toLocal8Bit());
#endif
}

void useDataFolder(const QString& data) {
#ifdef Q_OS_WIN
    blockIfFile(data, QStandardPaths::AppDataLocation);
#else
    qputenv("XDG_DATA_HOME", data.toLocal8Bit());
#endif
}

QString cacheLocation() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

} // namespace TestSupport
