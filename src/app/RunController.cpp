#include "app/RunController.h"

#include "app/CorvaneGUI.h"
#include "app/Dialogs.h"
#include "conversion/ConversionResult.h"
#include "conversion/RunVerdict.h"
#include "conversion/UpToDate.h"
#include "joblist/JobTableModel.h"
#include "joblist/TargetPaths.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>

namespace {
RunController* s_active = nullptr;

constexpr int ShowDialogAfterMs = 300; // a run that ends at once shows no dialog
constexpr int DetailLinesPerRow = 5;

QString fileNameOf(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}
} // namespace

RunController* RunController::active() {
    return s_active;
}

RunController* RunController::start(RunRequest request) {
    if (s_active)
        return nullptr;
    const bool nothingToRun = request.ticked.jobs.empty() && !request.upToDate.empty();
    auto* run = new RunController(std::move(request));
    if (nothingToRun) {
        // Every ticked row was up to date: nothing runs, not even an empty script.
        run->stampUpToDate();
        run->refresh();
        run->report(false);
        delete run;
        return nullptr;
    }
    if (!run->m_queue->prepare()) {
        delete run;
        Dialogs::showMessage(Dialogs::MessageKind::Error, CorvaneGUI::dialogTitle,
                             ConversionResult::WriteError);
        return nullptr;
    }
    s_active = run;
    run->stampUpToDate();
    run->lockWindow(true);
    run->m_clock.start();
    if (run->m_live) {
        run->showProgressDialog();
        run->m_refresh.start();
    }
    run->m_queue->start();
    return run;
}

RunController::RunController(RunRequest request)
    : m_rows(std::move(request.ticked.rows))
    , m_upToDate(std::move(request.upToDate))
    , m_live(request.live) {
    ConversionQueue::LineSource lineFor;
    if (request.lines) {
        lineFor = [this, lines = request.lines](int job, const BatchJob& batchJob) {
            return lines->line(CorvaneGUI::model->row(m_rows[static_cast<size_t>(job)]),
                               batchJob.target);
        };
    }
    m_queue = std::make_unique<ConversionQueue>(request.system, std::move(request.ticked.jobs),
                                                request.maxAtOnce, std::move(lineFor));
    connect(m_queue.get(), &ConversionQueue::jobStarted, this, &RunController::jobStarted);
    connect(m_queue.get(), &ConversionQueue::jobFinished, this, &RunController::jobFinished);
    // Queued, so the queue is no longer on the stack when it is dropped.
    connect(m_queue.get(), &ConversionQueue::finished, this, &RunController::queueFinished,
            Qt::QueuedConnection);
    m_refresh.setInterval(RefreshMs);
    connect(&m_refresh, &QTimer::timeout, this, &RunController::refresh);
}

void RunController::stampUpToDate() {
    for (int rowIndex : m_upToDate) {
        JobRow& row = CorvaneGUI::model->rowForQuietUpdate(rowIndex);
        row.status = Status::Converted;
        row.process = false;
        row.failureReport.clear();
        markDirty(rowIndex);
    }
    m_done += static_cast<int>(m_upToDate.size());
    m_converted += static_cast<int>(m_upToDate.size());
}

void RunController::showProgressDialog() {
    m_dialog = new QProgressDialog(CorvaneGUI::frame);
    m_dialog->setWindowTitle(CorvaneGUI::dialogTitle);
    m_dialog->setCancelButtonText(QStringLiteral("Cancel"));
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setMinimumDuration(ShowDialogAfterMs);
    m_dialog->setMinimumWidth(420);
    m_dialog->setRange(0, std::max(1, total()));
    m_dialog->setLabelText(progressText(0, total(), QString(), 0, {}));
    m_dialog->setValue(0);
    // The Cancel button, Escape and the close button all end the run.
    connect(m_dialog, &QProgressDialog::canceled, this, &RunController::cancel);
    connect(m_dialog, &QDialog::rejected, this, &RunController::cancel);
}

RunController::~RunController() {
    if (s_active == this)
        s_active = nullptr;
    m_queue.reset(); // ends whatever still runs
    if (m_dialog)
        delete m_dialog.data();
}

void RunController::lockWindow(bool locked) {
    // The window stays alive: it repaints, moves and resizes, the table still
    // scrolls so the user can watch it fill in, and closing the window ends
    // the run. But nothing in it can change the table or the options.
    CorvaneGUI* window = CorvaneGUI::frame;
    if (!window)
        return;
    CorvaneGUI::model->setLocked(locked);
    for (QWidget* widget : {CorvaneGUI::panelAdd, CorvaneGUI::panelSettings,
                            static_cast<QWidget*>(CorvaneGUI::buttonRemoveSelected),
                            static_cast<QWidget*>(CorvaneGUI::buttonRemoveConverted),
                            static_cast<QWidget*>(CorvaneGUI::buttonReset)})
        widget->setEnabled(!locked);
    CorvaneGUI::menuEdit->setEnabled(!locked);
    if (locked)
        window->installEventFilter(this);
    else
        window->removeEventFilter(this);
}

bool RunController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CorvaneGUI::frame && event->type() == QEvent::Close) {
        event->ignore();
        quitWhenStopped();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void RunController::cancel() {
    if (m_queue)
        m_queue->cancel();
}

void RunController::quitWhenStopped() {
    m_quit = true;
    cancel();
}

void RunController::jobStarted(int job) {
    m_lastStarted = std::max(m_lastStarted, job);
    if (m_rows.empty())
        return;
    const int row = m_rows[static_cast<size_t>(job)];
    CorvaneGUI::model->rowForQuietUpdate(row).status = Status::Converting;
    markDirty(row);
}

void RunController::jobFinished(int job, const JobVerdict& verdict) {
    ++m_done;
    if (verdict.converted)
        ++m_converted;
    if (m_rows.empty()) {
        m_headerOnlyText = verdict.resultText;
        return;
    }
    const int rowIndex = m_rows[static_cast<size_t>(job)];
    JobRow& row = CorvaneGUI::model->rowForQuietUpdate(rowIndex);
    if (verdict.converted) {
        row.status = Status::Converted;
        row.process = false;
        row.failureReport.clear();
    } else {
        row.status = Status::Failed;
        row.failureReport = verdict.report;
        m_failedJobs.push_back(job);
        if (!verdict.cancelled && job < m_firstFailedJob) {
            m_firstFailedJob = job;
            m_firstFailedText = verdict.resultText;
        }
    }
    markDirty(rowIndex);
}

void RunController::markDirty(int row) {
    m_dirtyFirst = std::min(m_dirtyFirst, row);
    m_dirtyLast = std::max(m_dirtyLast, row);
}

void RunController::refresh() {
    if (m_dirtyLast >= 0) {
        CorvaneGUI::model->announceRows(m_dirtyFirst, m_dirtyLast);
        m_dirtyFirst = INT_MAX;
        m_dirtyLast = -1;
    }
    if (!m_dialog || m_queue->isCancelling())
        return;
    const int all = total();
    const int skipped = static_cast<int>(m_upToDate.size());
    QString name;
    if (m_lastStarted >= 0 && !m_rows.empty())
        name = fileNameOf(CorvaneGUI::model->row(m_rows[static_cast<size_t>(m_lastStarted)]).image);
    const qint64 elapsed = m_clock.elapsed();
    // Rows left out as up to date count as done, but not toward the time a row takes.
    m_dialog->setLabelText(
        progressText(std::min(skipped + m_lastStarted + 1, all), all, name, elapsed,
                     remainingEstimate(elapsed, m_done - skipped, all - skipped)));
    m_dialog->setValue(m_done);
}

void RunController::queueFinished(bool cancelled) {
    m_refresh.stop();
    refresh();
    m_queue.reset(); // the private folder and every script go with it
    // Gone before the box: hidden only, its own timer could show it again.
    if (m_dialog) {
        m_dialog->disconnect(this);
        delete m_dialog.data();
    }
    lockWindow(false);
    s_active = nullptr;
    if (m_quit) {
        QCoreApplication::exit(0);
    } else {
        report(cancelled);
    }
    emit ended();
    deleteLater();
}

void RunController::report(bool cancelled) {
    std::sort(m_failedJobs.begin(), m_failedJobs.end());
    std::vector<FailedRowReport> failed;
    failed.reserve(m_failedJobs.size());
    for (int job : m_failedJobs) {
        const JobRow& row = CorvaneGUI::model->row(m_rows[static_cast<size_t>(job)]);
        // Only the last lines are shown: decoding all of a large run's output
        // at once would cost more memory than the output itself.
        failed.push_back(
            {row.image, QString::fromLocal8Bit(lastLinesOf(row.failureReport, DetailLinesPerRow))});
    }
    const QString details = failureDetails(failed, DetailLinesPerRow);
    const QString& title = CorvaneGUI::dialogTitle;
    if (cancelled) {
        Dialogs::showMessage(Dialogs::MessageKind::Warning, title,
                             withUpToDate(cancelledText(m_converted, total() - m_converted)),
                             details);
        return;
    }
    const QString text = m_rows.empty() && m_upToDate.empty() ? m_headerOnlyText
                         : m_firstFailedJob < INT_MAX         ? m_firstFailedText
                                                              : ConversionResult::Success;
    const bool success = ConversionResult::isSuccess(text);
    Dialogs::showMessage(success ? Dialogs::MessageKind::Information : Dialogs::MessageKind::Error,
                         title, withUpToDate(text), details);
}

QString RunController::withUpToDate(const QString& text) const {
    if (m_upToDate.empty())
        return text;
    return text + QStringLiteral("\n\n") + upToDateText(static_cast<int>(m_upToDate.size()));
}
