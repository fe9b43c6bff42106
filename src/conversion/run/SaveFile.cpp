#include "conversion/run/SaveFile.h"

#include <QSaveFile>

QString writeFileAtomically(const QString& path, const std::function<bool(QIODevice&)>& writer) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    if (!writer(file)) {
        const QString error = file.error() != QFileDevice::NoError
                                  ? file.errorString()
                                  : QStringLiteral("the content could not be composed");
        file.cancelWriting();
        return error;
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

QString writeFileAtomically(const QString& path, const QByteArray& bytes) {
    return writeFileAtomically(path,
                               [&](QIODevice& file) { return file.write(bytes) == bytes.size(); });
}
