// Measures Skip Up-to-Date Images: deciding for every ticked row from the
// ledger and the files as they are, in a texture library of nested folders and
// in one big folder. Prints a Markdown table; `--quick` runs tiny sizes,
// `--rows N` and `--runs N` change them, `--dir D` builds the files in D.
#include "BenchLibrary.h"
#include "conversion/rules/TickedJobs.h"
#include "conversion/run/ConverterPath.h"
#include "conversion/run/FileStamps.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/UpToDateCheck.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <vector>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using namespace BenchLibrary;

namespace {
QTextStream out(stdout);

const QString options = QStringLiteral("-p ");

QString number(double value) {
    return QString::number(value, 'f', 0);
}

void row(const QString& what, const QString& value) {
    out << "| " << what << " | " << value << " |" << Qt::endl;
}

struct Timing {
    double median = 0, fastest = 0, slowest = 0;
    qsizetype upToDate = 0;
};

Timing timeCheck(const TickedJobs& ticked, const Ledger& ledger, const QString& flags,
                 const ConverterIdentity& converter, int runs) {
    std::vector<double> ms;
    Timing timing;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        const std::vector<SkipDecision> decisions = checkUpToDate(ticked, ledger, flags, converter);
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        timing.upToDate = std::count_if(decisions.begin(), decisions.end(),
                                        [](const SkipDecision& d) { return d.upToDate(); });
    }
    std::sort(ms.begin(), ms.end());
    timing.median = ms[ms.size() / 2];
    timing.fastest = ms.front();
    timing.slowest = ms.back();
    return timing;
}

QString spread(const Timing& t) {
    return number(t.median) + " ms (" + number(t.fastest) + " to " + number(t.slowest) + "; " +
           QString::number(t.upToDate) + " left out)";
}

bool dropPageCache() {
#ifdef Q_OS_WIN
    return false; // no such switch: the cold figures are left out
#else
    ::sync();
    QFile drop(QStringLiteral("/proc/sys/vm/drop_caches"));
    return drop.open(QIODevice::WriteOnly) && drop.write("3\n") == 2;
#endif
}

void measureLayout(const QString& root, int rows, int runs, bool oneFolder, bool cold,
                   const ConverterIdentity& converter) {
    const QString name =
        oneFolder ? QStringLiteral("one folder") : QStringLiteral("a library (50 to a folder)");
    const TickedJobs ticked = makeFiles(root + QStringLiteral("/files"), rows, oneFolder);
    const QString ledgerPath = root + QStringLiteral("/ledger.sqlite");
    {
        Ledger empty(ledgerPath);
        row(QStringLiteral("%1, %2 rows, no record yet").arg(name).arg(rows),
            spread(timeCheck(ticked, empty, options, converter, runs)));
        recordAll(empty, ticked, converter, options);
    }
    // A ledger as the next start of the program finds it.
    const Ledger ledger(ledgerPath);
    timeCheck(ticked, ledger, options, converter, 1); // the page cache warms up
    row(QStringLiteral("%1, %2 rows against %2 records, page cache warm").arg(name).arg(rows),
        spread(timeCheck(ticked, ledger, options, converter, runs)));
    row(QStringLiteral("%1, the same with other flags (every row runs)").arg(name),
        spread(timeCheck(ticked, ledger, QStringLiteral("-p -r "), converter, runs)));
    if (!cold) {
        // quick runs leave the machine's page cache alone
    } else if (dropPageCache()) {
        row(QStringLiteral("%1, page cache dropped").arg(name),
            spread(timeCheck(ticked, ledger, options, converter, 1)));
    } else {
        row(QStringLiteral("%1, page cache dropped").arg(name),
            QStringLiteral("not measured: the page cache cannot be dropped here"));
    }
    const qint64 bytes =
        QFileInfo(ledgerPath).size() + QFileInfo(ledgerPath + QStringLiteral("-wal")).size();
    row(QStringLiteral("%1, the ledger on disk, %2 records, with its write-ahead log")
            .arg(name)
            .arg(rows),
        QString::number(double(bytes) / 1048576.0, 'f', 1) + " MB");
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    int rows = 100000;
    int runs = 5;
    QString dir;
    const bool quick = args.contains(QStringLiteral("--quick"));
    if (quick) {
        rows = 500;
        runs = 1;
    }
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows"))
            rows = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--runs"))
            runs = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--dir"))
            dir = args[i + 1];
    }
    const ConverterIdentity converter = resolveConverter(QStringLiteral("sh"));
    out << "| measurement (median of " << runs << ") | result |" << Qt::endl
        << "|---|---|" << Qt::endl;
    for (const bool oneFolder : {false, true}) {
        QTemporaryDir scratch(dir.isEmpty()
                                  ? QDir::tempPath() + QStringLiteral("/skip-bench-XXXXXX")
                                  : dir + QStringLiteral("/skip-bench-XXXXXX"));
        if (!scratch.isValid())
            return 1;
        measureLayout(scratch.path(), rows, runs, oneFolder, !quick, converter);
    }
    return 0;
}
