#include "conversion/run/ConversionQueue.h"

#include "conversion/rules/RowScript.h"
#include "conversion/rules/RunTexts.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/RowConversion.h"
#include "conversion/run/RunFolder.h"
#include "conversion/run/ScriptFile.h"
#include "conversion/run/UpToDateCheck.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

ConversionQueue::ConversionQueue(TargetSystem system, std::vector<ConversionJob> jobs,
                                 int maxAtOnce, LineSource lineFor, QObject* parent)
    : QObject(parent)
    , m_system(system)
    , m_jobs(std::move(jobs))
    , m_maxAtOnce(std::max(1, maxAtOnce))
    , m_lineFor(std::move(lineFor)) {
    if (m_jobs.empty()) {
        ConversionJob headerOnly;
        headerOnly.checkTarget = false;
        m_jobs.push_back(headerOnly);
    }
}

ConversionQueue::~ConversionQueue() {
    // Rows still running end with the queue: their destructors kill their trees.
    for (auto& [job, row] : m_active)
        delete row;
    m_active.clear();
}

void ConversionQueue::recordInto(Ledger* ledger, QString options, ConverterIdentity converter) {
    m_ledger = ledger;
    m_options = std::move(options);
    m_converter = std::move(converter);
}

bool ConversionQueue::prepare() {
    m_folder = RunFolder::make();
    if (!m_folder)
        return false;
    const QString probe = m_folder->filePath(rowScriptName(m_system, 0));
    const ConversionJob& first = m_jobs.front();
    const QString line = first.command.isNull() && first.checkTarget && m_lineFor
                             ? m_lineFor(0, first)
                             : first.command;
    const bool written = writeRunScript(probe, rowScriptBytes(m_system, line));
    QFile::remove(probe);
    return written;
}

void ConversionQueue::start() {
    startMore();
}

void ConversionQueue::cancel() {
    if (m_cancelling || m_finished)
        return;
    m_cancelling = true;
    for (auto& [job, row] : m_active)
        row->cancel();
    startMore(); // finishes at once when nothing runs
}

void ConversionQueue::startMore() {
    while (!m_cancelling && m_running < m_maxAtOnce && m_next < jobCount()) {
        const int job = m_next++;
        ConversionJob& next = m_jobs[static_cast<size_t>(job)];
        if (next.command.isNull() && next.checkTarget && m_lineFor)
            next.command = m_lineFor(job, next);
        auto* row = new RowConversion(m_system, m_folder->filePath(rowScriptName(m_system, job)),
                                      std::move(next), this);
        row->keepJournal(m_folder.get(), job);
        if (m_echoExitValues)
            row->echoExitValue();
        next = ConversionJob{};
        connect(row, &RowConversion::finished, this, [this, job, row] { rowEnded(job, row); });
        m_active.emplace(job, row);
        ++m_running;
        emit jobStarted(job);
        row->start();
    }
    if (m_running == 0 && !m_finished && (m_cancelling || m_next >= jobCount())) {
        m_finished = true;
        emit finished(m_cancelling);
    }
}

QString ConversionQueue::removeIncompleteTarget(const QString& target) {
    QFile file(target);
    const QString name = QFileInfo(target).fileName();
    if (file.remove())
        return incompleteTargetRemovedText(name);
    return incompleteTargetKeptText(name, file.errorString());
}

void ConversionQueue::rowEnded(int job, RowConversion* row) {
    m_active.erase(job);
    --m_running;
    const RowOutcome& outcome = row->outcome();
    RowVerdict verdict = rowVerdict(m_system, outcome);
    const ConversionJob& converted = row->job();
    if (verdict.converted() && m_ledger && converted.checkTarget && row->sourceStamp()) {
        m_ledger->record({ledgerKey(converted.target), converted.source, *row->sourceStamp(),
                          m_options, m_converter, *outcome.targetAfter,
                          QDateTime::currentMSecsSinceEpoch()});
    }
    if (!verdict.converted()) {
        const OutputTail& output = row->output();
        QByteArray lines = lastLines(output.bytes(), output.truncated()).toUtf8();
        if (lines.trimmed().isEmpty() || outcome.cancelled || !m_budget.take(lines.size()))
            lines = exitValuesText(m_system, outcome).toUtf8();
        else if (lines.size() > OutputTail::DefaultLimit)
            lines = lines.right(OutputTail::DefaultLimit);
        if (leavesIncompleteTarget(outcome, verdict))
            lines += '\n' + removeIncompleteTarget(row->job().target).toUtf8();
        lines.squeeze(); // encoding reserves three bytes a character; keep only what is used
        verdict.report = std::move(lines);
    }
    m_folder->rowEnds(job); // its incomplete target, if any, is gone by now
    row->deleteLater();
    emit jobFinished(job, verdict);
    startMore();
}
