#pragma once

#include "conversion/rules/CommandLine.h"
#include "conversion/rules/RunReport.h"
#include "conversion/rules/RunTally.h"
#include "conversion/rules/RunTexts.h"
#include "conversion/rules/TickedJobs.h"
#include "conversion/run/RunRows.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <climits>
#include <memory>
#include <vector>

class ConversionQueue;
class Ledger;

// One "Process" run as the rows see it: it runs them through the queue,
// stamps each row the moment it ends (whoever shows the rows hears of it a few
// times a second, not once a row), and reports how far it has come and how it
// ended by signals. The window and the command line drive it alike.
class RunSession final : public QObject {
    Q_OBJECT
public:
    // How often the table and the progress are brought up to date.
    static constexpr int RefreshMs = 200;

    struct Request {
        TickedJobs ticked;
        // Ticked rows left out because their targets are up to date: they
        // become "Converted" without running anything.
        std::vector<int> upToDate;
        CommandSettings settings; // each row's line is composed as it starts
        int maxAtOnce = 1;
        // With Skip Up-to-Date Images: why each job runs, and since when each
        // row left out is up to date, for their tooltips and the details.
        std::vector<QByteArray> runNotes;
        std::vector<QByteArray> upToDateNotes;
        // Converted rows are recorded here, with the converter that made them.
        Ledger* ledger = nullptr;
        ConverterIdentity converter;
        // Incomplete targets of a run that never ended, removed at start.
        int recoveredTargets = 0;
        // The window's console line per script (see RowConversion::echoExitValue).
        bool echoExitValues = false;
    };

    RunSession(RunRows& rows, Request request, QObject* parent = nullptr);
    ~RunSession() override;

    // Makes the run's private folder and tries a first script in it; false
    // when that fails, and then nothing may run. Needless when nothing runs.
    bool prepare();
    // Whether every ticked row was up to date, so that nothing at all runs.
    bool nothingToRun() const;
    // Starts the rows; when nothing runs, ended() comes before this returns.
    void start();
    // Starts nothing more and ends the running rows; ended() follows.
    void cancel();
    int total() const;
    // What became of each row, in table order, for the report kept after the run.
    RunReport takeReport();

signals:
    // The progress dialog's text and how many rows are done, a few times a second.
    void progressed(const QString& text, int done);
    // A row has its verdict: it ended, or it was left out as up to date.
    void rowEnded(int row);
    // Once: the result box's summary and the "Show Details..." text.
    void ended(const RunSummary& summary, const QString& details);

private:
    void stampUpToDate();
    void jobStarted(int job);
    void jobFinished(int job, const RowVerdict& verdict);
    void queueFinished(bool cancelled);
    void markDirty(int row);
    void refresh();
    void finish(bool cancelled);
    QString details() const;
    QByteArray runNote(int job) const;

    RunRows& m_model;
    std::vector<int> m_rows; // the table row of each job
    std::vector<int> m_upToDate;
    std::vector<QByteArray> m_runNotes;
    std::vector<QByteArray> m_upToDateNotes;
    int m_recoveredTargets = 0;
    ConverterLines m_lines;
    RunRecord m_record;
    std::unique_ptr<ConversionQueue> m_queue;
    RunTally m_tally;
    std::optional<RowVerdict> m_headerOnly; // the result of a run without ticked rows
    QTimer m_refresh;
    QElapsedTimer m_clock;
    int m_dirtyFirst = INT_MAX;
    int m_dirtyLast = -1;
    int m_lastStarted = -1;
    bool m_ended = false;
};
