#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <ctime>

// Waits until the window is on screen, then prints the wall-clock time in
// microseconds and the resident memory in kB, for the benchmark to read.
inline int reportWhenShown(QWidget& window) {
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    long long residentKb = 0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                residentKb = line.mid(6).trimmed().split(' ').first().toLongLong();
        }
    }
    std::printf("%lld %lld\n", static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000,
                residentKb);
    std::fflush(stdout);
    return 0;
}
