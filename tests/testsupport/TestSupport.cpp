#include "TestSupport.h"

#include "app/Dialogs.h"
#include "app/RunController.h"
#include "joblist/JobTableModel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace TestSupport {

std::unique_ptr<CorvaneGUI> makeWindow(const QString& osName,
                                       const std::function<bool(const QString&)>& exists) {
    Dialogs::Testing::reset();
    // Runs keep their scripts under the user's cache: never the real one.
    static std::unique_ptr<QTemporaryDir> cache;
    cache = std::make_unique<QTemporaryDir>();
    useCacheFolder(cache->path());
    return std::make_unique<CorvaneGUI>(CorvaneGUI::Environment{osName, exists});
}

QString fakeConverter() {
    return QStringLiteral(FAKE_IMF_COPY);
}

bool writeImage(const QString& path, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 200));
    return image.save(path);
}

bool writeFile(const QString& path, const QByteArray& bytes, bool executable) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return !executable || file.setPermissions(file.permissions() | QFile::ExeOwner);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
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
    QElapsedTimer clock;
    clock.start();
    while (RunController::active() && clock.elapsed() < timeoutMs)
        QTest::qWait(5);
    return !RunController::active();
}

void useCacheFolder(const QString& folder) {
    qputenv("XDG_CACHE_HOME", folder.toLocal8Bit());
}

} // namespace TestSupport
