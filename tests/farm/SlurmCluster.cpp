#include "SlurmCluster.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString partitionName = QStringLiteral("farm");
const QStringList requiredPrograms = {
    QStringLiteral("munged"),  QStringLiteral("slurmctld"), QStringLiteral("slurmd"),
    QStringLiteral("sbatch"),  QStringLiteral("squeue"),    QStringLiteral("scontrol"),
    QStringLiteral("scancel"), QStringLiteral("sinfo"),     QStringLiteral("true")};

// Daemons live in sbin, which a plain user's PATH may lack.
QString findProgram(const QString& name) {
    const QString found = QStandardPaths::findExecutable(name);
    if (!found.isEmpty())
        return found;
    return QStandardPaths::findExecutable(
        name, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")});
}

// Two ports free right now, asked of the kernel together so that they differ. They are released
// before the daemons bind them; another program taking one in between is unlikely.
bool freePorts(int& first, int& second) {
    int sockets[2] = {-1, -1};
    int ports[2] = {0, 0};
    bool ok = true;
    for (int i = 0; i < 2 && ok; ++i) {
        sockets[i] = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        socklen_t length = sizeof address;
        ok = sockets[i] >= 0 &&
             ::bind(sockets[i], reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
             ::getsockname(sockets[i], reinterpret_cast<sockaddr*>(&address), &length) == 0;
        ports[i] = ntohs(address.sin_port);
    }
    for (int fd : sockets)
        if (fd >= 0)
            ::close(fd);
    first = ports[0];
    second = ports[1];
    return ok;
}

QByteArray tail(const QString& path, int lines) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QList<QByteArray> all = file.readAll().split('\n');
    return all.mid(qMax(0, all.size() - lines - 1)).join('\n');
}

// State, session and command line of a process from /proc; false when it has gone.
struct ProcessInfo {
    char state = '?';
    qint64 session = -1;
    QByteArray commandLine;
    QString workingDirectory;
};

bool readProcess(qint64 pid, ProcessInfo& info) {
    const QString base = QStringLiteral("/proc/%1/").arg(pid);
    QFile stat(base + QStringLiteral("stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    // The command name in parentheses may hold spaces; the fields after it do not.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 4)
        return false;
    info.state = fields[0].isEmpty() ? '?' : fields[0][0];
    info.session = fields[3].toLongLong();
    QFile commandLine(base + QStringLiteral("cmdline"));
    if (commandLine.open(QIODevice::ReadOnly))
        info.commandLine = commandLine.readAll().replace('\0', ' ');
    info.workingDirectory = QFileInfo(base + QStringLiteral("cwd")).symLinkTarget();
    return true;
}

QList<qint64> allProcesses() {
    QList<qint64> pids;
    const QStringList names = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& name : names) {
        bool number = false;
        const qint64 pid = name.toLongLong(&number);
        if (number)
            pids.append(pid);
    }
    return pids;
}

} // namespace

SlurmCluster::SlurmCluster() = default;

SlurmCluster::~SlurmCluster() {
    stop();
}

QString SlurmCluster::missingPrerequisite() {
    if (::geteuid() != 0)
        return QStringLiteral("the Slurm test cluster needs root: its daemons run as root");
    QStringList missing;
    for (const QString& name : requiredPrograms)
        if (findProgram(name).isEmpty())
            missing.append(name);
    if (!missing.isEmpty())
        return QStringLiteral("not installed: %1 (Debian packages slurm-wlm and munge)")
            .arg(missing.join(QStringLiteral(", ")));
    return QString();
}

QString SlurmCluster::partition() const {
    return partitionName;
}

QString SlurmCluster::configFile() const {
    return m_folder + QStringLiteral("/slurm.conf");
}

QString SlurmCluster::jobCompletionLog() const {
    return m_folder + QStringLiteral("/jobcomp.log");
}

bool SlurmCluster::fail(const QString& why) {
    m_skipReason = why;
    stop();
    return false;
}

bool SlurmCluster::start(const QString& folder, int timeoutMs) {
    if (m_started)
        return false;
    m_started = true;
    QElapsedTimer clock;
    clock.start();

    const QString missing = missingPrerequisite();
    if (!missing.isEmpty())
        return fail(missing);

    m_folder = QDir(folder).absolutePath();
    // slurm.conf has no quoting and expands %h and %n in the daemons' paths, so a folder name
    // that these would change is refused rather than half-used.
    static const QRegularExpression unsafe(QStringLiteral("[\\s#%\"'\\\\,=]|[\\x00-\\x1f]"));
    if (m_folder.contains(unsafe))
        return fail(QStringLiteral("the cluster folder's path holds a character slurm.conf "
                                   "cannot carry (space, #, %, quote, backslash, comma, =): ") +
                    m_folder);
    m_node = QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0);
    if (m_node.isEmpty())
        return fail(QStringLiteral("this machine has no host name"));
    // Job steps listen on sockets named <spool>/<node>_<job>.<step>; a socket path holds at most
    // 107 bytes.
    const int longestSocket = (m_folder + QStringLiteral("/spool/") + m_node).toUtf8().size() +
                              int(sizeof "_4294967295.4294967295");
    if (longestSocket > 107)
        return fail(QStringLiteral("the cluster folder's path is too long for socket names: ") +
                    m_folder);
    if (!QDir().mkpath(m_folder + QStringLiteral("/state")) ||
        !QDir().mkpath(m_folder + QStringLiteral("/spool")))
        return fail(QStringLiteral("cannot make the cluster folder ") + m_folder);

    int slurmctldPort = 0;
    int slurmdPort = 0;
    if (!freePorts(slurmctldPort, slurmdPort))
        return fail(QStringLiteral("no free network port"));
    if (!writeFiles(slurmctldPort, slurmdPort))
        return fail(QStringLiteral("cannot write the configuration into ") + m_folder);

    const QString socket = m_folder + QStringLiteral("/munge.socket");
    // --force: munged wants a socket folder that everybody may enter, which a private
    // temporary folder is not; only root uses this one.
    if (!startDaemon(QStringLiteral("munged"), findProgram(QStringLiteral("munged")),
                     {QStringLiteral("--foreground"), QStringLiteral("--force"),
                      QStringLiteral("--key-file=") + m_folder + QStringLiteral("/munge.key"),
                      QStringLiteral("--socket=") + socket,
                      QStringLiteral("--pid-file=") + m_folder + QStringLiteral("/munged.pid"),
                      QStringLiteral("--log-file=") + m_folder + QStringLiteral("/munged.log"),
                      QStringLiteral("--seed-file=") + m_folder + QStringLiteral("/munged.seed")}))
        return false;
    while (!QFileInfo::exists(socket)) {
        const QString failure = daemonFailure();
        if (!failure.isEmpty())
            return fail(failure + logTails());
        if (clock.elapsed() > timeoutMs)
            return fail(QStringLiteral("munged made no socket in time") + logTails());
        QThread::msleep(20);
    }

    if (!startDaemon(QStringLiteral("slurmctld"), findProgram(QStringLiteral("slurmctld")),
                     {QStringLiteral("-D"), QStringLiteral("-f"), configFile()}) ||
        !startDaemon(QStringLiteral("slurmd"), findProgram(QStringLiteral("slurmd")),
                     {QStringLiteral("-D"), QStringLiteral("-f"), configFile(),
                      QStringLiteral("-N"), m_node}))
        return false;
    return waitForNodeIdle(int(qMax<qint64>(0, timeoutMs - clock.elapsed())));
}

bool SlurmCluster::writeFiles(int slurmctldPort, int slurmdPort) {
    // munged refuses a key that others may read; 1024 bits as mungekey makes them.
    QFile key(m_folder + QStringLiteral("/munge.key"));
    quint32 secret[32];
    QRandomGenerator::system()->fillRange(secret);
    if (!key.open(QIODevice::WriteOnly | QIODevice::Truncate,
                  QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        key.write(reinterpret_cast<const char*>(secret), sizeof secret) != qint64(sizeof secret) ||
        !key.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return false;
    key.close();

    // An empty plug-in stack keeps the machine's own SPANK plug-ins out.
    QFile plugins(m_folder + QStringLiteral("/plugstack.conf"));
    if (!plugins.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    plugins.close();

    qint64 memoryMb = 1024;
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (meminfo.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = meminfo.readLine().simplified().split(' ');
        if (fields.size() >= 2 && fields[0] == "MemTotal:")
            memoryMb = qMax<qint64>(256, fields[1].toLongLong() / 1024 / 2);
    }

    const QString trueProgram = findProgram(QStringLiteral("true"));
    const QString f = m_folder;
    const QString text =
        QStringLiteral(
            "# A single-node test cluster; every file it writes stays in this folder.\n"
            "ClusterName=corvanetest\n"
            "SlurmctldHost=%1(127.0.0.1)\n"
            "SlurmctldPort=%2\n"
            "SlurmdPort=%3\n"
            "SlurmUser=root\n"
            "SlurmdUser=root\n"
            "AuthType=auth/munge\n"
            "CredType=cred/munge\n"
            "AuthInfo=socket=%4/munge.socket\n"
            "StateSaveLocation=%4/state\n"
            "SlurmdSpoolDir=%4/spool\n"
            "SlurmctldPidFile=%4/slurmctld.pid\n"
            "SlurmdPidFile=%4/slurmd.pid\n"
            "SlurmctldLogFile=%4/slurmctld.log\n"
            "SlurmdLogFile=%4/slurmd.log\n"
            "PlugStackConfig=%4/plugstack.conf\n"
            "MailProg=%5\n"
            "# No cgroups: containers seldom delegate them.\n"
            "ProctrackType=proctrack/linuxproc\n"
            "TaskPlugin=task/none\n"
            "JobAcctGatherType=jobacct_gather/none\n"
            "# No database: finished jobs and array tasks go to a text file instead.\n"
            "AccountingStorageType=accounting_storage/none\n"
            "JobCompType=jobcomp/filetxt\n"
            "JobCompLoc=%4/jobcomp.log\n"
            "# One CPU per task, so that array tasks run side by side.\n"
            "SelectType=select/cons_tres\n"
            "SelectTypeParameters=CR_CPU\n"
            "MpiDefault=none\n"
            "ReturnToService=2\n"
            "# The node is as big as configured, whatever topology a container shows slurmd.\n"
            "SlurmdParameters=config_overrides\n"
            "KillWait=5\n"
            "# sbatch --wait polls after 2 s, then every 8 s while MinJobAge stays below 18 s\n"
            "# (every 32 s above); finished jobs stay visible to scontrol at least this long.\n"
            "MinJobAge=16\n"
            "# The next task starts as soon as one ends: slurmd's message that the epilog is\n"
            "# done runs the scheduler at once. Without an epilog only the controller's\n"
            "# once-a-second timer does, and batch_sched_delay (3 s by default) slows it more.\n"
            "Epilog=%5\n"
            "SchedulerParameters=batch_sched_delay=0\n"
            "NodeName=%1 NodeAddr=127.0.0.1 CPUs=%6 RealMemory=%7 State=UNKNOWN\n"
            "PartitionName=%8 Nodes=%1 Default=YES MaxTime=INFINITE State=UP\n")
            .arg(m_node)
            .arg(slurmctldPort)
            .arg(slurmdPort)
            .arg(f, trueProgram)
            .arg(qMax(1, QThread::idealThreadCount()))
            .arg(memoryMb)
            .arg(partitionName);
    QFile config(configFile());
    return config.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           config.write(text.toUtf8()) == text.toUtf8().size();
}

QProcess* SlurmCluster::startDaemon(const QString& name, const QString& program,
                                    const QStringList& arguments) {
    auto process = std::make_unique<QProcess>();
    process->setProgram(program);
    process->setArguments(arguments);
    process->setProcessEnvironment(environment());
    // Job steps inherit slurmd's working folder, which is how stop() recognises strays.
    process->setWorkingDirectory(m_folder);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardOutputFile(m_folder + QLatin1Char('/') + name + QStringLiteral(".out"));
    // A test that crashes or is killed by its time-out takes the daemons with it.
    process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process->start();
    if (!process->waitForStarted(10000)) {
        fail(name + QStringLiteral(" did not start: ") + process->errorString());
        return nullptr;
    }
    m_pids.append(process->processId());
    m_daemonNames.append(name);
    m_daemons.push_back(std::move(process));
    return m_daemons.back().get();
}

bool SlurmCluster::waitForNodeIdle(int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sinceResume;
    QString state;
    for (;;) {
        const QString failure = daemonFailure();
        if (!failure.isEmpty())
            return fail(failure + logTails());
        const Result sinfo =
            run(QStringLiteral("sinfo"),
                {QStringLiteral("--noheader"), QStringLiteral("--Node"),
                 QStringLiteral("--nodes=") + m_node, QStringLiteral("--format=%T")},
                QString(), 3000); // sinfo retries a silent controller for seconds; look again
        state = QString::fromUtf8(sinfo.output).trimmed().toLower();
        if (sinfo.exitCode == 0 && state == QStringLiteral("idle"))
            return true;
        // A node that comes up down or drained (from an earlier run's state, or a size it
        // disagrees with) is put back to work; ReturnToService covers only nodes that were down
        // for not responding.
        if ((state.startsWith(QStringLiteral("down")) ||
             state.startsWith(QStringLiteral("drain"))) &&
            (!sinceResume.isValid() || sinceResume.elapsed() > 2000)) {
            run(QStringLiteral("scontrol"),
                {QStringLiteral("update"), QStringLiteral("nodename=") + m_node,
                 QStringLiteral("state=resume")});
            sinceResume.start();
        }
        if (clock.elapsed() > timeoutMs)
            return fail(QStringLiteral("node %1 not idle after %2 s (state \"%3\")")
                            .arg(m_node)
                            .arg(timeoutMs / 1000)
                            .arg(state) +
                        logTails());
        QThread::msleep(100);
    }
}

QString SlurmCluster::daemonFailure() const {
    for (size_t i = 0; i < m_daemons.size(); ++i) {
        QProcess* process = m_daemons[i].get();
        // Without an event loop only a wait notices that a child has ended.
        if (process->state() != QProcess::NotRunning)
            process->waitForFinished(0);
        if (process->state() == QProcess::NotRunning)
            return QStringLiteral("%1 ended early (exit code %2)")
                .arg(m_daemonNames[int(i)])
                .arg(process->exitCode());
    }
    return QString();
}

QString SlurmCluster::logTails() const {
    QString text;
    for (const QString& name : m_daemonNames)
        text += QStringLiteral("\n--- %1:\n").arg(name) +
                QString::fromUtf8(
                    tail(m_folder + QLatin1Char('/') + name + QStringLiteral(".out"), 12));
    return text;
}

QProcessEnvironment SlurmCluster::environment() const {
    static const QStringList foreign = {
        QStringLiteral("SLURM_"), QStringLiteral("SBATCH_"),  QStringLiteral("SALLOC_"),
        QStringLiteral("SRUN_"),  QStringLiteral("SQUEUE_"),  QStringLiteral("SACCT_"),
        QStringLiteral("SINFO_"), QStringLiteral("SCANCEL_"), QStringLiteral("SCONTROL_")};
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    const QStringList keys = environment.keys();
    for (const QString& key : keys)
        for (const QString& prefix : foreign)
            if (key.startsWith(prefix))
                environment.remove(key);
    environment.insert(QStringLiteral("SLURM_CONF"), configFile());
    return environment;
}

SlurmCluster::Result SlurmCluster::run(const QString& program, const QStringList& arguments,
                                       const QString& workingDirectory, int timeoutMs) const {
    Result result;
    QProcess process;
    const QString path = findProgram(program);
    process.setProgram(path.isEmpty() ? program : path);
    process.setArguments(arguments);
    process.setProcessEnvironment(environment());
    process.setWorkingDirectory(workingDirectory.isEmpty() ? m_folder : workingDirectory);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(10000)) {
        result.errors = process.errorString().toUtf8();
        return result;
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.errors = process.readAllStandardError() + "\n(timed out)";
        return result;
    }
    result.finished = process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = process.readAllStandardOutput();
    result.errors = process.readAllStandardError();
    return result;
}

void SlurmCluster::stop() {
    if (m_daemons.empty())
        return;
    cancelJobs();
    endDaemons();
    killLeftovers();
    m_daemons.clear();
}

void SlurmCluster::cancelJobs() {
    const int controller = int(m_daemonNames.indexOf(QStringLiteral("slurmctld")));
    if (controller < 0 || m_daemons[size_t(controller)]->state() == QProcess::NotRunning)
        return;
    run(QStringLiteral("scancel"), {QStringLiteral("--partition=") + partitionName}, QString(),
        10000);
    // Cancelled steps end within KillWait; slurmd must still be there to see them out.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
        const Result squeue =
            run(QStringLiteral("squeue"),
                {QStringLiteral("--noheader"), QStringLiteral("--format=%i")}, QString(), 10000);
        if (squeue.exitCode != 0 || squeue.output.trimmed().isEmpty())
            return;
        QThread::msleep(100);
    }
}

void SlurmCluster::endDaemons() {
    // munged last: the others still sign their farewell messages with it.
    for (const bool authentication : {false, true}) {
        std::vector<QProcess*> ending;
        for (size_t i = 0; i < m_daemons.size(); ++i)
            if ((m_daemonNames[int(i)] == QStringLiteral("munged")) == authentication &&
                m_daemons[i]->state() != QProcess::NotRunning) {
                m_daemons[i]->terminate();
                ending.push_back(m_daemons[i].get());
            }
        for (QProcess* process : ending)
            if (!process->waitForFinished(10000)) {
                process->kill();
                process->waitForFinished(5000);
            }
    }
}

QList<qint64> SlurmCluster::processesInFolder() const {
    QList<qint64> found;
    if (m_folder.isEmpty())
        return found;
    const QString inside = m_folder + QLatin1Char('/');
    const qint64 self = ::getpid();
    // Job steps and slurmctld's script helper keep the daemons' working folder. slurmd starts
    // each step in a session of its own, which the job's processes share.
    const qint64 ownSession = ::getsid(0);
    QList<qint64> sessions;
    const QList<qint64> pids = allProcesses();
    for (const qint64 pid : pids) {
        ProcessInfo info;
        if (pid == self || !readProcess(pid, info) || info.state == 'Z')
            continue;
        const bool inFolder =
            info.workingDirectory == m_folder || info.workingDirectory.startsWith(inside);
        if (inFolder && info.commandLine.contains("slurmscriptd"))
            found.append(pid);
        if (inFolder && info.commandLine.contains("slurmstepd")) {
            found.append(pid);
            if (info.session > 1 && info.session != ownSession)
                sessions.append(info.session);
        }
    }
    for (const qint64 pid : pids) {
        ProcessInfo info;
        if (pid != self && !found.contains(pid) && readProcess(pid, info) && info.state != 'Z' &&
            sessions.contains(info.session))
            found.append(pid);
    }
    return found;
}

void SlurmCluster::killLeftovers() {
    const QList<qint64> leftovers = processesInFolder();
    if (leftovers.isEmpty())
        return;
    QStringList names;
    for (const qint64 pid : leftovers) {
        names.append(QString::number(pid));
        ::kill(pid_t(pid), SIGKILL);
    }
    qWarning("SlurmCluster: killed processes the daemons left behind: %s",
             qPrintable(names.join(QLatin1Char(' '))));
    QElapsedTimer clock;
    clock.start();
    for (const qint64 pid : leftovers)
        while (isRunning(pid) && clock.elapsed() < 5000)
            QThread::msleep(20);
}

bool SlurmCluster::isRunning(qint64 pid) {
    ProcessInfo info;
    return pid > 0 && readProcess(pid, info) && info.state != 'Z' && info.state != 'X';
}
