// The program killed mid-run (SIGKILL, or TerminateProcess on Windows: a crash,
// the out-of-memory killer, Task Manager): its converters end within seconds,
// and the next start cleans up after the run.
#include "testsupport/TestFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace {
using TestFiles::processRunning;

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

QTEST_GUILESS_MAIN(TestKilledProgram)
#include "test_killed_program.moc"
