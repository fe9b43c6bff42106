#pragma once

#include <QFile>
#include <QString>

#include <filesystem>

// A path between Qt and std::filesystem. Unix names are bytes, handed over
// exactly as the file system spells them; Windows names are UTF-16, which a
// narrow string would squeeze through the ANSI code page.
inline std::filesystem::path toNativePath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

inline QString fromNativePath(const std::filesystem::path& path) {
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
#endif
}
