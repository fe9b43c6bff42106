#include "cli/CliConvert.h"

#include "cli/CliConsole.h"
#include "cli/CliResults.h"
#include "cli/CliSettings.h"
#include "conversion/rules/ConverterCheck.h"
#include "conversion/rules/OutputTail.h"
#include "conversion/rules/RunReport.h"
#include "conversion/rules/RunTexts.h"
#include "conversion/run/ConverterPath.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/Machine.h"
#include "conversion/run/RunSession.h"
#include "conversion/run/SaveFile.h"
#include "conversion/run/TerminationSignals.h"
#include "conversion/run/UpToDateCheck.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

namespace {
// The command line's rows: a plain list nobody watches.
class CliRows final : public RunRows {
public:
    explicit CliRows(std::vector<JobRow> rows)
        : m_rows(std::move(rows)) {}
    const JobRow& row(int index) const override { return m_rows[size_t(index)]; }
    JobRow& rowForQuietUpdate(int index) override { return m_rows[size_t(index)]; }
    void announceRows(int, int) override {}
    const std::vector<JobRow>& all() const { return m_rows; }

private:
    std::vector<JobRow> m_rows;
};

enum class Output { Lines, Json, Terminal };

// Tells each image's end the way the output calls for, and keeps the counts.
class Reporter {
public:
    Reporter(CliConsole& console, const CliRequest& request, const CliRows& rows,
             const ConverterLines& lines, const std::vector<int>& upToDate, int running)
        : m_console(console)
        , m_rows(rows)
        , m_lines(lines)
        , m_explain(request.explain)
        , m_withWhy(request.skipUpToDate)
        , m_output(request.json                 ? Output::Json
                   : console.outputIsTerminal() ? Output::Terminal
                                                : Output::Lines)
        , m_upToDate(rows.all().size(), 0)
        , m_running(running) {
        for (int row : upToDate)
            m_upToDate[size_t(row)] = 1;
        m_progress.left = running + int(upToDate.size());
        m_clock.start();
    }

    void rowEnded(int index) {
        const CliResult result = resultOf(index);
        --m_progress.left;
        switch (result.kind) {
        case CliResult::Kind::Converted:
            ++m_progress.done;
            break;
        case CliResult::Kind::Failed:
            ++m_progress.failed;
            break;
        case CliResult::Kind::UpToDate:
            ++m_progress.skipped;
            break;
        }
        switch (m_output) {
        case Output::Json:
            m_console.out(resultJson(result));
            break;
        case Output::Lines:
            m_console.out(resultLine(result, m_explain));
            break;
        case Output::Terminal:
            // Converted images are counted; the ones to look at are printed.
            if (result.kind == CliResult::Kind::Failed || m_explain) {
                m_console.out(resultLine(result, m_explain));
                showProgress(); // the counts under it, as they are now
            }
            break;
        }
    }

    void showProgress() {
        if (m_output != Output::Terminal)
            return;
        m_progress.elapsedMs = m_clock.elapsed();
        m_progress.remainingMs =
            m_finished ? std::nullopt
                       : remainingEstimate(m_progress.elapsedMs,
                                           m_progress.done + m_progress.failed, m_running);
        m_console.progress(progressLine(m_progress));
    }

    // The last word of the progress line: how it ended, no time left to guess.
    void finish() {
        m_finished = true;
        showProgress();
        m_console.endProgress();
    }

    int failed() const { return m_progress.failed; }

private:
    CliResult resultOf(int index) const {
        const JobRow& row = m_rows.row(index);
        CliResult result;
        result.image = QDir::toNativeSeparators(row.image);
        if (const std::optional<LineTarget> target = m_lines.target(row))
            result.target = QDir::toNativeSeparators(target->joined());
        const QString note = QString::fromUtf8(row.note);
        if (m_upToDate[size_t(index)]) {
            result.kind = CliResult::Kind::UpToDate;
            result.why = note;
        } else if (row.status == Status::Failed) {
            result.kind = CliResult::Kind::Failed;
            result.reason = QString::fromUtf8(lastLinesOf(row.note, 1)).trimmed();
            if (m_withWhy)
                result.why = note.section(u'\n', 0, 0);
        } else if (m_withWhy) {
            result.why = note.section(u'\n', 0, 0);
        }
        return result;
    }

    CliConsole& m_console;
    const CliRows& m_rows;
    const ConverterLines& m_lines;
    bool m_explain;
    bool m_withWhy;
    Output m_output;
    std::vector<char> m_upToDate;
    int m_running;
    CliProgress m_progress;
    QElapsedTimer m_clock;
    bool m_finished = false;
};

// A broken ledger is moved aside and a new one started: worth a word.
void tellLedgerState(const Ledger& ledger, CliConsole& console) {
    const Ledger::Status& status = ledger.status();
    if (status.state == Ledger::State::RenamedAside)
        console.error(ledgerMovedAsideText(status.path, status.asidePath));
}

// Only an existing folder, or one made now, can take the .map files.
bool makeOutputFolder(const OutputChoice& output) {
    return output.sameDirectory || QDir().mkpath(output.directory);
}
} // namespace

CliExit convertImages(const CliRequest& request, CliImages images, CliConsole& console,
                      int recoveredTargets) {
    // Opened and checked on its own thread while the rest is made ready.
    Ledger ledger;
    const CommandSettings settings =
        commandSettingsFor(request, images.roots, thisMachinesSystem());
    // Nothing runs with a converter that is not there: one message instead of
    // a failure for every image.
    if (const ConverterState state = checkConverter(settings.converterPath);
        state != ConverterState::Found) {
        console.error(converterProblemText(state, QDir::toNativeSeparators(settings.converterPath),
                                           ConverterChooser::CommandLine));
        return CliExit::ConverterMissing;
    }
    const ConverterLines lines(settings);
    std::optional<TickedJobs> ticked = tickedJobs(images.rows, lines);
    if (!ticked) {
        console.error(unplacedTargetText());
        return CliExit::Usage;
    }
    if (const std::optional<QString> clash = clashRefusal(*ticked)) {
        console.error(*clash);
        return CliExit::Usage;
    }
    if (!makeOutputFolder(settings.output)) {
        console.error(
            QStringLiteral("cannot make the output folder %1").arg(settings.output.directory));
        return CliExit::Usage;
    }
    if (recoveredTargets > 0)
        console.error(recoveredTargetsText(recoveredTargets));

    RunSession::Request run;
    run.ticked = std::move(*ticked);
    run.settings = settings;
    run.converter = resolveConverter(settings.converterPath);
    run.maxAtOnce = request.jobs > 0 ? request.jobs : std::max(1, QThread::idealThreadCount());
    if (request.skipUpToDate) {
        tellLedgerState(ledger, console);
        if (!ledger.usable())
            console.error(ledgerUnusableText(ledger.status().path, ledger.status().error));
        leaveOutUpToDate(run, ledger);
    }
    // Records a ledger that turns out unusable forgets; asking now would wait for its check.
    run.ledger = &ledger;

    CliRows rows(std::move(images.rows));
    Reporter reporter(console, request, rows, lines, run.upToDate, int(run.ticked.jobs.size()));
    RunSession session(rows, std::move(run));
    if (!session.prepare()) {
        console.error(QStringLiteral("cannot write the run's scripts: %1").arg(writeErrorText()));
        return CliExit::Failed;
    }
    bool interrupted = false;
    QObject::connect(&TerminationSignals::watch(), &TerminationSignals::requested, &session, [&] {
        interrupted = true;
        session.cancel();
    });
    QObject::connect(&session, &RunSession::rowEnded, &session,
                     [&reporter](int row) { reporter.rowEnded(row); });
    QTimer progress;
    progress.setInterval(100); // at most ten times a second
    QObject::connect(&progress, &QTimer::timeout, &session,
                     [&reporter] { reporter.showProgress(); });
    // Queued: a run with nothing to run ends inside start(), before the loop.
    QObject::connect(
        &session, &RunSession::ended, &session, [] { QCoreApplication::exit(0); },
        Qt::QueuedConnection);
    progress.start();
    reporter.showProgress();
    session.start();
    QCoreApplication::exec();
    progress.stop();
    reporter.finish();
    if (!request.skipUpToDate) // said now, so that its check never held up the first converter
        tellLedgerState(ledger, console);

    CliExit exit = reporter.failed() > 0 ? CliExit::Failed : CliExit::Success;
    if (!request.report.isEmpty()) {
        const RunReport report = session.takeReport();
        const QString error = writeFileAtomically(
            request.report, [&report](QIODevice& file) { return writeReportCsv(file, report); });
        if (!error.isEmpty()) {
            console.error(QStringLiteral("the report could not be saved as %1: %2")
                              .arg(QDir::toNativeSeparators(request.report), error));
            exit = CliExit::Failed;
        }
    }
    if (interrupted) {
        console.error(QStringLiteral("interrupted: every converter it started has ended"));
        return CliExit::Interrupted;
    }
    return exit;
}
