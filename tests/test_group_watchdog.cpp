// The watchdog with real processes: a helper program plays Corvane, is killed or quits, and the
// process groups it started must end, or survive once released. Process states are read here
// from /proc independently of the code under test.
#include "conversion/run/GroupWatchdog.h"
#include "conversion/run/ProcessStates.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
struct Proc {
    qint64 pid;
    qint64 parent;
    qint64 group;
};

// The processes that still run; ended ones waiting to be reaped are left out.
QList<Proc> running() {
    QList<Proc> all;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile file(QStringLiteral("/proc/%1/stat").arg(entry));
        if (entry.toLongLong() <= 0 || !file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = file.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" && fields[0] != "X")
            all.append({entry.toLongLong(), fields[1].toLongLong(), fields[2].toLongLong()});
    }
    return all;
}

// The watcher and the processes spawned here lead their groups, so this also says whether they
// run.
int runningMembers(qint64 group) {
    const QList<Proc> all = running();
    return int(
        std::count_if(all.begin(), all.end(), [&](const Proc& p) { return p.group == group; }));
}

// The helper program in a group of its own, so that killing that group spares the test.
struct Helper {
    QProcess process;
    QList<qint64> groups;
    qint64 watcher = 0;

    ~Helper() {
        for (qint64 group : groups)
            ::kill(-pid_t(group), SIGKILL);
        if (watcher > 0 && runningMembers(watcher) > 0)
            ::kill(pid_t(watcher), SIGKILL);
        if (process.state() != QProcess::NotRunning)
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
    }

    bool launch(int count, const QString& script, int released = 0) {
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.start(QStringLiteral(GROUP_WATCHDOG_HELPER),
                      {QString::number(count), QString::number(released), script});
        for (QByteArray line; line != "ready"; line = process.readLine().trimmed()) {
            if (line.startsWith("group "))
                groups.append(line.mid(6).toLongLong());
            if (!process.canReadLine() && !process.waitForReadyRead(10000))
                return false;
        }
        // Its children are the scripts and the watcher.
        for (const Proc& proc : running()) {
            if (proc.parent == process.processId() && !groups.contains(proc.pid))
                watcher = proc.pid;
        }
        return watcher > 0 && groups.size() == count;
    }

    // Bash and its two sleeps, in every group.
    bool allStarted() const {
        return std::all_of(groups.begin(), groups.end(),
                           [](qint64 g) { return runningMembers(g) == 3; });
    }
    bool allEnded() const {
        return std::all_of(groups.begin(), groups.end(),
                           [](qint64 g) { return runningMembers(g) == 0; });
    }
};

pid_t spawnInGroup(const QByteArray& program) {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>(program.constData()), const_cast<char*>("1000"), nullptr};
    posix_spawn(&pid, program.constData(), nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    return pid;
}
} // namespace

class TestGroupWatchdog : public QObject {
    Q_OBJECT
private slots:
    void killedProgramTakesItsGroupsAlong_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("wholeGroup");
        const QString plain = QStringLiteral("sleep 1000 & sleep 1000");
        QTest::newRow("program killed") << 2 << plain << false;
        QTest::newRow("program's process group killed") << 2 << plain << true;
        // Four groups: a grace period per group rather than one for all would take too long.
        QTest::newRow("members ignore SIGTERM") << 4 << "trap '' TERM; " + plain << false;
    }

    void killedProgramTakesItsGroupsAlong() {
        QFETCH(int, count);
        QFETCH(QString, script);
        QFETCH(bool, wholeGroup);
        Helper helper;
        QVERIFY(helper.launch(count, script));
        QTRY_VERIFY_WITH_TIMEOUT(helper.allStarted(), 5000);
        const auto program = pid_t(helper.process.processId());
        ::kill(wholeGroup ? -program : program, SIGKILL);
        QTRY_VERIFY_WITH_TIMEOUT(helper.allEnded(), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(runningMembers(helper.watcher), 0, 1000);
    }

    void normalEndSparesReleasedGroups() {
        Helper helper;
        QVERIFY(helper.launch(2, QStringLiteral("sleep 1000 & sleep 1000"), 1));
        QTRY_VERIFY_WITH_TIMEOUT(helper.allStarted(), 5000);
        helper.process.closeWriteChannel();
        QVERIFY(helper.process.waitForFinished(5000));
        QCOMPARE(helper.process.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(runningMembers(helper.watcher), 0, 3000);
        // The helper's QProcess killed each script; the sleeps were left to the watcher, which
        // ended those of the group still enrolled.
        QCOMPARE(runningMembers(helper.groups[0]), 2);
        QCOMPARE(runningMembers(helper.groups[1]), 0);
    }

    void zombiesAndOddNames() {
        // A name with ')' and spaces shifts every field for a reader that stops at the first ')'.
        QTemporaryDir dir;
        const QString odd = dir.filePath(QStringLiteral("x) 1 2 (y"));
        QVERIFY(QFile::copy(QStandardPaths::findExecutable(QStringLiteral("sleep")), odd));
        const pid_t leader = spawnInGroup(QFile::encodeName(odd));
        QVERIFY(leader > 0);
        bool reaped = false;
        const auto cleanup = qScopeGuard([&] {
            if (!reaped && ::kill(leader, SIGKILL) == 0)
                ::waitpid(leader, nullptr, 0);
        });
        QVERIFY(ProcessStates::groupHasRunningMember(leader));
        const auto started = ProcessStates::startTime(leader);
        QVERIFY(started);
        QVERIFY(*started >= ProcessStates::startTime(::getpid()).value());
        QFile uptime(QStringLiteral("/proc/uptime"));
        QVERIFY(uptime.open(QIODevice::ReadOnly));
        QVERIFY(*started <= uptime.readAll().split(' ')[0].toDouble() * ::sysconf(_SC_CLK_TCK) + 1);

        // Unreaped, the killed leader keeps its group in existence without running.
        ::kill(leader, SIGKILL);
        QTRY_COMPARE_WITH_TIMEOUT(runningMembers(leader), 0, 5000);
        QCOMPARE(::kill(-leader, 0), 0);
        QVERIFY(!ProcessStates::groupHasRunningMember(leader));
        reaped = ::waitpid(leader, nullptr, 0) == leader;
    }
};

QTEST_GUILESS_MAIN(TestGroupWatchdog)
#include "test_group_watchdog.moc"
