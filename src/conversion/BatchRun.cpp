#include "conversion/BatchRun.h"

#include "conversion/ConversionResult.h"
#include "conversion/ConversionScriptRunner.h"
#include "conversion/ScriptText.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <optional>

namespace {
// When a target was last written, or nothing when it does not exist.
std::optional<QDateTime> lastWritten(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    return info.lastModified();
}

bool writtenDuringRun(const QString& path, const std::optional<QDateTime>& before) {
    const QFileInfo info(path);
    if (!info.isFile() || info.size() == 0)
        return false;
    return !before || info.lastModified() != *before;
}

} // namespace

bool writeRunScript(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

BatchRunResult runBatch(int system, const std::vector<BatchJob>& jobs) {
    BatchRunResult result;
    result.message = ConversionResult::WriteError;

    QTemporaryDir folder;
    if (!folder.isValid())
        return result;
    const QString scriptPath = folder.filePath(runScriptName(system));

    QStringList commands;
    commands.reserve(static_cast<qsizetype>(jobs.size()));
    for (const BatchJob& job : jobs)
        commands << job.command;
    if (!writeRunScript(scriptPath, scriptBytes(system, runScriptLines(system, commands))))
        return result;

    std::vector<std::optional<QDateTime>> before;
    before.reserve(jobs.size());
    for (const BatchJob& job : jobs)
        before.push_back(lastWritten(job.target));

    result.scriptRan = true;
    result.message = runConversionScript(scriptPath, system);
    result.success = ConversionResult::isSuccess(result.message);
    QFile::remove(scriptPath);

    result.jobConverted.assign(jobs.size(), false);
    if (!result.success)
        return result;
    for (size_t i = 0; i < jobs.size(); ++i) {
        result.jobConverted[i] = writtenDuringRun(jobs[i].target, before[i]);
        if (!result.jobConverted[i]) {
            result.success = false;
            result.message = ConversionResult::ProcessingError;
        }
    }
    return result;
}
