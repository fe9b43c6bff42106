// Measures the Process run with real child processes: how it uses the cores,
// what it costs per row, the memory it keeps, and what the live table and
// progress dialog cost. Prints a Markdown table; `--quick` runs tiny sizes.
#include "BenchTable.h"
#include "app/CorvaneGUI.h"
#include "conversion/rules/TickedJobs.h"
#include "conversion/run/ConversionQueue.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/RunSession.h"
#include "joblist/JobTableModel.h"
#include "testsupport/DialogRecorder.h"
#include "theme/Look.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {
using G = CorvaneGUI;
using namespace BenchTable;

struct Settings {
    int runs = 3;
    int burnMs = 1000;
    int overheadRows = 1000;
    int bigRows = 100000;
    int failingRows = 20000;
    int images = 0; // 0: four for every core
};

QString number(double value, int decimals = 1) {
    return QString::number(value, 'f', decimals);
}

double statusMb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
    }
    return -1;
}

// Starts the peak resident memory afresh (Linux: VmHWM).
void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

enum class Sources { None, Empty, Images };

void fillRows(const QString& folder, int count, Sources sources) {
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString path = QStringLiteral("%1/texture_%2.png").arg(folder).arg(i);
        if (sources == Sources::Images && !QFile::exists(path)) {
            QImage image(64, 64, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            image.save(path);
        } else if (sources == Sources::Empty) {
            QFile(path).open(QIODevice::WriteOnly);
        }
        paths << path;
    }
    G::model->clear();
    G::addImageRows(paths);
}

// Processor time of this process alone (the window's own work, not the
// converters'), in seconds.
double ownProcessorSeconds() {
#ifdef Q_OS_WIN
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto seconds = [](const FILETIME& t) {
        return double(quint64(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
#endif
}

double lastOwnSeconds = 0;

// How a run is driven: through the window, as Process does (the live table,
// the progress dialog, the result box), or by the run queue alone, which
// tells nobody anything until the end.
enum class Through { Window, QueueAlone };

// Runs the queue alone over every ticked row, composing each line as it starts.
void runQueueAlone(int atOnce) {
    const ConverterLines lines(G::commandSettings());
    std::optional<TickedJobs> ticked = tickedJobs(G::model->rows(), lines);
    ConversionQueue queue(
        G::system, std::move(ticked->jobs), atOnce, [&](int job, const ConversionJob& conversion) {
            return lines.line(G::model->row(ticked->rows[size_t(job)]).image, conversion.target);
        });
    if (!queue.prepare())
        return;
    QEventLoop loop;
    QObject::connect(&queue, &ConversionQueue::finished, &loop, &QEventLoop::quit);
    queue.start();
    loop.exec();
}

// One run of every row; wall time in seconds (the program's own processor
// time in lastOwnSeconds).
double runAll(int atOnce, Through through = Through::Window) {
    const double ownBefore = ownProcessorSeconds();
    G::model->updateAll([](int, JobRow& r) {
        r.process = true;
        r.status = Status::Unprocessed;
    });
    G::conversionsAtOnce = atOnce;
    QElapsedTimer clock;
    clock.start();
    if (through == Through::QueueAlone) {
        runQueueAlone(atOnce);
    } else {
        G::processImages();
        // The program's own way of waiting: an event loop that sleeps until something happens.
        if (G::activeRun) {
            QEventLoop loop;
            QObject::connect(G::activeRun, &RunSession::ended, &loop, &QEventLoop::quit,
                             Qt::QueuedConnection);
            loop.exec();
        }
    }
    lastOwnSeconds = ownProcessorSeconds() - ownBefore;
    return clock.nsecsElapsed() / 1e9;
}

void useConverter(const QString& program, const QString& switches) {
    G::fieldImfCopy->setText(program);
    G::checkCustom->setChecked(true);
    G::fieldCustom->setText(switches);
}

// What a library of `records` images converted earlier leaves in the ledger.
void fillLedger(const QString& path, int records) {
    Ledger ledger(path);
    for (int i = 0; i < records; ++i) {
        const QString name =
            QStringLiteral("/studio/library/folder_%1/texture_%2").arg(i / 50).arg(i);
        ledger.record({name + QStringLiteral(".map"),
                       name + QStringLiteral(".tif"),
                       {4096, 1},
                       "-p ",
                       {QStringLiteral("/usr/autodesk/maya/bin/imf_copy"), FileStamp{100, 1}},
                       {8192, 2},
                       1});
    }
}

// From Process to the moment the first converter began, in milliseconds: the
// converter stamps its start into `stamps` (the instant converter's --stamp).
double firstStartMs(const QString& stamps, int atOnce) {
    QFile::remove(stamps);
    const qint64 before = microsecondsNow();
    runAll(atOnce);
    return (firstStamp(stamps) - before) / 1000.0;
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    Settings s;
    const QStringList args = application.arguments();
    if (args.contains(QStringLiteral("--quick")))
        s = {1, 50, 20, 200, 100, 0};
    // "--rows N" shortens the long runs for a look at the other figures.
    if (const qsizetype at = args.indexOf(QStringLiteral("--rows")); at > 0 && at + 1 < args.size())
        s.bigRows = s.failingRows = args[at + 1].toInt();
    // "--images N --burn-ms T" sets the batch of the first figures, as the farm
    // job's figures use 16 x 500 ms.
    if (const qsizetype at = args.indexOf(QStringLiteral("--images"));
        at > 0 && at + 1 < args.size())
        s.images = args[at + 1].toInt();
    if (const qsizetype at = args.indexOf(QStringLiteral("--burn-ms"));
        at > 0 && at + 1 < args.size())
        s.burnMs = args[at + 1].toInt();
    // "--batch-only": those first figures alone, for hosts where the rest says little.
    const bool batchOnly = args.contains(QStringLiteral("--batch-only"));
    Dialogs::Testing::enable(); // result boxes are recorded, not shown
    Look::rememberSystemLook();
    Look::installThemed();
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;
    qputenv("XDG_CACHE_HOME", scratch.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", scratch.filePath(QStringLiteral("data")).toLocal8Bit());
    const QString folder = scratch.filePath(QStringLiteral("images"));
    QDir().mkpath(folder);
    // A ledger as a studio's is after a while: its check at start reads all of it.
    fillLedger(Ledger::defaultPath(), s.bigRows);
    // What opening and checking it costs: the wait a first Process would have,
    // were the check not done on the ledger's own thread from the start.
    QElapsedTimer ledgerClock;
    ledgerClock.start();
    {
        Ledger opened(Ledger::defaultPath());
        opened.status(); // waits for the check
    }
    const double ledgerOpenMs = double(ledgerClock.nsecsElapsed()) / 1e6;

    G window;
    window.resize(700, 800);
    window.show();
    G::openLedger(); // as the program's start does
    QCoreApplication::processEvents();
    // The host's own flavour: bash scripts here, batch files through cmd on Windows.
#ifdef Q_OS_WIN
    G::system = TargetSystem::Windows;
#else
    G::system = TargetSystem::Mac;
#endif
    const int cores = std::max(1, QThread::idealThreadCount());
    out() << "| measurement | result |" << Qt::endl << "|---|---|" << Qt::endl;

    // How soon Process starts the first converter: the first Process of the
    // session (the ledger opens then), and later ones.
    {
        fillRows(folder, 8, Sources::None);
        const QString stamps = scratch.filePath(QStringLiteral("stamps"));
        useConverter(QStringLiteral(INSTANT_CONVERTER), QStringLiteral("--stamp ") + stamps);
        const double first = firstStartMs(stamps, 2);
        std::vector<double> later;
        for (int i = 0; i < std::max(5, s.runs); ++i)
            later.push_back(firstStartMs(stamps, 2));
        row(QStringLiteral("Process to the first converter started, the session's first run "
                           "(the ledger holding %1 records)")
                .arg(s.bigRows),
            number(first, 1) + " ms");
        row(QStringLiteral("the same, later runs (median of %1)").arg(later.size()),
            number(median(later), 1) + " ms");
        row(QStringLiteral("opening and checking that ledger (on its own thread, begun as the "
                           "window starts)"),
            number(ledgerOpenMs, 1) + " ms");
    }

    // All cores at work: N = 4 x cores images that each burn T of processor time.
    const int images = s.images > 0 ? s.images : 4 * cores;
    fillRows(folder, images, Sources::Images);
    useConverter(QStringLiteral(FAKE_IMF_COPY), QStringLiteral("--burn-ms %1").arg(s.burnMs));
    std::vector<double> serial, parallel;
    for (int i = 0; i < s.runs; ++i) {
        serial.push_back(runAll(1));
        parallel.push_back(runAll(cores));
    }
    const double limit = images * s.burnMs / 1000.0 / cores;
    row(QStringLiteral("%1 images x %2 ms processor time, 1 at once").arg(images).arg(s.burnMs),
        number(median(serial), 2) + " s");
    row(QStringLiteral("same, %1 at once (all cores)").arg(cores),
        number(median(parallel), 2) + " s");
    row(QStringLiteral("machine's limit N*T/cores"), number(limit, 2) + " s");
    row(QStringLiteral("all cores / limit"), number(median(parallel) / limit, 3) + " x");
    row(QStringLiteral("1 at once / all cores"),
        number(median(serial) / median(parallel), 2) + " x");
    if (batchOnly)
        return 0;

    // The run's own cost per row, with a converter that exits at once.
    fillRows(folder, s.overheadRows, Sources::None);
    useConverter(QStringLiteral(INSTANT_CONVERTER), QString());
    std::vector<double> perRow;
    for (int i = 0; i < s.runs; ++i)
        perRow.push_back(runAll(1) * 1000 / s.overheadRows);
    row(QStringLiteral("cost per row, converter that exits at once, 1 at once (%1 rows)")
            .arg(s.overheadRows),
        number(median(perRow), 2) + " ms");

    // A long run: memory and the price of the live table and progress dialog.
    const QString bigFolder = scratch.filePath(QStringLiteral("big"));
    QDir().mkpath(bigFolder);
    fillRows(bigFolder, s.bigRows, Sources::Empty);
    QCoreApplication::processEvents();
    const double before = statusMb("VmRSS:");
    resetPeak();
    // What recording costs: the same run with a ledger that cannot be written.
    Ledger* recording = G::ledger;
    G::ledger = new Ledger(scratch.filePath(QStringLiteral("big/texture_0.png/ledger.sqlite")));
    const double unrecorded = runAll(cores);
    delete G::ledger;
    G::ledger = recording;
    const double live = runAll(cores);
    const double liveOwn = lastOwnSeconds;
    const double peakLive = statusMb("VmHWM:");
    const double quiet = runAll(cores, Through::QueueAlone);
    const double quietOwn = lastOwnSeconds;
    row(QStringLiteral("%1 rows, %2 at once, live table and progress").arg(s.bigRows).arg(cores),
        number(live, 1) + " s (" + number(live * 1000 / s.bigRows, 2) + " ms a row)");
    row(QStringLiteral("same, the run queue alone (no table, no dialog)"),
        number(quiet, 1) + " s (" + number(quiet * 1000 / s.bigRows, 2) + " ms a row)");
    row(QStringLiteral("window / queue alone"), number(live / quiet, 3) + " x");
    row(QStringLiteral("Corvane's own processor time, window / queue alone"),
        number(liveOwn, 1) + " s / " + number(quietOwn, 1) + " s");
    row(QStringLiteral("the window's run without recording (ledger unusable)"),
        number(unrecorded, 1) +
            " s (recording: " + number((live - unrecorded) * 1000 / s.bigRows, 3) + " ms a row)");
    row(QStringLiteral("resident memory holding %1 rows, before any check or run").arg(s.bigRows),
        number(before) + " MB");
    row(QStringLiteral("peak during the checks and the first run"), number(peakLive) + " MB");
    row(QStringLiteral("after both runs"), number(statusMb("VmRSS:")) + " MB");

    // Failed rows keep their output only up to the run's budget.
    fillRows(folder, s.failingRows, Sources::None);
    useConverter(QStringLiteral(INSTANT_CONVERTER), QStringLiteral("--fail --print 8000"));
    const double beforeFailing = statusMb("VmRSS:");
    resetPeak();
    runAll(cores);
    qint64 kept = 0;
    for (const JobRow& r : G::model->rows())
        kept += r.note.size();
    row(QStringLiteral("%1 failing rows printing 8 kB each: output kept").arg(s.failingRows),
        number(kept / 1048576.0) + " MB");
    row(QStringLiteral("resident memory before / peak / after"),
        number(beforeFailing) + " / " + number(statusMb("VmHWM:")) + " / " +
            number(statusMb("VmRSS:")) + " MB");
    return 0;
}
