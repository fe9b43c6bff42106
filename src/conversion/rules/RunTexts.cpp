#include "conversion/rules/RunTexts.h"

#include <QDateTime>
#include <QDir>
#include <QStringList>

#include <system_error>

#include <algorithm>

QString resultText(const RowVerdict& verdict) {
    switch (verdict.result) {
    case RowResult::Converted:
        return QStringLiteral("Processed Successfully");
    case RowResult::ProcessingFailed:
        if (verdict.failingCodes)
            return QStringLiteral("Error Processing Files. Code: ") +
                   QString::number(verdict.failingCodes->permission) +
                   QString::number(verdict.failingCodes->script);
        return QStringLiteral("Error Processing Files");
    case RowResult::NotRun:
    case RowResult::Cancelled:
        return QStringLiteral("Exception Error");
    case RowResult::ScriptNotWritten:
        return writeErrorText();
    case RowResult::FolderNotMade:
        return QStringLiteral("Error Creating Folder");
    }
    return {};
}

QString incompleteTargetRemovedText(const QString& fileName) {
    return QStringLiteral("removed the incomplete %1").arg(fileName);
}

QString incompleteTargetKeptText(const QString& fileName, const QString& reason) {
    return QStringLiteral("could not remove the incomplete %1: %2").arg(fileName, reason);
}

QString writeErrorText() {
    return QStringLiteral("Error Writing File");
}

QString exitValuesText(TargetSystem system, const RowOutcome& outcome) {
    if (!outcome.folderNotMade.isEmpty())
        return QStringLiteral("The folder \"%1\" could not be made: %2.")
            .arg(QDir::toNativeSeparators(outcome.folderNotMade),
                 QString::fromStdString(std::generic_category().message(outcome.folderError)));
    if (outcome.cancelled)
        return QStringLiteral("Cancelled while converting.");
    if (!outcome.scriptWritten)
        return QStringLiteral("Its temporary script could not be written.");
    if (!outcome.launched)
        return QStringLiteral("The script could not be started.");
    if (!outcome.endedNormally)
        return QStringLiteral("The script did not end normally: it crashed or was killed.");
    const QString script = QStringLiteral("the script exited with %1").arg(outcome.scriptExit);
    QString values = system == TargetSystem::Mac ? QStringLiteral("chmod exited with %1, %2")
                                                       .arg(outcome.permissionExit.value_or(0))
                                                       .arg(script)
                                                 : script;
    values[0] = values[0].toUpper();
    if (outcome.scriptExit == 0 && outcome.permissionExit.value_or(0) == 0)
        values += QStringLiteral(", but the .map file is missing, empty or was not written");
    return values + QLatin1Char('.');
}

RunBox runBox(const RunSummary& summary) {
    RunBox box;
    if (summary.cancelled) {
        box.kind = BoxKind::Warning;
        box.text = cancelledText(summary.converted, summary.total - summary.converted);
    } else if (summary.headerOnly) {
        box.kind = summary.headerOnly->converted() ? BoxKind::Information : BoxKind::Error;
        box.text = resultText(*summary.headerOnly);
    } else if (summary.firstFailure) {
        box.kind = BoxKind::Error;
        box.text = resultText(*summary.firstFailure);
    } else {
        box.text = resultText(RowVerdict{});
    }
    if (summary.upToDate > 0)
        box.text += QStringLiteral("\n\n") + upToDateText(summary.upToDate);
    if (summary.recoveredTargets > 0)
        box.text += QStringLiteral("\n\n") + recoveredTargetsText(summary.recoveredTargets);
    return box;
}

QString cancelledText(int converted, int notConverted) {
    return QStringLiteral("Processing Cancelled\n\n%1 converted, %2 not converted.")
        .arg(converted)
        .arg(notConverted);
}

namespace {
QString flagsShown(const QString& flags) {
    const QString shown = flags.simplified();
    return shown.isEmpty() ? QStringLiteral("none") : shown;
}
} // namespace

QString skipDecisionText(const SkipDecision& decision, const QString& options) {
    if (!decision.reason) {
        // One form in every language: the saved report and the command line
        // carry this text too, for programs to read.
        const QDateTime when = QDateTime::fromMSecsSinceEpoch(decision.recordedAtMs);
        return QStringLiteral("up to date since ") +
               when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    switch (*decision.reason) {
    case RunReason::NoRecord:
        return QStringLiteral("no record of converting it");
    case RunReason::ImageChanged:
        return QStringLiteral("image changed since");
    case RunReason::FlagsChanged:
        return QStringLiteral("flags changed: %1 \u2192 %2")
            .arg(flagsShown(decision.recordedOptions), flagsShown(options));
    case RunReason::ConverterChanged:
        return QStringLiteral("converter changed");
    case RunReason::MapChanged:
        return QStringLiteral(".map changed or removed since");
    }
    return {};
}

QString recoveredTargetsText(int count) {
    return count == 1 ? QStringLiteral("A run that did not end had begun 1 .map file; it was "
                                       "incomplete and has been removed.")
                      : QStringLiteral("A run that did not end had begun %1 .map files; they were "
                                       "incomplete and have been removed.")
                            .arg(count);
}

QString ledgerUnusableText(const QString& path, const QString& error) {
    return QStringLiteral("Skip Up-to-Date Images needs the record of finished conversions, "
                          "and \"%1\" cannot be written (%2). No image counts as up to date: "
                          "every ticked image is converted.")
        .arg(path, error);
}

QString ledgerMovedAsideText(const QString& path, const QString& aside) {
    return QStringLiteral("The record of finished conversions \"%1\" could not be read. It was "
                          "moved to \"%2\" and a new one was started.")
        .arg(path, aside);
}

QString upToDateText(int count) {
    return count == 1 ? QStringLiteral("1 image was up to date.")
                      : QStringLiteral("%1 images were up to date.").arg(count);
}

QString failureDetails(const std::vector<FailedRowReport>& failed, int linesPerRow,
                       qsizetype budgetChars) {
    QString text;
    for (const FailedRowReport& row : failed) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += row.source + QLatin1Char('\n');
        const QStringList lines = row.report.split(QLatin1Char('\n'));
        const qsizetype keep = text.size() > budgetChars ? 1 : linesPerRow;
        for (const QString& line : lines.mid(std::max<qsizetype>(0, lines.size() - keep)))
            text += QStringLiteral("    ") + line + QLatin1Char('\n');
    }
    return text;
}

QString durationText(qint64 ms) {
    const qint64 seconds = (ms + 500) / 1000;
    const qint64 h = seconds / 3600;
    const qint64 m = seconds / 60 % 60;
    const qint64 s = seconds % 60;
    const QString ss = QStringLiteral("%1").arg(s, 2, 10, QLatin1Char('0'));
    if (h > 0)
        return QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(ss);
    return QStringLiteral("%1:%2").arg(m).arg(ss);
}

std::optional<qint64> remainingEstimate(qint64 elapsedMs, int done, int total) {
    if (done <= 0)
        return std::nullopt;
    return elapsedMs * (total - done) / done;
}

QString progressText(int current, int total, const QString& fileName, qint64 elapsedMs,
                     std::optional<qint64> remainingMs) {
    QString text = QStringLiteral("Converting %1 of %2").arg(current).arg(total);
    if (!fileName.isEmpty())
        text += QStringLiteral(": ") + fileName;
    text += QStringLiteral("\nElapsed %1").arg(durationText(elapsedMs));
    text += remainingMs ? QStringLiteral(", about %1 left").arg(durationText(*remainingMs))
                        : QStringLiteral(", estimating the time left");
    return text;
}
