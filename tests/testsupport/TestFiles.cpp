#include "TestFiles.h"

#include <QFile>

namespace TestFiles {

QString fakeConverter() {
    return QStringLiteral(FAKE_IMF_COPY);
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

} // namespace TestFiles
