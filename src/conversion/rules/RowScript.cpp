#include "conversion/rules/RowScript.h"

#include "conversion/rules/ScriptText.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// cmd shows each line of a batch file before it runs it, unless the line starts with "@": the
// row's output, which tells why it failed, would begin with its own command line. Elsewhere a
// batch file never runs and keeps its line as composed.
bool runsHereThroughCmd(TargetSystem system) {
#ifdef Q_OS_WIN
    return isBatchFlavour(system);
#else
    Q_UNUSED(system);
    return false;
#endif
}
} // namespace

QByteArray rowScriptBytes(TargetSystem system, const QString& command) {
    QStringList lines;
    if (system == TargetSystem::Mac)
        lines << bashHeader();
    if (!command.isNull())
        lines << (runsHereThroughCmd(system) ? QLatin1Char('@') + command : command);
    return scriptBytes(system, lines);
}

QString rowScriptName(TargetSystem system, int job) {
    const QString name = runScriptName(system); // "temp.sh" / "temp.bat"
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return name.left(dot) + QLatin1Char('-') + QString::number(job + 1) + name.mid(dot);
}

std::optional<ScriptLaunch> scriptLaunch(TargetSystem system, const QString& scriptPath) {
    const QString path = QDir::toNativeSeparators(QFileInfo(scriptPath).absoluteFilePath());
    const QChar separator = system == TargetSystem::Mac ? QLatin1Char('/') : QLatin1Char('\\');
    const qsizetype cut = path.lastIndexOf(separator);
    if (cut < 0)
        return std::nullopt;
    ScriptLaunch launch;
    if (system == TargetSystem::Mac) {
        launch.permissionCommand = QStringLiteral("chmod 755 ") + quoted(path);
        launch.command = quoted(path);
    } else {
        launch.program = quoted(path);
        launch.arguments = {QStringLiteral("/c"), QStringLiteral("start"), quoted(path.left(cut))};
    }
    return launch;
}
