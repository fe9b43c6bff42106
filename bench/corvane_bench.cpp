// Measures how Corvane's costs grow with the job list. Prints a Markdown table
// of medians; `--quick` runs tiny sizes once, as a smoke test.
#include "BenchPaths.h"

#include "app/CorvaneGUI.h"
#include "conversion/rules/ConversionJob.h"
#include "conversion/rules/ScriptText.h"
#include "conversion/rules/TargetClashes.h"
#include "conversion/rules/TickedJobs.h"
#include "joblist/JobSummaryLine.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "joblist/scan/ImageScan.h"
#include "testsupport/DialogRecorder.h"
#include "theme/Look.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmap>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {
struct Settings {
    bool quick = false;
    int runs = 7;
    std::vector<int> sizes{1000, 10000, 100000};
    int directoryFiles = 20000;
    int startupRuns = 15;
    int libraryFolders = 2000;
    int imagesPerFolder = 50;
};

// The folder the bench's paths share below their projects: rows added from
// it mirror four or five folders each into the output directory.
const QString benchRoot = QStringLiteral("/home/artist/projects");

QTextStream out(stdout);

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Median wall time of `measured` in milliseconds; `prepare` runs untimed before each run.
double timeMs(int runs, const std::function<void()>& prepare,
              const std::function<void()>& measured) {
    std::vector<double> samples;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        measured();
        samples.push_back(timer.nsecsElapsed() / 1e6);
    }
    return median(samples);
}

void row(const QString& what, int n, double value, const QString& unit) {
    out << "| " << what << " | " << (n > 0 ? QString::number(n) : QStringLiteral("-")) << " | "
        << QString::number(value, 'f', value < 10 ? 2 : 1) << ' ' << unit << " |" << Qt::endl;
}

void fill(int rows, const QString& root = {}) {
    CorvaneGUI::model->clear();
    CorvaneGUI::addImageRows(benchPaths(rows), root);
}

// Median time of one keystroke in the output directory field: every target
// rewritten, one notification, the repaint.
double keystrokeMs(const Settings& s) {
    using G = CorvaneGUI;
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(QStringLiteral("/srv/maps"));
    QCoreApplication::processEvents();
    bool typed = false;
    return timeMs(
        s.runs, [] {},
        [&] {
            if (typed)
                G::fieldDirectory->backspace();
            else
                G::fieldDirectory->insert(QStringLiteral("x"));
            typed = !typed;
            QCoreApplication::processEvents();
        });
}

// Runs the event loop until the scan under way has added its rows.
void waitForScan() {
    if (!CorvaneGUI::activeScan)
        return;
    QEventLoop done;
    QObject::connect(CorvaneGUI::activeScan.data(), &ImageScan::finished, &done, &QEventLoop::quit,
                     Qt::QueuedConnection);
    done.exec();
}

void listMeasurements(const Settings& s, QTemporaryDir& scratch) {
    CorvaneGUI window;
    window.resize(900, 700);
    window.show();
    QCoreApplication::processEvents();
    using G = CorvaneGUI;

    for (int n : s.sizes) {
        const QStringList paths = benchPaths(n);
        row("add rows (real add path)", n,
            timeMs(
                s.runs, [] { G::model->clear(); },
                [&] {
                    G::addImageRows(paths);
                    QCoreApplication::processEvents();
                }),
            "ms");

        // The same rows added one by one (nothing mirrored) and as a
        // library, whose targets mirror its folders; interleaved, so both
        // see the same machine.
        std::vector<double> flat;
        std::vector<double> mirrored;
        std::vector<double> flatRule;
        std::vector<double> mirroredRule;
        const auto recomputeMs = [&] {
            return timeMs(
                s.runs, [] {}, [] { G::recomputeTargets(); });
        };
        for (int round = 0; round < 5; ++round) {
            fill(n, benchRoot);
            mirrored.push_back(keystrokeMs(s));
            mirroredRule.push_back(recomputeMs());
            fill(n); // the rows below are measured as they always were
            flat.push_back(keystrokeMs(s));
            flatRule.push_back(recomputeMs());
        }
        row("one keystroke in the output directory", n, median(flat), "ms");
        row("one keystroke in the output directory, mirrored targets", n, median(mirrored), "ms");
        row("recompute all targets alone", n, median(flatRule), "ms");
        row("recompute all targets alone, mirrored", n, median(mirroredRule), "ms");
        row("mirrored / as before, recompute alone", n,
            median(mirroredRule) / std::max(median(flatRule), 1e-6), "x");

        const ConverterLines lines(G::commandSettings());
        std::optional<TickedJobs> jobs;
        std::vector<QString> composed;
        row("compose all command lines", n,
            timeMs(
                s.runs, [&] { composed.clear(); },
                [&] {
                    jobs = tickedJobs(G::model->rows(), lines);
                    for (size_t i = 0; i < jobs->jobs.size(); ++i)
                        composed.push_back(
                            lines.line(G::model->row(jobs->rows[i]).image, jobs->jobs[i].target));
                }),
            "ms");
        std::vector<QString> targets;
        for (const ConversionJob& job : jobs->jobs)
            targets.push_back(job.target);
        row("find clashing targets before Process (ticked jobs)", n,
            timeMs(
                s.runs, [] {}, [&] { findTargetClashes(targets); }),
            "ms");
        row("find clashing targets before Create Script (rows, output directory)", n,
            timeMs(
                s.runs, [] {},
                [&] {
                    findTargetClashes(G::model->rows(), G::model->roots(),
                                      G::commandSettings().output);
                }),
            "ms");
        const QString exported = scratch.filePath(QStringLiteral("export.sh"));
        const double exportMs = timeMs(
            s.runs,
            [&] {
                Dialogs::Testing::queueFiles(Dialogs::FileAnswer{{exported}, 1});
            },
            [] { G::createScript(); });
        row("export a script (compose + write)", n, exportMs, "ms");
        QFile exportedFile(exported);
        exportedFile.open(QIODevice::ReadOnly);
        const QByteArray bytes = exportedFile.readAll();
        const QByteArray plainPath = scratch.filePath(QStringLiteral("plain.sh")).toLocal8Bit();
        const double plainMs = timeMs(
            s.runs, [] {},
            [&] {
                std::FILE* f = std::fopen(plainPath.constData(), "wb");
                std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), f);
                std::fclose(f);
            });
        row("plain buffered write of the same bytes", n, plainMs, "ms");
        row("export / plain write", n, exportMs / std::max(plainMs, 1e-6), "x");

        // A batch file first checks every row against the code page it goes in.
        const QString exportedBatch = scratch.filePath(QStringLiteral("export.bat"));
        const TargetSystem system = G::system;
        G::system = TargetSystem::Windows;
        row("export a batch file (code page check + compose + write)", n,
            timeMs(
                s.runs,
                [&] {
                    Dialogs::Testing::queueFiles(Dialogs::FileAnswer{{exportedBatch}, 1});
                },
                [] { G::createScript(); }),
            "ms");
        G::system = system;

        // The summary line as a run's announcement or a tick brings it up to
        // date: count every row, compose the text, repaint the label.
        G::model->updateAll([](int i, JobRow& row) {
            row.status = i % 3 == 0 ? Status::Failed
                                    : (i % 3 == 1 ? Status::Converted : Status::Unprocessed);
            row.process = i % 2 == 0;
        });
        QCoreApplication::processEvents();
        row("summary line update (count + text + repaint)", n,
            timeMs(
                s.runs, [] {},
                [] {
                    G::labelSummary->refresh();
                    G::labelSummary->repaint();
                }),
            "ms");
        // A farm job: NAME.tasks (a longer line per row), NAME.sbatch, the README and
        // the log folder, through the window's own listener.
        const QString farmJob = scratch.filePath(QStringLiteral("farm/night"));
        QDir().mkpath(scratch.filePath(QStringLiteral("farm")));
        G::system = TargetSystem::Mac;
        row("export a farm job (three files, task lines with the skip clause)", n,
            timeMs(
                s.runs,
                [&] {
                    Dialogs::Testing::queueFarmSettings(defaultFarmSettings(n));
                    Dialogs::Testing::queueFiles(Dialogs::FileAnswer{{farmJob}, 0});
                },
                [] { G::exportFarmJob(); }),
            "ms");
        row("its NAME.tasks", n, QFileInfo(farmJob + ".tasks").size() / 1048576.0, "MB");
        G::system = system;

        G::checkSameDirectory->setChecked(true);
        G::table->scrollTo(G::model->index(n / 2, 0));
        QPixmap canvas(G::table->viewport()->size());
        row("paint one viewport", n,
            timeMs(
                s.runs, [] {}, [&] { G::table->viewport()->render(&canvas); }),
            "ms");
    }

    // A real folder of image files, listed by "Add Directory".
    const QString folder = scratch.filePath(QStringLiteral("folder"));
    QDir().mkpath(folder);
    // The image files, and one other file for every ten of them.
    for (int i = 0; i < s.directoryFiles; ++i) {
        QFile(QStringLiteral("%1/texture_%2.png").arg(folder).arg(i)).open(QIODevice::WriteOnly);
        if (i % 10 == 0)
            QFile(QStringLiteral("%1/notes_%2.txt").arg(folder).arg(i)).open(QIODevice::WriteOnly);
    }
    row("Add Directory on a folder of image files", s.directoryFiles,
        timeMs(
            s.runs,
            [&] {
                G::model->clear();
                Dialogs::Testing::queueFiles(Dialogs::FileAnswer{{folder}, -1});
            },
            [] {
                G::ListenerAddDirectory{}.actionPerformed();
                waitForScan();
            }),
        "ms");
}

// A texture library of `folders` folders, two levels deep, `perFolder` images
// each (and a text file now and then), scanned and added through the real
// window as "Add Directory" with Include Subfolders does it.
void libraryMeasurements(const Settings& s, QTemporaryDir& scratch) {
    using G = CorvaneGUI;
    CorvaneGUI window;
    window.resize(900, 700);
    window.show();
    QCoreApplication::processEvents();
    const QString library = scratch.filePath(QStringLiteral("library"));
    for (int f = 0; f < s.libraryFolders; ++f) {
        const QString folder = QStringLiteral("%1/project_%2/asset_%3")
                                   .arg(library)
                                   .arg(f / 50, 2, 10, QLatin1Char('0'))
                                   .arg(f % 50, 2, 10, QLatin1Char('0'));
        QDir().mkpath(folder);
        for (int i = 0; i < s.imagesPerFolder; ++i)
            QFile(QStringLiteral("%1/texture_%2.png").arg(folder).arg(i))
                .open(QIODevice::WriteOnly);
        QFile(folder + QStringLiteral("/notes.txt")).open(QIODevice::WriteOnly);
    }
    G::itemIncludeSubfolders->setChecked(true);
    const int images = s.libraryFolders * s.imagesPerFolder;

    // The event loop's longest pause while the scan runs, seen by a timer
    // that asks to run every 5 ms: how long a click or a repaint would wait.
    double longestPause = 0;
    const auto scanOnce = [&] {
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(5);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            longestPause = std::max(longestPause, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        Dialogs::Testing::queueFiles(Dialogs::FileAnswer{{library}, -1});
        G::ListenerAddDirectory{}.actionPerformed();
        sinceTick.start();
        ticker.start();
        waitForScan();
    };
    G::model->clear();
    scanOnce(); // the first walk fills the file system's caches: warm from here on
    std::vector<double> pauses;
    row("scan and add a library (Include Subfolders), warm", images,
        timeMs(
            s.runs,
            [&] {
                G::model->clear();
                longestPause = 0;
            },
            [&] {
                scanOnce();
                pauses.push_back(longestPause);
            }),
        "ms");
    row("longest pause of the event loop during that scan", images, median(pauses), "ms");
    row("rows added", images, G::model->rowCount(), "");
    row("folders of that library", 0, s.libraryFolders, "");
}

struct ProbeResult {
    double shownMs;
    double residentMb;
};

ProbeResult probe(const QString& program, const QStringList& arguments, const QString& platform) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
    process.setProcessEnvironment(env);
    timespec start{};
    clock_gettime(CLOCK_REALTIME, &start);
    process.start(program, arguments);
    process.waitForFinished(-1);
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (fields.size() < 2)
        return {-1, -1};
    const double startUs = start.tv_sec * 1e6 + start.tv_nsec / 1e3;
    return {(fields[0].toDouble() - startUs) / 1e3, fields[1].toDouble() / 1024};
}

void startupMeasurements(const Settings& s) {
    QStringList platforms{QStringLiteral("offscreen")};
    if (!qEnvironmentVariableIsEmpty("DISPLAY") && !s.quick)
        platforms << QStringLiteral("xcb");
    for (const QString& platform : platforms) {
        std::vector<double> corvane;
        std::vector<double> minimal;
        for (int i = 0; i < s.startupRuns; ++i) { // interleaved, so both see the same machine
            corvane.push_back(probe(QStringLiteral(CORVANE_PROBE), {}, platform).shownMs);
            minimal.push_back(probe(QStringLiteral(MINIMAL_PROBE), {}, platform).shownMs);
        }
        row("start-up to window shown, Corvane (" + platform + ")", 0, median(corvane), "ms");
        row("start-up to window shown, minimal Qt (" + platform + ")", 0, median(minimal), "ms");
        row("start-up ratio (" + platform + ")", 0, median(corvane) / median(minimal), "x");
    }
    row("resident memory, minimal Qt", 0,
        probe(QStringLiteral(MINIMAL_PROBE), {}, QStringLiteral("offscreen")).residentMb, "MB");
    row("resident memory, Corvane", 0,
        probe(QStringLiteral(CORVANE_PROBE), {}, QStringLiteral("offscreen")).residentMb, "MB");
    for (int n : s.sizes) {
        const double flat =
            probe(QStringLiteral(CORVANE_PROBE), {QString::number(n)}, QStringLiteral("offscreen"))
                .residentMb;
        const double library = probe(QStringLiteral(CORVANE_PROBE), {QString::number(n), benchRoot},
                                     QStringLiteral("offscreen"))
                                   .residentMb;
        row("resident memory, Corvane", n, flat, "MB");
        row("resident memory, Corvane, rows added as a library", n, library, "MB");
        row("library / as before, per row", n, (library - flat) * 1024 * 1024 / n, "bytes");
    }
    row("sizeof(JobRow)", 0, sizeof(JobRow), "bytes");
}
} // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    Settings s;
    if (application.arguments().contains(QStringLiteral("--quick"))) {
        s.quick = true;
        s.runs = 1;
        s.sizes = {100, 1000};
        s.directoryFiles = 300;
        s.startupRuns = 1;
        s.libraryFolders = 20;
        s.imagesPerFolder = 5;
    }
    Dialogs::Testing::enable(); // the export and "Add Directory" are answered here
    Look::rememberSystemLook();
    Look::installThemed();
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return 1;

    out << "| measurement | N | median |" << Qt::endl << "|---|---|---|" << Qt::endl;
    listMeasurements(s, scratch);
    libraryMeasurements(s, scratch);
    startupMeasurements(s);
    return 0;
}
