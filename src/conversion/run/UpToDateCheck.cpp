#include "conversion/run/UpToDateCheck.h"

#include "conversion/rules/RunTexts.h"
#include "conversion/run/FileStamps.h"
#include "conversion/run/Ledger.h"

#include <QDir>
#include <QFileInfo>

QString ledgerKey(const QString& target) {
    const QString path = QDir::fromNativeSeparators(target);
    // Targets are nearly always absolute already: no need to ask the file
    // system's layer for each of a hundred thousand.
    if (QDir::isAbsolutePath(path))
        return QDir::cleanPath(path);
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

std::vector<SkipDecision> checkUpToDate(const TickedJobs& ticked, const Ledger& ledger,
                                        const QString& options,
                                        const ConverterIdentity& converter) {
    const size_t count = ticked.jobs.size();
    // The files are looked up while the ledger is read: both take a while at a
    // hundred thousand rows, and neither needs the other. Every row's files
    // are looked up, recorded or not; a row without a record rarely comes
    // with a ledger that holds others.
    std::vector<QString> paths;
    paths.reserve(2 * count);
    for (const ConversionJob& job : ticked.jobs) {
        paths.push_back(job.source);
        paths.push_back(job.target);
    }
    std::vector<std::optional<LedgerRecord>> records;
    const std::vector<std::optional<FileStamp>> stamps = fileStamps(paths, [&] {
        std::vector<QString> keys;
        keys.reserve(count);
        for (const ConversionJob& job : ticked.jobs)
            keys.push_back(ledgerKey(job.target));
        records = ledger.lookup(keys);
    });

    std::vector<SkipDecision> decisions;
    decisions.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const CurrentFiles now =
            records[i] ? CurrentFiles{stamps[2 * i], stamps[2 * i + 1], ticked.jobs[i].source}
                       : CurrentFiles{};
        decisions.push_back(decideSkip(records[i], now, options, converter));
    }
    return decisions;
}

void leaveOutUpToDate(RunSession::Request& request, Ledger& ledger) {
    ledger.flush(); // the last run's records count
    const QString options = buildFlagString(request.settings.flags);
    const std::vector<SkipDecision> decisions =
        checkUpToDate(request.ticked, ledger, options, request.converter);
    TickedJobs& ticked = request.ticked;
    size_t kept = 0;
    for (size_t i = 0; i < ticked.jobs.size(); ++i) {
        const QByteArray note = skipDecisionText(decisions[i], options).toUtf8();
        if (decisions[i].upToDate()) {
            request.upToDate.push_back(ticked.rows[i]);
            request.upToDateNotes.push_back(note);
            continue;
        }
        request.runNotes.push_back(note);
        ticked.jobs[kept] = std::move(ticked.jobs[i]);
        ticked.rows[kept] = ticked.rows[i];
        ++kept;
    }
    ticked.jobs.resize(kept);
    ticked.rows.resize(kept);
}
