#pragma once

#include "conversion/rules/ConversionJob.h"
#include "conversion/rules/LedgerRecord.h"
#include "conversion/rules/OutputTail.h"
#include "conversion/rules/RowVerdict.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

class Ledger;
class RunFolder;
class RowConversion;

// Runs the rows' scripts, at most `maxAtOnce` at a time, started in table
// order as slots free up (a small process queue driven by each child's
// finished signal). Every script lives in one private folder, removed with
// the queue. A run without jobs runs one header-only script.
class ConversionQueue final : public QObject {
    Q_OBJECT
public:
    // Composes a job's line as it starts, for jobs given without one.
    using LineSource = std::function<QString(int job, const ConversionJob&)>;

    ConversionQueue(TargetSystem system, std::vector<ConversionJob> jobs, int maxAtOnce,
                    LineSource lineFor = {}, QObject* parent = nullptr);
    ~ConversionQueue() override;

    // Every row that ends converted is recorded in `ledger` (which must outlive
    // the queue) with the flags and the converter that made it.
    void recordInto(Ledger* ledger, QString options, ConverterIdentity converter);
    // Each row's script prints its exit value (see RowConversion::echoExitValue).
    void echoExitValues() { m_echoExitValues = true; }

    // Makes the private folder and tries a first script in it; false when
    // that fails, and then nothing may run.
    bool prepare();
    void start();
    // Starts nothing more and ends the running rows; finished(true) follows.
    void cancel();

    int jobCount() const { return static_cast<int>(m_jobs.size()); }
    bool isCancelling() const { return m_cancelling; }

signals:
    void jobStarted(int job);
    void jobFinished(int job, const RowVerdict& verdict);
    void finished(bool cancelled);

private:
    void startMore();
    void rowEnded(int job, RowConversion* row);
    // Removes a target its converter began but did not finish; says what came of it.
    static QString removeIncompleteTarget(const QString& target);

    TargetSystem m_system;
    std::vector<ConversionJob> m_jobs; // each emptied once its row has started
    int m_maxAtOnce;
    LineSource m_lineFor;
    std::unique_ptr<RunFolder> m_folder;
    std::unordered_map<int, RowConversion*> m_active;
    OutputBudget m_budget;
    Ledger* m_ledger = nullptr;
    QString m_options;
    ConverterIdentity m_converter;
    int m_next = 0;
    int m_running = 0;
    bool m_cancelling = false;
    bool m_finished = false;
    bool m_echoExitValues = false;
};
