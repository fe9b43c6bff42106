#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <filesystem>

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

#ifdef Q_OS_WIN
namespace {
// The path with Windows' "\\?\" prefix, which hands every character to the file system as
// it is, trailing dots included.
std::filesystem::path verbatim(const QString& path) {
    const QString absolute = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    return std::filesystem::path((QStringLiteral("\\\\?\\") + absolute).toStdWString());
}
} // namespace

bool makeUnreadableFolder(const QString& parent) {
    // Windows' path rules drop a name's trailing dot, so no ordinary path reaches a folder
    // named "tile." (made by another system, or through the prefix as here).
    namespace fs = std::filesystem;
    const fs::path folder = verbatim(parent + QStringLiteral("/unreachable."));
    std::error_code error;
    if (!fs::create_directory(folder, error))
        return false;
    FILE* file = _wfopen((folder / L"hidden_from_us.png").c_str(), L"wb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

void removeTree(const QString& path) {
    std::error_code error;
    std::filesystem::remove_all(verbatim(path), error);
}
#else
bool makeUnreadableFolder(const QString& parent) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::path(QFile::encodeName(parent).toStdString()) / "caf\xE9";
    std::error_code error;
    if (!fs::create_directory(folder, error))
        return false;
    // Opened by its bytes: no QString names it.
    FILE* file = std::fopen((folder / "hidden_from_us.png").c_str(), "wb");
    if (!file)
        return false;
    std::fclose(file);
    return true;
}

void removeTree(const QString& path) {
    std::error_code error;
    std::filesystem::remove_all(QFile::encodeName(path).toStdString(), error);
}
#endif

} // namespace TestFiles
