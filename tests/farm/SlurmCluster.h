#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QProcess;

// A missing piece fails the run on CI, which installs Slurm, and skips it elsewhere.
#define SLURM_REQUIRE(condition, why)                                                              \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            if (qEnvironmentVariableIsSet("CI"))                                                   \
                QFAIL(qPrintable(why));                                                            \
            QSKIP(qPrintable(why));                                                                \
        }                                                                                          \
    } while (false)

// A private single-node Slurm cluster for tests: munged, slurmctld and slurmd run as children of
// the test, with their configuration, key, sockets, state, spool and logs all in one folder, on
// ports free at start. Jobs submitted with environment() run on this machine as the submitter.
//
// Needs root: without a "slurm" account the daemons run as root, and slurmd must be root to
// start jobs. Accounting has no database here, so plain `sacct` refuses ("accounting storage is
// disabled"); each finished job and array task is written to jobCompletionLog() instead, one
// line of Key=Value pairs, and `scontrol show job` knows finished jobs for 16 s or more.
class SlurmCluster {
public:
    struct Result {
        bool finished = false; // false when the program could not start or ran out of time
        int exitCode = -1;
        QByteArray output;
        QByteArray errors;
    };

    SlurmCluster();
    ~SlurmCluster();
    SlurmCluster(const SlurmCluster&) = delete;
    SlurmCluster& operator=(const SlurmCluster&) = delete;

    // Why no cluster can run on this machine (not root, a program missing); empty when one can.
    static QString missingPrerequisite();

    // Writes the configuration into `folder` (made if needed), starts the daemons and waits until
    // the node takes jobs. On failure everything started is stopped again and skipReason() says
    // why. A cluster starts once.
    bool start(const QString& folder, int timeoutMs = 60000);

    // Cancels every job, then ends the daemons by process id (SIGTERM, SIGKILL after a grace) and
    // any job step or helper they left behind. Safe to call twice; the destructor calls it.
    void stop();

    QString skipReason() const { return m_skipReason; }

    // The environment for Slurm's commands against this cluster: SLURM_CONF set, inherited
    // SLURM_*, SBATCH_* and similar variables removed so that no outer job or format leaks in.
    QProcessEnvironment environment() const;

    // Runs a Slurm command (sbatch, squeue, scontrol, ...) against this cluster and waits for it.
    Result run(const QString& program, const QStringList& arguments,
               const QString& workingDirectory = QString(), int timeoutMs = 30000) const;

    QString folder() const { return m_folder; }
    QString nodeName() const { return m_node; }
    QString partition() const;
    QString configFile() const;
    QString jobCompletionLog() const;

    // Every daemon process id this cluster started, also after they ended.
    QList<qint64> daemonPids() const { return m_pids; }

    // Job steps and slurmctld's helper working in the cluster's folder, and every process in a
    // step's session: what the daemons should have ended by the time they stop.
    QList<qint64> processesInFolder() const;

    // Whether `pid` is a live process (a zombie counts as ended).
    static bool isRunning(qint64 pid);

private:
    bool fail(const QString& why);
    QProcess* startDaemon(const QString& name, const QString& program,
                          const QStringList& arguments);
    bool writeFiles(int slurmctldPort, int slurmdPort);
    bool waitForNodeIdle(int timeoutMs);
    QString daemonFailure() const;
    QString logTails() const;
    void cancelJobs();
    void endDaemons();
    void killLeftovers();

    QString m_folder;
    QString m_node;
    QString m_skipReason;
    std::vector<std::unique_ptr<QProcess>> m_daemons;
    QStringList m_daemonNames;
    QList<qint64> m_pids;
    bool m_started = false;
};
