#include "TestSupport.h"

#include "app/Dialogs.h"

#include <QFile>
#include <QImage>

namespace TestSupport {

std::unique_ptr<CorvaneGUI> makeWindow(const QString& osName,
                                       const std::function<bool(const QString&)>& exists) {
    Dialogs::Testing::reset();
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

QByteArray readAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace TestSupport
