// The program killed mid-run (SIGKILL, or TerminateProcess on Windows: a crash,
// the out-of-memory killer, Task Manager): its converters end within seconds,
// and the next start cleans up after the run.
#include "conversion/run/AbandonedRuns.h"
#include "testsupport/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#ifdef Q_OS_UNIX
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#endif

namespace {
using TestFiles::processRunning;

#ifdef Q_OS_UNIX
// When a process started, as /proc says.
QByteArray startTime(qint64 pid) {
    const QByteArray stat = TestFiles::readAll(QStringLiteral("/proc/%1/stat").arg(pid));
    return stat.mid(stat.lastIndexOf(')') + 2).split(' ').value(19);
}

// A sleep leading a process group of its own, as a row's script does.
pid_t sleepInItsOwnGroup() {
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    pid_t pid = 0;
    char* argv[] = {const_cast<char*>("sleep"), const_cast<char*>("1000"), nullptr};
    posix_spawnp(&pid, "sleep", nullptr, &attributes, argv, environ);
    posix_spawnattr_destroy(&attributes);
    return pid;
}
#endif

QList<qint64> startedPids(const QString& log) {
    QList<qint64> pids;
    for (const QByteArray& line : TestFiles::readAll(log).split('\n'))
        if (line.startsWith("start "))
            pids << line.split(' ')[1].toLongLong();
    return pids;
}
} // namespace

class TestKilledProgram : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void convertersEndAndTheNextStartCleansUp();
#ifdef Q_OS_UNIX
    void recoveryOfARunFolder_data();
    void recoveryOfARunFolder();
#endif

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QStringList runFolders() const { return QDir(m_cache).entryList({"run-*"}, QDir::Dirs); }
    // Starts the stand-in program; with images it runs them until killed.
    std::unique_ptr<QProcess> start(const QStringList& images);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_events;
    QString m_cache; // where the played program keeps its run folders
};

void TestKilledProgram::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_events = path("events.log");
#ifdef Q_OS_WIN
    // Its folders follow its name, fresh for each test, in the tests' own Wine prefix.
    QCoreApplication::setApplicationName("corvane-test-" +
                                         QUuid::createUuid().toString(QUuid::Id128).left(12));
    m_cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
#else
    m_cache = path("cache/corvane");
#endif
}

void TestKilledProgram::cleanup() {
    for (qint64 pid : startedPids(m_events))
        TestFiles::killProcess(pid);
#ifdef Q_OS_WIN
    QDir(QFileInfo(m_cache).path()).removeRecursively();
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
#endif
}

std::unique_ptr<QProcess> TestKilledProgram::start(const QStringList& images) {
    auto program = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_CACHE_HOME", path("cache"));
    env.insert("XDG_DATA_HOME", path("data"));
#ifdef Q_OS_WIN
    env.insert("CORVANE_TEST_APP_NAME", QCoreApplication::applicationName());
#endif
    env.insert("CORVANE_FAKE_IMF_COPY_EVENTS", m_events);
    env.insert("CORVANE_TEST_CONVERTER", TestFiles::fakeConverter());
    env.insert("CORVANE_TEST_SWITCHES", "--switches-from-image");
    program->setProcessEnvironment(env);
    program->start(KILLABLE_CORVANE, images);
    return program;
}

void TestKilledProgram::convertersEndAndTheNextStartCleansUp() {
    // Two at once: "done" converts, "a" and "d" write part of their .map and hang, "b" hangs
    // before it touches its earlier .map, "c" never begins.
    QVERIFY(QFile::copy(CORVANE_SOURCE_DIR "/resources/images/logo.png", path("done.png")));
    const QByteArray halfWrites = "#imf_copy --write-partial 10 --sleep-ms 60000\n";
    for (const char* name : {"a.png", "c.png", "d.png"})
        QVERIFY(TestFiles::writeFile(path(name), halfWrites));
    QVERIFY(TestFiles::writeFile(path("b.png"), "#imf_copy --sleep-ms 60000\n"));
    for (const char* name : {"b.map", "c.map"})
        QVERIFY(TestFiles::writeFile(path(name), "an earlier conversion"));
    std::unique_ptr<QProcess> killed =
        start({path("done.png"), path("a.png"), path("b.png"), path("c.png")});
    QVERIFY(killed->waitForReadyRead(20000));
    QTRY_VERIFY_WITH_TIMEOUT(startedPids(m_events).size() == 3, 20000);
    const QList<qint64> converters = startedPids(m_events);
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path("a.map")).size() == 10, 10000);
    const QByteArray converted = TestFiles::readAll(path("done.map"));
    QVERIFY(converted.size() > 10);
    // A second window starts meanwhile: the first one's live run is not its business.
    std::unique_ptr<QProcess> other = start({path("d.png")});
    QVERIFY(other->waitForReadyRead(20000));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(path("d.map")).size() == 10, 10000);
    QCOMPARE(runFolders().size(), 2);
    const qint64 otherConverter = startedPids(m_events).last();

    const qint64 killedId = killed->processId();
    TestFiles::killProcess(killedId);
    QVERIFY(killed->waitForFinished(5000));
    // The killed program's converters are gone within three seconds of it.
    QTRY_VERIFY_WITH_TIMEOUT(std::none_of(converters.begin(), converters.end(), processRunning),
                             3000);
    QVERIFY(processRunning(otherConverter));
    QCOMPARE(runFolders().size(), 2); // nothing is cleaned up yet
    // Its process id taken meanwhile by another program (this test): the start time the run
    // noted tells them apart.
    const QByteArray owner = "owner " + QByteArray::number(killedId) + ' ';
    int reused = 0;
    for (const QString& folder : runFolders()) {
        const QString journal = m_cache + "/" + folder + "/rows.journal";
        QByteArray text = TestFiles::readAll(journal);
        if (!text.startsWith(owner))
            continue;
        text.replace(0, text.indexOf('\n'),
                     "owner " + QByteArray::number(QCoreApplication::applicationPid()) + " 1");
        QVERIFY(TestFiles::writeFile(journal, text));
        ++reused;
    }
    QCOMPARE(reused, 1);

    // The next start cleans up after the killed run, and only after it.
    std::unique_ptr<QProcess> next = start({});
    QVERIFY(next->waitForFinished(20000));
    QCOMPARE(next->readAllStandardOutput().trimmed(), "recovered 1");
    QVERIFY(!next->readAllStandardError().contains("lock file")); // removed once, with its lock
    QVERIFY(!QFile::exists(path("a.map")));
    QCOMPARE(TestFiles::readAll(path("done.map")), converted);
    for (const char* untouched : {"b.map", "c.map"})
        QCOMPARE(TestFiles::readAll(path(untouched)), "an earlier conversion");
    QCOMPARE(runFolders().size(), 1);
    QVERIFY(processRunning(otherConverter) && QFileInfo(path("d.map")).size() == 10);

#ifdef Q_OS_WIN
    // No window, so nothing to ask politely to close: killed too, and cleaned up after.
    TestFiles::killProcess(other->processId());
    QVERIFY(other->waitForFinished(10000));
    QTRY_VERIFY_WITH_TIMEOUT(!processRunning(otherConverter), 3000);
    std::unique_ptr<QProcess> last = start({});
    QVERIFY(last->waitForFinished(20000));
    QCOMPARE(last->readAllStandardOutput().trimmed(), "recovered 1");
#else
    other->terminate(); // ends its run first, then itself
    QVERIFY(other->waitForFinished(10000));
#endif
    QCOMPARE(runFolders().size(), 0);
    QVERIFY(!QFile::exists(path("d.map")));
}

// A dead run's folder in each state recovery meets, with process groups (Unix).
#ifdef Q_OS_UNIX
void TestKilledProgram::recoveryOfARunFolder_data() {
    QTest::addColumn<bool>("locked");    // its lock left behind by a program that is gone
    QTest::addColumn<int>("ageSecs");    // since the folder last changed
    QTest::addColumn<QString>("leader"); // of a row's group: "", "running", or "reused"
    QTest::addColumn<int>("folders");
    QTest::addColumn<int>("groups");
    QTest::newRow("lockless, older than the grace period") << false << 700 << "" << 1 << 0;
    QTest::newRow("lockless and fresh: perhaps being made") << false << 0 << "" << 0 << 0;
    QTest::newRow("a row's group still running") << true << 0 << "running" << 1 << 1;
    // The recorded leader is gone and its id taken by someone else's process.
    QTest::newRow("a row's group id reused") << true << 0 << "reused" << 1 << 0;
}

void TestKilledProgram::recoveryOfARunFolder() {
    QFETCH(bool, locked);
    QFETCH(int, ageSecs);
    QFETCH(QString, leader);
    QFETCH(int, folders);
    QFETCH(int, groups);
    // Only this test's folders are looked through.
    qputenv("XDG_CACHE_HOME", path("cache").toLocal8Bit());
    qputenv("TMPDIR", m_dir->path().toLocal8Bit());
    const auto restore = qScopeGuard([] {
        qunsetenv("XDG_CACHE_HOME");
        qunsetenv("TMPDIR");
    });
    const QString folder =
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/run-dead";
    QVERIFY(QDir().mkpath(folder));
    // This test's process id with another start: the program that wrote it is gone.
    QByteArray journal = "owner " + QByteArray::number(QCoreApplication::applicationPid()) + " 1\n";
    const pid_t sleeper = leader.isEmpty() ? 0 : sleepInItsOwnGroup();
    const auto end = qScopeGuard([&] {
        if (sleeper > 0 && ::kill(sleeper, SIGKILL) == 0)
            ::waitpid(sleeper, nullptr, 0);
    });
    if (sleeper > 0) {
        QVERIFY(processRunning(sleeper));
        const QByteArray started = startTime(sleeper);
        QVERIFY(!started.isEmpty());
        journal += "begin 0 - - " + path("never.map").toUtf8().toPercentEncoding() + "\ngroup 0 " +
                   QByteArray::number(sleeper) + ' ' +
                   (leader == "reused" ? QByteArray::number(started.toLongLong() - 1) : started) +
                   '\n';
    }
    QVERIFY(TestFiles::writeFile(folder + "/rows.journal", journal));
    if (locked)
        QVERIFY(TestFiles::writeFile(folder + "/owner.lock", "1\ncorvane\n"));
    const timespec changed{::time(nullptr) - ageSecs, 0};
    const timespec times[2] = {changed, changed};
    QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), times, 0), 0);

    const RecoveredRuns recovered = recoverAbandonedRuns();
    QCOMPARE(recovered.folders, folders);
    QCOMPARE(recovered.groups, groups);
    QCOMPARE(QFileInfo::exists(folder), folders == 0);
    if (sleeper > 0) // a kill takes effect a moment later
        QTRY_COMPARE_WITH_TIMEOUT(processRunning(sleeper), groups == 0, 5000);
}

#endif

QTEST_GUILESS_MAIN(TestKilledProgram)
#include "test_killed_program.moc"
