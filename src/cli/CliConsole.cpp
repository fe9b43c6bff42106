#include "cli/CliConsole.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <algorithm>

namespace {
int terminalColumns() {
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    return 80;
}

void write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}
} // namespace

CliConsole::CliConsole() {
#ifdef Q_OS_WIN
    m_terminal = _isatty(_fileno(stdout));
    // The console shows what it is given in its own code page: make that UTF-8.
    SetConsoleOutputCP(CP_UTF8);
#else
    m_terminal = ::isatty(STDOUT_FILENO);
#endif
}

void CliConsole::out(const QString& line) {
    clearProgress();
    write(stdout, line + u'\n');
    if (!m_progress.isEmpty())
        write(stdout, m_progress);
}

void CliConsole::error(const QString& line) {
    clearProgress();
    write(stderr, QStringLiteral("corvane-cli: ") + line + u'\n');
    if (!m_progress.isEmpty())
        write(stdout, m_progress);
}

void CliConsole::print(const QString& text) {
    write(stdout, text);
}

void CliConsole::progress(const QString& text) {
    if (!m_terminal)
        return;
    // A line as wide as the terminal would wrap, and a wrapped line cannot be
    // rewritten in place.
    const QString line = text.left(std::max(1, terminalColumns() - 1));
    if (line == m_progress)
        return;
    // Blanks over what a longer line left, rather than escape sequences that
    // not every console knows.
    const qsizetype blanks = std::max<qsizetype>(0, m_progress.size() - line.size());
    write(stdout, u'\r' + line + QString(blanks, u' ') + QString(blanks, u'\b'));
    m_progress = line;
}

void CliConsole::endProgress() {
    if (m_progress.isEmpty())
        return;
    write(stdout, QStringLiteral("\n"));
    m_progress.clear();
}

void CliConsole::clearProgress() {
    if (m_progress.isEmpty())
        return;
    write(stdout, u'\r' + QString(m_progress.size(), u' ') + u'\r');
}
