// Plays Corvane for test_group_watchdog: starts the watchdog and some bash scripts, each leading
// its own group as a run's scripts do, releases the first few, and quits at the end of its input.
//
//   group_watchdog_helper <groups> <released> <script>
//
// Prints "group <id>" for each script, then "ready".
#include "conversion/run/GroupWatchdog.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4 || !GroupWatchdog::start())
        return 1;
    for (int i = 0; i < QByteArray(argv[1]).toInt(); ++i) {
        auto* script = new QProcess(&app);
        script->setStandardOutputFile(QProcess::nullDevice());
        script->setChildProcessModifier([] {
            ::setpgid(0, 0);
            GroupWatchdog::enrolFromChild();
        });
        script->start(QStringLiteral("bash"),
                      {QStringLiteral("-c"), QString::fromLocal8Bit(argv[3])});
        if (!script->waitForStarted())
            return 1;
        if (i < QByteArray(argv[2]).toInt())
            GroupWatchdog::release(script->processId());
        std::printf("group %lld\n", script->processId());
    }
    std::printf("ready\n");
    std::fflush(stdout);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char byte = 0;
        if (::read(STDIN_FILENO, &byte, 1) <= 0) {
            input.setEnabled(false);
            app.quit();
        }
    });
    return app.exec();
}
