#pragma once

#include "conversion/rules/ConversionJob.h"
#include "conversion/rules/OutputTail.h"
#include "conversion/rules/RowScript.h"
#include "conversion/rules/RowVerdict.h"
#include "conversion/rules/TargetSystem.h"
#include "conversion/run/ProcessTree.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class QProcess;
class RunFolder;
class StreamGobbler;

// Converts one row: writes its script, starts it as a script is started
// (Mac: chmod, then the script), reads its output, checks its target and
// removes the script. Driven by the child's signals; never waits.
class RowConversion final : public QObject {
    Q_OBJECT
public:
    // How long a tree may ignore the polite request to end before it is killed.
    static constexpr int TerminateGraceMs = 2000;

    RowConversion(TargetSystem system, QString scriptPath, ConversionJob job,
                  QObject* parent = nullptr);
    ~RowConversion() override;

    // Notes the row's target and process groups in the run's journal.
    void keepJournal(RunFolder* folder, int job);
    // Prints the Windows flavour's "Process exitValue" line to standard
    // output as each script ends: the window's console shows it, while the
    // command line keeps its standard output for its results.
    void echoExitValue() { m_echoExitValue = true; }
    void start();
    // Ends the running script and everything it started: politely, then
    // killed after the grace period. finished() follows once all of it is gone.
    void cancel();

    const RowOutcome& outcome() const { return m_outcome; }
    const ConversionJob& job() const { return m_job; }
    // The source as it was when the row started: what a converted row converted.
    const std::optional<FileStamp>& sourceStamp() const { return m_sourceStamp; }
    const OutputTail& output() const { return m_output; }

signals:
    // Always delivered from the event loop, never from inside start().
    void finished();

private:
    enum class Step { Permission, Script };

    void startStep(Step step);
    void stepFinished(int exitCode, bool normalExit);
    void failedToStart();
    void checkStopped();
    void finish();

    TargetSystem m_system;
    bool m_echoExitValue = false;
    QString m_scriptPath;
    ConversionJob m_job;
    std::optional<ScriptLaunch> m_launch;
    std::optional<FileStamp> m_sourceStamp;
    bool m_began = false; // its target was looked at before anything ran
    RunFolder* m_journal = nullptr;
    int m_jobIndex = 0;
    RowOutcome m_outcome;
    OutputTail m_output;

    Step m_step = Step::Script;
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<StreamGobbler> m_gobbler;
    std::unique_ptr<ProcessTree> m_tree;

    bool m_outsideTree = false; // started, but could not be made part of its tree

    QTimer m_stopPoll;
    QElapsedTimer m_stopClock;
    bool m_killed = false;
    bool m_done = false;
};
