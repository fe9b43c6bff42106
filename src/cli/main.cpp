// corvane-cli: the window's engine from a terminal, a pipeline script or a
// render node. It links no Qt Gui: it starts where there is no display.
#include "cli/CliConsole.h"
#include "cli/CliConvert.h"
#include "cli/CliExports.h"
#include "cli/CliHelp.h"
#include "cli/CliImages.h"
#include "cli/CliOptions.h"
#include "conversion/run/AbandonedRuns.h"
#include "conversion/run/GroupWatchdog.h"
#include "joblist/rules/ScanTexts.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {
CliExit run(const CliRequest& request, CliConsole& console) {
#ifdef Q_OS_WIN
    // As it comes: a text-mode stream would end at a Ctrl+Z byte and change line ends.
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    QFile standardInput;
    standardInput.open(stdin, QIODevice::ReadOnly);
    const QStringList paths = requestedPaths(request, standardInput);
    std::variant<CliImages, CliImagesProblem> gathered = gatherImages(paths, request.recursive);
    if (const auto* problem = std::get_if<CliImagesProblem>(&gathered)) {
        console.error(problem->message);
        return CliExit::Usage;
    }
    CliImages& images = std::get<CliImages>(gathered);
    if (images.unreadableFolders > 0)
        console.error(unreadableFoldersText(images.unreadableFolders));
    switch (request.command) {
    case CliCommand::Convert:
        // As the window at its start: what a run that died left behind goes first.
        return convertImages(request, std::move(images), console, recoverAbandonedRuns().targets);
    case CliCommand::Script:
        return writeScript(request, images, console);
    case CliCommand::Farm:
        break;
    }
    return writeFarm(request, images, console);
}
} // namespace

int main(int argc, char* argv[]) {
    // First, while the program is small: the watcher is a copy of it.
    GroupWatchdog::start();
    QCoreApplication application(argc, argv);
    // The window's name: the same ledger of conversions and the same run folders.
    QCoreApplication::setApplicationName(QStringLiteral("corvane"));
    CliConsole console;
    const CliParse parsed = parseCommandLine(QCoreApplication::arguments());
    if (const auto* help = std::get_if<CliHelp>(&parsed)) {
        console.print(help->text);
        return int(CliExit::Success);
    }
    if (std::holds_alternative<CliVersion>(parsed)) {
        console.print(cliVersionText());
        return int(CliExit::Success);
    }
    if (const auto* error = std::get_if<CliUsageError>(&parsed)) {
        console.error(error->message);
        console.error(QStringLiteral("try 'corvane-cli --help' for more information"));
        return int(CliExit::Usage);
    }
    return int(run(std::get<CliRequest>(parsed), console));
}
