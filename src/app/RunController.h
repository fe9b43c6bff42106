#pragma once

#include "conversion/ConversionQueue.h"
#include "conversion/TickedJobs.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <climits>
#include <memory>
#include <vector>

#include <QProgressDialog>

// One "Process" run seen through the window: it starts the queue, stamps each
// row the moment it ends, keeps the progress dialog current, locks the table
// and the options while the run lasts, and shows the result box at the end.
// What a run is asked to do.
struct RunRequest {
    TickedJobs ticked;
    int system = 0;
    int maxAtOnce = 1;
    // Ticked rows left out because their targets are up to date: they become
    // "Converted" without running anything.
    std::vector<int> upToDate;
    // Composes the lines of jobs given without one, as each row starts.
    std::shared_ptr<const ConverterLines> lines;
    // Off: the table and the progress dialog learn of the rows only at the
    // end (to measure what the live view costs).
    bool live = true;
};

class RunController final : public QObject {
    Q_OBJECT
public:
    // How often the table and the progress dialog are brought up to date: a
    // few times a second, however fast rows end.
    static constexpr int RefreshMs = 200;

    // Starts a run; nothing runs, and "Error Writing File" is shown, when
    // the run's scripts cannot be written. The result is then null, as it is
    // when nothing needs to run.
    static RunController* start(RunRequest request);
    // The run under way, if any.
    static RunController* active();

    ~RunController() override;

    void cancel();
    // Ends the run as Cancel does, then the program, with exit status 0.
    void quitWhenStopped();
    QProgressDialog* progressDialog() const { return m_dialog; }

signals:
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit RunController(RunRequest request);
    void stampUpToDate();
    int total() const { return static_cast<int>(m_rows.size() + m_upToDate.size()); }

    void lockWindow(bool locked);
    // It shows itself once the run has lasted a moment.
    void showProgressDialog();
    void jobStarted(int job);
    void jobFinished(int job, const JobVerdict& verdict);
    void queueFinished(bool cancelled);
    void markDirty(int row);
    void refresh();
    void report(bool cancelled);
    QString withUpToDate(const QString& text) const;

    std::vector<int> m_rows; // the table row of each job
    std::vector<int> m_upToDate;
    std::unique_ptr<ConversionQueue> m_queue;
    QPointer<QProgressDialog> m_dialog;
    QTimer m_refresh;
    QElapsedTimer m_clock;
    bool m_live;
    bool m_quit = false;

    int m_dirtyFirst = INT_MAX;
    int m_dirtyLast = -1;
    int m_done = 0;
    int m_converted = 0;
    int m_lastStarted = -1;
    int m_firstFailedJob = INT_MAX;
    QString m_firstFailedText;
    QString m_headerOnlyText; // the result of a run without ticked rows
    std::vector<int> m_failedJobs;
};
