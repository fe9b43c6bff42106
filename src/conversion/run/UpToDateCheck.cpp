#include "conversion/run/UpToDateCheck.h"

#include "conversion/run/FileStamps.h"
#include "conversion/run/Ledger.h"

#include <QDir>
#include <QFileInfo>

QString ledgerKey(const QString& target) {
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(target)).absoluteFilePath());
}

std::vector<SkipDecision> checkUpToDate(const TickedJobs& ticked, const Ledger& ledger,
                                        const QString& options,
                                        const ConverterIdentity& converter) {
    const size_t count = ticked.jobs.size();
    std::vector<QString> keys;
    keys.reserve(count);
    for (const ConversionJob& job : ticked.jobs)
        keys.push_back(ledgerKey(job.target));
    const std::vector<std::optional<LedgerRecord>> records = ledger.lookup(keys);

    // The files of the recorded jobs only: the others run whatever they hold.
    std::vector<size_t> recorded;
    std::vector<QString> paths;
    for (size_t i = 0; i < count; ++i) {
        if (!records[i])
            continue;
        recorded.push_back(i);
        paths.push_back(ticked.jobs[i].source);
        paths.push_back(keys[i]);
    }
    const std::vector<std::optional<FileStamp>> stamps = fileStamps(paths);
    std::vector<CurrentFiles> now(count);
    for (size_t k = 0; k < recorded.size(); ++k)
        now[recorded[k]] = {stamps[2 * k], stamps[2 * k + 1]};

    std::vector<SkipDecision> decisions;
    decisions.reserve(count);
    for (size_t i = 0; i < count; ++i)
        decisions.push_back(decideSkip(records[i], now[i], options, converter));
    return decisions;
}
