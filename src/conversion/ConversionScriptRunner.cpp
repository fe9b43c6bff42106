#include "conversion/ConversionScriptRunner.h"

#include "conversion/CommandLine.h"
#include "conversion/ConversionResult.h"
#include "conversion/StreamGobbler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <optional>

namespace {
// Starts the prepared process with both channels drained and waits for it;
// nothing when it could not start or did not end normally.
std::optional<int> runToEnd(QProcess& process, const QString& command) {
    StreamGobbler errors(process, QProcess::StandardError, QStringLiteral("ERROR"));
    StreamGobbler output(process, QProcess::StandardOutput, QStringLiteral("OUTPUT"));
    errors.start();
    output.start();
    if (command.isNull())
        process.start();
    else
        process.startCommand(command);
    if (!process.waitForStarted(-1) || !process.waitForFinished(-1) ||
        process.exitStatus() != QProcess::NormalExit)
        return std::nullopt;
    return process.exitCode();
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}
} // namespace

QString runConversionScript(const QString& scriptPath, int system) {
    if (system != TargetSystem::Windows && system != TargetSystem::Mac)
        return QString();

    const QString path = QDir::toNativeSeparators(QFileInfo(scriptPath).absoluteFilePath());
    const QChar separator = system == TargetSystem::Mac ? QLatin1Char('/') : QLatin1Char('\\');
    const qsizetype cut = path.lastIndexOf(separator);
    if (cut < 0)
        return ConversionResult::ExceptionError;
    const QString quotedPath = quoted(path);
    const QString quotedDirectory = quoted(path.left(cut));

    if (system == TargetSystem::Windows) {
        QProcess process;
        process.setProgram(quotedPath);
        process.setArguments({QStringLiteral("/c"), QStringLiteral("start"), quotedDirectory});
        const std::optional<int> exit = runToEnd(process, QString());
        if (!exit)
            return ConversionResult::ExceptionError;
        QTextStream(stdout) << "Process exitValue: " << *exit << Qt::endl;
        return *exit != 0 ? ConversionResult::ProcessingError : ConversionResult::Success;
    }

    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    QProcess permission;
    const std::optional<int> permissionExit =
        runToEnd(permission, QStringLiteral("chmod 755 ") + quotedPath);
    if (!permissionExit)
        return ConversionResult::ExceptionError;
    QProcess script;
    const std::optional<int> scriptExit = runToEnd(script, quotedPath);
    if (!scriptExit)
        return ConversionResult::ExceptionError;
    if (*permissionExit != 0 || *scriptExit != 0)
        return ConversionResult::processingErrorWithCodes(*permissionExit, *scriptExit);
    return ConversionResult::Success;
}
