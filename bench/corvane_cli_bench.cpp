// Measures corvane-cli as a whole process: a batch against xargs -P over the
// same converter lines, how soon the first converter starts (with an empty and
// a full ledger, and with 100,000 images to scan), and Skip for 100,000 images
// against a full ledger. Prints a Markdown table; `--quick` runs tiny sizes,
// `--rows N` and `--runs N` change them.
#include "BenchLibrary.h"
#include "BenchTable.h"
#include "conversion/run/ConverterPath.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

using namespace BenchLibrary;
using namespace BenchTable;

namespace {
struct Settings {
    int runs = 5;
    int images = 8;
    int burnMs = 500;
    int rows = 100000;
};

QString spread(std::vector<double> values, const QString& unit, int decimals) {
    std::sort(values.begin(), values.end());
    const auto text = [&](double v) { return QString::number(v, 'f', decimals); };
    return text(values[values.size() / 2]) + ' ' + unit + " (" + text(values.front()) + " to " +
           text(values.back()) + ')';
}

// Runs a program to its end, its output thrown away; wall seconds.
double timed(const QString& program, const QStringList& arguments,
             const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    return double(clock.nsecsElapsed()) / 1e9;
}

// From launching the command line to its first converter's own start, in
// milliseconds; the run is then interrupted unless `toTheEnd`.
double firstStartMs(const QStringList& arguments, const QProcessEnvironment& environment,
                    const QString& stamps, bool toTheEnd) {
    QFile::remove(stamps);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const qint64 before = microsecondsNow();
    process.start(QStringLiteral(CORVANE_CLI), arguments);
    // The converter writes its line as it begins; a file still empty is not enough.
    while (QFileInfo(stamps).size() == 0 && process.state() != QProcess::NotRunning)
        QThread::msleep(1);
    if (!toTheEnd)
        process.terminate(); // as Ctrl+C: every converter ends
    process.waitForFinished(-1);
    return double(firstStamp(stamps) - before) / 1000.0;
}

// The batch of N images x T of processor time, 2 at once, against xargs -P2
// running the very lines `corvane-cli script` writes, by bash as Corvane's
// rows are.
void batchAgainstXargs(const QString& root, const Settings& s,
                       const QProcessEnvironment& environment) {
    const QString images = root + QStringLiteral("/batch");
    QDir().mkpath(images);
    for (int i = 0; i < s.images; ++i)
        writeFile(images + QStringLiteral("/image_%1.png").arg(i), "image");
    const QStringList choice{QStringLiteral("--converter"), QStringLiteral(FAKE_IMF_COPY),
                             QStringLiteral("--custom"),
                             QStringLiteral("--burn-ms %1").arg(s.burnMs), images};
    const QString script = root + QStringLiteral("/batch.sh");
    timed(QStringLiteral(CORVANE_CLI),
          QStringList{QStringLiteral("script"), QStringLiteral("--flavour"), QStringLiteral("sh"),
                      QStringLiteral("-o"), script} +
              choice,
          environment);
    QByteArray lines;
    for (const QByteArray& line : readAllOf(script).split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#'))
            lines += line + '\n';
    }
    const QString linesFile = root + QStringLiteral("/batch.lines");
    writeFile(linesFile, lines);
    std::vector<double> cli, xargs, ratio;
    for (int i = 0; i < s.runs; ++i) {
        cli.push_back(timed(
            QStringLiteral(CORVANE_CLI),
            QStringList{QStringLiteral("convert"), QStringLiteral("-j"), QStringLiteral("2")} +
                choice,
            environment));
        xargs.push_back(
            timed(QStringLiteral("sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("xargs -d '\\n' -P 2 -I{} bash -c {} < '%1'").arg(linesFile)},
                  environment));
        ratio.push_back(cli.back() / xargs.back());
    }
    const double limit = s.images * s.burnMs / 1000.0 / 2;
    std::vector<double> overLimit;
    for (double seconds : cli)
        overLimit.push_back(seconds / limit);
    row(QStringLiteral("%1 images x %2 ms of processor time, --jobs 2").arg(s.images).arg(s.burnMs),
        spread(cli, QStringLiteral("s"), 2));
    row(QStringLiteral("the same lines by xargs -P2 and bash"),
        spread(xargs, QStringLiteral("s"), 2));
    row(QStringLiteral("the machine's limit N x T / 2"), QString::number(limit, 'f', 2) + " s");
    row(QStringLiteral("corvane-cli / limit"), spread(overLimit, QStringLiteral("x"), 3));
    row(QStringLiteral("corvane-cli / xargs, run by run"), spread(ratio, QStringLiteral("x"), 3));
}

QStringList stampedRun(const QString& stamps, const QStringList& paths) {
    return QStringList{QStringLiteral("convert"),
                       QStringLiteral("-j"),
                       QStringLiteral("2"),
                       QStringLiteral("--converter"),
                       QStringLiteral(INSTANT_CONVERTER),
                       QStringLiteral("--custom"),
                       QStringLiteral("--stamp ") + stamps} +
           paths;
}
} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    Settings s;
    if (args.contains(QStringLiteral("--quick")))
        s = {1, 2, 50, 300};
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == QLatin1String("--rows"))
            s.rows = std::max(1, args[i + 1].toInt());
        else if (args[i] == QLatin1String("--runs"))
            s.runs = std::max(1, args[i + 1].toInt());
    }
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/cli-bench-XXXXXX"));
    if (!scratch.isValid())
        return 1;
    const QString root = scratch.path();
    // The program's ledger and run folders, here and nowhere else.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), root + QStringLiteral("/cache"));
    const QString ledgerPath = root + QStringLiteral("/data/corvane/ledger.sqlite");
    const QString stamps = root + QStringLiteral("/stamps");
    out() << "| measurement (median of " << s.runs << ", fastest to slowest) | result |" << Qt::endl
          << "|---|---|" << Qt::endl;

    batchAgainstXargs(root, s, environment);

    // The first converter, 8 images: the ledger empty, then holding as many
    // records as the library below (its check reads all of it).
    const QString eight = root + QStringLiteral("/eight");
    QDir().mkpath(eight);
    for (int i = 0; i < 8; ++i)
        writeFile(eight + QStringLiteral("/image_%1.png").arg(i), "image");
    std::vector<double> empty;
    for (int i = 0; i < s.runs + 1; ++i)
        empty.push_back(firstStartMs(stampedRun(stamps, {eight}), environment, stamps, true));
    empty.erase(empty.begin()); // the first start of all warms the disk's cache
    row(QStringLiteral("launch to the first converter, 8 images, an empty ledger"),
        spread(empty, QStringLiteral("ms"), 1));

    const TickedJobs library = makeFiles(root + QStringLiteral("/library"), s.rows, false);
    const ConverterIdentity converter = resolveConverter(QStringLiteral(INSTANT_CONVERTER));
    {
        QFile::remove(ledgerPath);
        Ledger ledger(ledgerPath);
        recordAll(ledger, library, converter, QStringLiteral("-p "));
    }
    std::vector<double> full, scanned, skipped;
    for (int i = 0; i < s.runs; ++i)
        full.push_back(firstStartMs(stampedRun(stamps, {eight}), environment, stamps, true));
    row(QStringLiteral("the same, the ledger holding %1 records (%2 MB)")
            .arg(s.rows)
            .arg(double(QFileInfo(ledgerPath).size()) / 1048576.0, 0, 'f', 1),
        spread(full, QStringLiteral("ms"), 1));

    // 100,000 images of a library: the scan, the rows and the clash check first.
    const QStringList all{QStringLiteral("--recursive"), root + QStringLiteral("/library")};
    for (int i = 0; i < s.runs; ++i)
        scanned.push_back(firstStartMs(stampedRun(stamps, all), environment, stamps, false));
    row(QStringLiteral("launch to the first converter, %1 images in a library, scan included")
            .arg(s.rows),
        spread(scanned, QStringLiteral("ms"), 0));

    // Skip: every image up to date, nothing runs; the whole command.
    for (int i = 0; i < s.runs; ++i)
        skipped.push_back(
            1000 *
            timed(QStringLiteral(CORVANE_CLI),
                  QStringList{QStringLiteral("convert"), QStringLiteral("--skip-up-to-date"),
                              QStringLiteral("--converter"), QStringLiteral(INSTANT_CONVERTER)} +
                      all,
                  environment));
    row(QStringLiteral("--skip-up-to-date, %1 images all up to date: the whole command (scan, "
                       "decision, a line each)")
            .arg(s.rows),
        spread(skipped, QStringLiteral("ms"), 0));
    return 0;
}
