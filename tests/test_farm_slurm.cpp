// A real single-node Slurm cluster started by the test harness: array jobs, their task states,
// the batch script's own folder, and a stop that leaves nothing running.
#include "SlurmCluster.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

bool writeScript(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(text) == text.size() &&
           file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Value of `key` in one line of space-separated Key=Value pairs, as `scontrol -o` and the job
// completion log write them.
QByteArray field(const QByteArray& line, const QByteArray& key) {
    const QList<QByteArray> pairs = line.split(' ');
    for (const QByteArray& pair : pairs)
        if (pair.startsWith(key + '='))
            return pair.mid(key.size() + 1);
    return QByteArray();
}

// "State ExitCode" of each task of array job `jobId`, keyed by task index.
QMap<int, QByteArray> taskStates(const QByteArray& lines, const QByteArray& jobId) {
    QMap<int, QByteArray> states;
    const QList<QByteArray> all = lines.split('\n');
    for (const QByteArray& line : all)
        if (field(line, "ArrayJobId") == jobId)
            states.insert(field(line, "ArrayTaskId").toInt(),
                          field(line, "JobState") + ' ' + field(line, "ExitCode"));
    return states;
}

// "Key=Value" lines a job script wrote, as a map.
QMap<QByteArray, QByteArray> report(const QByteArray& text) {
    QMap<QByteArray, QByteArray> values;
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            values.insert(line.left(equals), line.mid(equals + 1));
    }
    return values;
}

} // namespace

class TestFarmSlurm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void arrayJobRunsEveryTaskAndReportsTheFailedOne();
    void arrayTasksRunSideBySide();
    void scriptFindsFilesBesideItselfWhenSubmittedFromElsewhere_data();
    void scriptFindsFilesBesideItselfWhenSubmittedFromElsewhere();
    void startRefusesAFolderSlurmConfCannotName();
    void stopCancelsRunningJobsAndEndsEveryDaemon();

private:
    QString makeFolder(const QString& name);

    QTemporaryDir m_dir;
    SlurmCluster m_cluster;
};

QString TestFarmSlurm::makeFolder(const QString& name) {
    const QString path = m_dir.filePath(name);
    return QDir().mkpath(path) ? path : QString();
}

void TestFarmSlurm::initTestCase() {
    QVERIFY(m_dir.isValid());
    const QString missing = SlurmCluster::missingPrerequisite();
    SLURM_REQUIRE(missing.isEmpty(), missing);
    QElapsedTimer clock;
    clock.start();
    const bool started = m_cluster.start(m_dir.filePath(QStringLiteral("cluster")));
    SLURM_REQUIRE(started, m_cluster.skipReason());
    qInfo("cluster up in %lld ms", clock.elapsed());
}

void TestFarmSlurm::arrayJobRunsEveryTaskAndReportsTheFailedOne() {
    const QString folder = makeFolder(QStringLiteral("array"));
    const QString script = folder + QStringLiteral("/tasks.sh");
    QVERIFY(writeScript(script, "#!/bin/sh\n"
                                "[ \"$SLURM_ARRAY_TASK_ID\" = 3 ] && exit 3\n"
                                "echo \"task $SLURM_ARRAY_TASK_ID\" > "
                                "\"$SLURM_SUBMIT_DIR/task-$SLURM_ARRAY_TASK_ID.txt\"\n"));

    QElapsedTimer clock;
    clock.start();
    const SlurmCluster::Result sbatch = m_cluster.run(
        QStringLiteral("sbatch"),
        {QStringLiteral("--wait"), QStringLiteral("--parsable"), QStringLiteral("--array=1-4"),
         QStringLiteral("--output=slurm-%A_%a.out"), script},
        folder, 120000);
    qInfo("sbatch --wait of 4 tasks took %lld ms", clock.elapsed());
    QVERIFY2(sbatch.finished, sbatch.errors.constData());
    // --wait answers with the highest exit code among the tasks.
    QCOMPARE(sbatch.exitCode, 3);
    const QByteArray jobId = sbatch.output.trimmed().split(';').first();
    QVERIFY2(!jobId.isEmpty(), sbatch.output.constData());

    for (const int task : {1, 2, 4})
        QCOMPARE(readAll(folder + QStringLiteral("/task-%1.txt").arg(task)),
                 QByteArray("task ") + QByteArray::number(task) + '\n');
    QVERIFY(!QFile::exists(folder + QStringLiteral("/task-3.txt")));

    const QMap<int, QByteArray> expected = {
        {1, "COMPLETED 0:0"}, {2, "COMPLETED 0:0"}, {3, "FAILED 3:0"}, {4, "COMPLETED 0:0"}};
    // While the controller still holds the finished tasks... --wait already returns while the
    // last task is COMPLETING (its epilog still running), so the states settle a moment later.
    const auto controllerStates = [&] {
        return taskStates(m_cluster
                              .run(QStringLiteral("scontrol"),
                                   {QStringLiteral("show"), QStringLiteral("job"),
                                    QStringLiteral("--oneliner"), QString::fromUtf8(jobId)})
                              .output,
                          jobId);
    };
    QTRY_COMPARE_WITH_TIMEOUT(controllerStates(), expected, 10000);
    // ...and for good in the job completion log, which stands in for accounting.
    QTRY_COMPARE_WITH_TIMEOUT(taskStates(readAll(m_cluster.jobCompletionLog()), jobId), expected,
                              10000);
}

// Each task waits for the other to start: only tasks that share the node at once both succeed.
void TestFarmSlurm::arrayTasksRunSideBySide() {
    if (QThread::idealThreadCount() < 2)
        QSKIP("one processor: tasks cannot run side by side");
    const QString folder = makeFolder(QStringLiteral("side by side"));
    const QString script = folder + QStringLiteral("/meet.sh");
    QVERIFY(writeScript(script, "#!/bin/sh\n"
                                "touch \"$SLURM_SUBMIT_DIR/started-$SLURM_ARRAY_TASK_ID\"\n"
                                "other=$((3 - SLURM_ARRAY_TASK_ID))\n"
                                "tries=0\n"
                                "until [ -e \"$SLURM_SUBMIT_DIR/started-$other\" ]; do\n"
                                "  tries=$((tries + 1))\n"
                                "  [ $tries -gt 200 ] && exit 1\n"
                                "  sleep 0.1\n"
                                "done\n"));
    const SlurmCluster::Result sbatch =
        m_cluster.run(QStringLiteral("sbatch"),
                      {QStringLiteral("--wait"), QStringLiteral("--array=1-2"),
                       QStringLiteral("--output=/dev/null"), script},
                      folder, 120000);
    QVERIFY2(sbatch.finished, sbatch.errors.constData());
    QCOMPARE(sbatch.exitCode, 0);
}

void TestFarmSlurm::scriptFindsFilesBesideItselfWhenSubmittedFromElsewhere_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("findFolder");
    // The controller keeps the script's absolute path (arguments follow it, space-separated).
    QTest::newRow("scontrol's Command=")
        << QStringList()
        << QByteArray("command=$(scontrol show job \"$SLURM_JOB_ID\" | sed -n 's/^ *Command=//p')\n"
                      "here=$(dirname \"$command\")\n");
    // The submitter names the folder; the job starts in it.
    QTest::newRow("--chdir") << QStringList{QStringLiteral("--chdir=@")}
                             << QByteArray("here=$PWD\n");
}

void TestFarmSlurm::scriptFindsFilesBesideItselfWhenSubmittedFromElsewhere() {
    QFETCH(QStringList, options);
    QFETCH(QByteArray, findFolder);
    const QString tag = QString::fromLatin1(QTest::currentDataTag())
                            .remove(QRegularExpression(QStringLiteral("[^a-z]")));
    const QString scriptFolder = makeFolder(QStringLiteral("beside it ") + tag);
    const QString submitFolder = makeFolder(QStringLiteral("elsewhere ") + tag);
    QVERIFY(writeScript(scriptFolder + QStringLiteral("/input.txt"), "found\n"));
    const QString script = scriptFolder + QStringLiteral("/job.sh");
    QVERIFY(writeScript(script, "#!/bin/sh\n" + findFolder +
                                    "{\n"
                                    "  echo \"zero=$0\"\n"
                                    "  echo \"submit=$SLURM_SUBMIT_DIR\"\n"
                                    "  echo \"here=$here\"\n"
                                    "  echo \"input=$(cat \"$here/input.txt\")\"\n"
                                    "} > \"$SLURM_SUBMIT_DIR/report.txt\"\n"));

    QStringList arguments = {QStringLiteral("--wait"), QStringLiteral("--output=/dev/null")};
    for (const QString& option : options)
        arguments.append(QString(option).replace(QLatin1Char('@'), scriptFolder));
    arguments.append(script);
    const SlurmCluster::Result sbatch =
        m_cluster.run(QStringLiteral("sbatch"), arguments, submitFolder, 60000);
    QVERIFY2(sbatch.finished && sbatch.exitCode == 0, sbatch.errors.constData());

    const QMap<QByteArray, QByteArray> values =
        report(readAll(submitFolder + QStringLiteral("/report.txt")));
    QCOMPARE(values.value("submit"), submitFolder.toUtf8());
    // Slurm runs a copy from its spool folder, so $0 never leads back to the script.
    QVERIFY2(!values.value("zero").startsWith(scriptFolder.toUtf8()), values.value("zero"));
    QCOMPARE(values.value("here"), scriptFolder.toUtf8());
    QCOMPARE(values.value("input"), QByteArray("found"));
}

// A path slurm.conf would split or expand is refused before anything starts.
void TestFarmSlurm::startRefusesAFolderSlurmConfCannotName() {
    for (const QString& name :
         {QStringLiteral("with space"), QStringLiteral("per%cent"), QStringLiteral("a,b")}) {
        SlurmCluster cluster;
        QVERIFY(!cluster.start(m_dir.filePath(name)));
        QVERIFY2(cluster.skipReason().contains(name), qPrintable(cluster.skipReason()));
        QVERIFY(cluster.daemonPids().isEmpty());
        QVERIFY(!QFile::exists(m_dir.filePath(name)));
    }
}

void TestFarmSlurm::stopCancelsRunningJobsAndEndsEveryDaemon() {
    const QString folder = makeFolder(QStringLiteral("long"));
    const QString pidFile = folder + QStringLiteral("/pid");
    const QString script = folder + QStringLiteral("/long.sh");
    QVERIFY(writeScript(script, "#!/bin/sh\necho $$ > \"$SLURM_SUBMIT_DIR/pid.tmp\"\n"
                                "mv \"$SLURM_SUBMIT_DIR/pid.tmp\" \"$SLURM_SUBMIT_DIR/pid\"\n"
                                "exec sleep 300\n"));
    const SlurmCluster::Result sbatch = m_cluster.run(
        QStringLiteral("sbatch"), {QStringLiteral("--output=/dev/null"), script}, folder);
    QVERIFY2(sbatch.exitCode == 0, sbatch.errors.constData());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(pidFile), 30000);
    const qint64 jobPid = readAll(pidFile).trimmed().toLongLong();
    QVERIFY(SlurmCluster::isRunning(jobPid));
    QVERIFY(!m_cluster.processesInFolder().isEmpty());

    const QList<qint64> daemons = m_cluster.daemonPids();
    QCOMPARE(daemons.size(), 3);
    for (const qint64 pid : daemons)
        QVERIFY(SlurmCluster::isRunning(pid));

    QElapsedTimer clock;
    clock.start();
    m_cluster.stop();
    qInfo("cluster stopped in %lld ms", clock.elapsed());

    for (const qint64 pid : daemons)
        QVERIFY2(!SlurmCluster::isRunning(pid), qPrintable(QString::number(pid)));
    QVERIFY(!SlurmCluster::isRunning(jobPid));
    QCOMPARE(m_cluster.processesInFolder(), QList<qint64>());
}

QTEST_GUILESS_MAIN(TestFarmSlurm)
#include "test_farm_slurm.moc"
