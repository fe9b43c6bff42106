#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <cstdio>
#include <filesystem>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace TestFiles {

QString fakeConverter() {
    return QStringLiteral(FAKE_IMF_COPY);
}

TargetSystem hostFlavour() {
#ifdef Q_OS_WIN
    return TargetSystem::Windows;
#else
    return TargetSystem::Mac;
#endif
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
// The Linux path Wine keeps a Windows path at; empty outside Wine.
QString unixPath(const QString& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    if (!unixName)
        return {};
    const QString native = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    char* name = unixName(reinterpret_cast<const wchar_t*>(native.utf16()));
    if (!name)
        return {};
    const QString result = QString::fromUtf8(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool isLink(const QString& path) {
    const DWORD attributes = GetFileAttributesW(
        reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
} // namespace

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

namespace {
// Removes a folder's tree by the names the file system gives, without
// following a link or junction into the folder it names.
void removeVerbatim(const std::wstring& folder) {
    WIN32_FIND_DATAW entry;
    const HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            const DWORD attributes = entry.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                removeVerbatim(path);
            } else if (!DeleteFileW(path.c_str())) {
                RemoveDirectoryW(path.c_str()); // a link to a folder
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}
} // namespace

void removeTree(const QString& path) {
    // Under Wine, Linux's rm also takes the links that lead nowhere, which Wine does not list.
    if (const QString linuxPath = unixPath(path); !linuxPath.isEmpty()) {
        QProcess::execute(QStringLiteral("start.exe"),
                          {QStringLiteral("/wait"), QStringLiteral("/unix"),
                           QStringLiteral("/bin/rm"), QStringLiteral("-rf"), linuxPath});
        return;
    }
    removeVerbatim(verbatim(path).wstring());
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

#ifdef Q_OS_WIN
bool makeSymlink(const QString& target, const QString& link) {
    const auto wide = [](const QString& path) {
        return reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16());
    };
    const DWORD folder = QFileInfo(target).isDir() ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
    const QString nativeTarget = QDir::toNativeSeparators(target);
    if (CreateSymbolicLinkW(wide(link), wide(nativeTarget),
                            folder | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE) &&
        isLink(link))
        return true;
    const QString from = unixPath(target), to = unixPath(link);
    if (from.isEmpty() || to.isEmpty())
        return false;
    return QProcess::execute(QStringLiteral("start.exe"),
                             {QStringLiteral("/wait"), QStringLiteral("/unix"),
                              QStringLiteral("/bin/ln"), QStringLiteral("-s"), from, to}) == 0;
}
#else
bool makeSymlink(const QString& target, const QString& link) {
    return QFile::link(target, link);
}
#endif

bool processRunning(qint64 pid) {
#ifdef Q_OS_WIN
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, DWORD(pid));
    if (!process)
        return false;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
#else
    const QByteArray stat = readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.isEmpty())
        return false;
    const char state = stat.mid(stat.lastIndexOf(')') + 2, 1).at(0);
    return state != 'Z' && state != 'X';
#endif
}

void killProcess(qint64 pid) {
#ifdef Q_OS_WIN
    if (const HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, DWORD(pid))) {
        TerminateProcess(process, 1);
        CloseHandle(process);
    }
#else
    ::kill(pid_t(pid), SIGKILL);
#endif
}

} // namespace TestFiles
