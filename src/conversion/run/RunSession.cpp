#include "conversion/run/RunSession.h"

#include "conversion/rules/OutputTail.h"
#include "conversion/run/ConversionQueue.h"
#include "joblist/rules/TargetPaths.h"

#include <algorithm>

namespace {
constexpr int DetailLinesPerRow = 5;

QString fileNameOf(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}
} // namespace

RunSession::RunSession(RunRows& model, Request request, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_rows(std::move(request.ticked.rows))
    , m_upToDate(std::move(request.upToDate))
    , m_runNotes(std::move(request.runNotes))
    , m_upToDateNotes(std::move(request.upToDateNotes))
    , m_recoveredTargets(request.recoveredTargets)
    , m_lines(std::move(request.settings))
    , m_record(m_lines.settings().output, m_lines.settings().roots) {
    const TargetSystem system = m_lines.settings().system;
    m_queue = std::make_unique<ConversionQueue>(
        system, std::move(request.ticked.jobs), request.maxAtOnce,
        [this](int job, const ConversionJob& conversion) {
            return m_lines.line(m_model.row(m_rows[static_cast<size_t>(job)]).image,
                                conversion.target);
        });
    if (request.ledger)
        m_queue->recordInto(request.ledger, buildFlagString(m_lines.settings().flags),
                            std::move(request.converter));
    if (request.echoExitValues)
        m_queue->echoExitValues();
    connect(m_queue.get(), &ConversionQueue::jobStarted, this, &RunSession::jobStarted);
    connect(m_queue.get(), &ConversionQueue::jobFinished, this, &RunSession::jobFinished);
    // Queued, so the queue is no longer on the stack when it is dropped.
    connect(m_queue.get(), &ConversionQueue::finished, this, &RunSession::queueFinished,
            Qt::QueuedConnection);
    m_refresh.setInterval(RefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &RunSession::refresh);
}

RunSession::~RunSession() {
    m_queue.reset(); // ends whatever still runs
}

bool RunSession::prepare() {
    return nothingToRun() || m_queue->prepare();
}

bool RunSession::nothingToRun() const {
    return m_rows.empty() && !m_upToDate.empty();
}

int RunSession::total() const {
    return static_cast<int>(m_rows.size() + m_upToDate.size());
}

void RunSession::start() {
    m_clock.start();
    stampUpToDate();
    if (nothingToRun()) {
        finish(false);
        return;
    }
    m_refresh.start();
    m_queue->start();
}

void RunSession::cancel() {
    if (m_queue)
        m_queue->cancel();
}

void RunSession::stampUpToDate() {
    for (size_t i = 0; i < m_upToDate.size(); ++i) {
        JobRow& row = m_model.rowForQuietUpdate(m_upToDate[i]);
        row.status = Status::Converted;
        row.process = false;
        row.note = i < m_upToDateNotes.size() ? m_upToDateNotes[i] : QByteArray();
        row.failureExit.reset();
        m_record.upToDate(m_upToDate[i], row);
        markDirty(m_upToDate[i]);
        emit rowEnded(m_upToDate[i]);
    }
}

QByteArray RunSession::runNote(int job) const {
    return static_cast<size_t>(job) < m_runNotes.size() ? m_runNotes[static_cast<size_t>(job)]
                                                        : QByteArray();
}

void RunSession::jobStarted(int job) {
    m_lastStarted = std::max(m_lastStarted, job);
    if (m_rows.empty())
        return;
    const int row = m_rows[static_cast<size_t>(job)];
    m_record.started(job, m_clock.elapsed());
    m_model.rowForQuietUpdate(row).status = Status::Converting;
    markDirty(row);
}

void RunSession::jobFinished(int job, const RowVerdict& verdict) {
    if (m_rows.empty()) {
        m_headerOnly = verdict;
        return;
    }
    m_tally.rowEnded(job, verdict);
    const int rowIndex = m_rows[static_cast<size_t>(job)];
    JobRow& row = m_model.rowForQuietUpdate(rowIndex);
    const QByteArray why = runNote(job);
    if (verdict.converted()) {
        row.status = Status::Converted;
        row.process = false;
        row.note = why;
        row.failureExit.reset();
    } else {
        row.status = Status::Failed;
        row.note = why.isEmpty() ? verdict.report : why + '\n' + verdict.report;
        row.failureExit = verdict.exits;
    }
    m_record.ended(job, rowIndex, row, verdict, m_clock.elapsed());
    markDirty(rowIndex);
    emit rowEnded(rowIndex);
}

void RunSession::markDirty(int row) {
    m_dirtyFirst = std::min(m_dirtyFirst, row);
    m_dirtyLast = std::max(m_dirtyLast, row);
}

void RunSession::refresh() {
    if (m_dirtyLast >= 0) {
        m_model.announceRows(m_dirtyFirst, m_dirtyLast);
        m_dirtyFirst = INT_MAX;
        m_dirtyLast = -1;
    }
    if (m_ended || !m_queue || m_queue->isCancelling())
        return;
    const int all = total();
    const int skipped = static_cast<int>(m_upToDate.size());
    const int done = skipped + m_tally.ended();
    QString name;
    if (m_lastStarted >= 0 && !m_rows.empty())
        name = fileNameOf(m_model.row(m_rows[static_cast<size_t>(m_lastStarted)]).image);
    const qint64 elapsed = m_clock.elapsed();
    // Rows left out as up to date count as done, but not toward the time a row takes.
    emit progressed(progressText(std::min(skipped + m_lastStarted + 1, all), all, name, elapsed,
                                 remainingEstimate(elapsed, done - skipped, all - skipped)),
                    done);
}

void RunSession::queueFinished(bool cancelled) {
    m_queue.reset(); // the private folder and every script go with it
    finish(cancelled);
}

void RunSession::finish(bool cancelled) {
    m_ended = true;
    m_refresh.stop();
    refresh();
    const int upToDate = static_cast<int>(m_upToDate.size());
    RunSummary summary;
    summary.cancelled = cancelled;
    summary.converted = upToDate + m_tally.converted();
    summary.total = total();
    summary.upToDate = upToDate;
    summary.firstFailure = m_tally.firstFailure();
    summary.recoveredTargets = m_recoveredTargets;
    if (m_rows.empty() && m_upToDate.empty())
        summary.headerOnly = m_headerOnly;
    emit ended(summary, details());
}

RunReport RunSession::takeReport() {
    return m_record.take(
        m_rows, [this](int row) -> const JobRow& { return m_model.row(row); }, m_clock.elapsed());
}

QString RunSession::details() const {
    // Every row that failed or ran for a reason, in table order.
    std::vector<int> jobs = m_tally.failedJobs();
    for (size_t job = 0; job < m_runNotes.size() && job < m_rows.size(); ++job)
        jobs.push_back(static_cast<int>(job));
    std::sort(jobs.begin(), jobs.end());
    jobs.erase(std::unique(jobs.begin(), jobs.end()), jobs.end());
    std::vector<FailedRowReport> failed;
    for (int job : jobs) {
        const JobRow& row = m_model.row(m_rows[static_cast<size_t>(job)]);
        // Only the last lines are shown: decoding all of a large run's output
        // at once would cost more memory than the output itself.
        failed.push_back({row.image, QString::fromUtf8(lastLinesOf(row.note, DetailLinesPerRow))});
    }
    return failureDetails(failed, DetailLinesPerRow);
}
