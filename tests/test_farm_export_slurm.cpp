// A farm job exported through the window, run on a real single-node Slurm
// cluster: hostile names in nested folders, a broken image, resubmission, and
// the time 16 busy images take against the machine's limit.
#include "SlurmCluster.h"
#include "app/CorvaneGUI.h"
#include "testsupport/DialogRecorder.h"
#include "joblist/JobTableModel.h"
#include "testsupport/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLineEdit>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;

QByteArray field(const QByteArray& line, const QByteArray& key) {
    for (const QByteArray& pair : line.split(' '))
        if (pair.startsWith(key + '='))
            return pair.mid(key.size() + 1);
    return {};
}

// The names the job completion log gives the tasks of array job `jobId`.
QSet<QString> jobNames(const QByteArray& log, const QByteArray& jobId) {
    QSet<QString> names;
    for (const QByteArray& line : log.split('\n'))
        if (field(line, "ArrayJobId") == jobId) {
            const qsizetype from = line.indexOf(" Name=") + 6; // it may hold blanks
            names.insert(QString::fromUtf8(line.mid(from, line.indexOf(" JobState=") - from)));
        }
    return names;
}

// "JobState ExitCode" of each task of array job `jobId` in the job completion log.
QMap<int, QByteArray> taskStates(const QByteArray& log, const QByteArray& jobId) {
    QMap<int, QByteArray> states;
    for (const QByteArray& line : log.split('\n'))
        if (field(line, "ArrayJobId") == jobId)
            states.insert(field(line, "ArrayTaskId").toInt(),
                          field(line, "JobState") + ' ' + field(line, "ExitCode"));
    return states;
}

// The sources the stand-in was started on, from its argument log, in order.
QStringList convertedSources(const QString& log) {
    QStringList sources;
    for (const QByteArray& line : TestSupport::readAll(log).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() >= 3)
            sources << QString::fromUtf8(
                QByteArray::fromPercentEncoding(fields.at(fields.size() - 2)));
    }
    return sources;
}

QStringList temporaryFiles(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        if (const QString path = it.next(); path.contains(".corvane-"))
            found << path;
    return found;
}

// How many conversions the stand-in's event log says have ended; the last end in `lastEnd`.
int endedConversions(const QString& events, qint64* lastEnd) {
    int ends = 0;
    for (const QByteArray& line : TestSupport::readAll(events).split('\n'))
        if (line.startsWith("end ")) {
            *lastEnd = std::max(*lastEnd, line.split(' ').value(2).toLongLong());
            ++ends;
        }
    return ends;
}

bool isImage(const QString& path) {
    QImageReader reader(path);
    return !reader.read().isNull();
}
} // namespace

class TestFarmExportSlurm : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void exportedJobRunsFailsHonestlyAndResumes();
    void sixteenBusyImages_data();
    void sixteenBusyImages();

private:
    QString exportJob(const QStringList& images, const QString& flags, const FarmSettings& settings,
                      const QString& folder, const QString& name);
    SlurmCluster::Result submit(const QStringList& arguments, const QString& from);

    QTemporaryDir m_dir;
    SlurmCluster m_cluster;
    std::unique_ptr<CorvaneGUI> m_window;
};

void TestFarmExportSlurm::initTestCase() {
    QVERIFY(m_dir.isValid());
    const QString missing = SlurmCluster::missingPrerequisite();
    SLURM_REQUIRE(missing.isEmpty(), missing);
    const bool started = m_cluster.start(m_dir.filePath("cluster"));
    SLURM_REQUIRE(started, m_cluster.skipReason());
    m_window = TestSupport::makeWindow(); // Linux: the bash flavour
}

void TestFarmExportSlurm::cleanupTestCase() {
    m_window.reset();
    m_cluster.stop();
    for (const qint64 pid : m_cluster.daemonPids())
        QVERIFY(!SlurmCluster::isRunning(pid));
}

// Exports the images through File > "Export Farm Job..."; the path of its .sbatch.
QString TestFarmExportSlurm::exportJob(const QStringList& images, const QString& flags,
                                       const FarmSettings& settings, const QString& folder,
                                       const QString& name) {
    G::model->clear();
    G::addImageRows(images);
    G::fieldImfCopy->setText(TestSupport::fakeConverter());
    G::checkCustom->setChecked(true);
    G::fieldCustom->setText(flags);
    QDir().mkpath(folder);
    T::reset();
    T::queueFarmSettings(settings);
    T::queueFiles(Dialogs::FileAnswer{{folder + '/' + name}, 0});
    G::itemExportFarmJob->trigger();
    if (T::messages().empty() || T::messages().back().title != "Success")
        return {};
    return folder + '/' + name + ".sbatch";
}

SlurmCluster::Result TestFarmExportSlurm::submit(const QStringList& arguments,
                                                 const QString& from) {
    return m_cluster.run("sbatch", QStringList{"--wait", "--parsable"} + arguments, from, 180000);
}

void TestFarmExportSlurm::exportedJobRunsFailsHonestlyAndResumes() {
    const QString library = m_dir.filePath("library");
    const QStringList names{"wood $(touch pwned)/a\"b.png",
                            "wood $(touch pwned)/`x`.png",
                            "metal 100%/it's.png",
                            "metal 100%/naïve café.png",
                            "[set]*/-rf.png",
                            "[set]*/$HOME ${PATH}.png",
                            "metal 100%/back\\slash $x.png",
                            "metal 100%/broken $x.png"};
    QStringList images;
    for (const QString& name : names)
        images << library + '/' + name;
    for (int i = 1; images.size() < 20; ++i)
        images << library + QString("/deep/er/and/deeper/plain_%1.jpg").arg(i, 2, 10, QChar('0'));
    const QString broken = library + "/metal 100%/broken $x.png";
    const int brokenTask = int(images.indexOf(broken)) / 2 + 1;
    for (const QString& image : images) {
        QVERIFY(QDir().mkpath(QFileInfo(image).path()));
        if (image == broken)
            QVERIFY(TestSupport::writeFile(image, "#imf_copy --exit-code 4\n"));
        else
            QVERIFY(TestSupport::writeImage(image));
    }
    const QString log = m_dir.filePath("arguments");
    qputenv("CORVANE_FAKE_IMF_COPY_LOG", log.toLocal8Bit());

    const QString jobFolder = m_dir.filePath("farm jobs/night");
    // A quote ends the #SBATCH value unless escaped; "%a" in the log's path is the task's index.
    const QString name = "night \"run\" 50%alpha";
    const QString script =
        exportJob(images, "--switches-from-image", FarmSettings{2, 0, true}, jobFolder, name);
    QVERIFY2(!script.isEmpty(),
             qPrintable(T::messages().empty() ? QString("no box") : T::messages().back().text));
    const QString elsewhere = m_dir.filePath("elsewhere");
    QVERIFY(QDir().mkpath(elsewhere));

    // Submitted from another folder, run in the job's.
    QElapsedTimer clock;
    clock.start();
    SlurmCluster::Result sbatch = submit({"--chdir=" + jobFolder, script}, elsewhere);
    qInfo("20 images, 10 tasks: sbatch --wait returned after %lld ms", clock.elapsed());
    QVERIFY2(sbatch.finished, sbatch.errors.constData());
    const QByteArray jobId = sbatch.output.trimmed().split(';').first();
    QTRY_COMPARE_WITH_TIMEOUT(jobNames(TestSupport::readAll(m_cluster.jobCompletionLog()), jobId),
                              QSet<QString>{name}, 20000);
    QCOMPARE(sbatch.exitCode, 4); // the highest exit status among the tasks
    QMap<int, QByteArray> expected;
    for (int task = 1; task <= 10; ++task)
        expected.insert(task, task == brokenTask ? "FAILED 4:0" : "COMPLETED 0:0");
    QTRY_COMPARE_WITH_TIMEOUT(taskStates(TestSupport::readAll(m_cluster.jobCompletionLog()), jobId),
                              expected, 20000);

    QStringList good = images;
    good.removeOne(broken);
    QStringList converted = convertedSources(log);
    converted.sort();
    QStringList all = images;
    all.sort();
    QCOMPARE(converted, all); // each image once, the broken one too
    for (const QString& image : good) {
        const QString target = image.chopped(4) + ".map";
        QVERIFY2(isImage(target), qPrintable(target));
    }
    QVERIFY(!QFile::exists(broken.chopped(4) + ".map"));
    QVERIFY(!QFile::exists(elsewhere + "/pwned") && !QFile::exists(jobFolder + "/pwned"));
    QCOMPARE(temporaryFiles(m_dir.path()), QStringList());
    const QString brokenLog =
        QString("%1/%2.logs/%3_%4.out").arg(jobFolder, name, jobId).arg(brokenTask);
    QVERIFY2(TestSupport::readAll(brokenLog).contains("FAILED with exit status 4: t="),
             TestSupport::readAll(brokenLog).constData());
    QCOMPARE(QDir(jobFolder + '/' + name + ".logs").entryList(QDir::Files).size(), 10);

    // Again, without --chdir and with its log elsewhere: the script finds its
    // tasks beside itself through the controller, and only the broken image runs.
    sbatch = submit({"--output=" + elsewhere + "/again-%a.out", script}, elsewhere);
    QVERIFY2(sbatch.finished, sbatch.errors.constData());
    QCOMPARE(sbatch.exitCode, 4);
    QCOMPARE(convertedSources(log).mid(images.size()), QStringList{broken});

    // Mended, it is converted, and nothing else.
    QVERIFY(TestSupport::writeImage(broken));
    sbatch = submit({"--chdir=" + jobFolder, script}, elsewhere);
    QVERIFY2(sbatch.finished, sbatch.errors.constData());
    QCOMPARE(sbatch.exitCode, 0);
    QCOMPARE(convertedSources(log).mid(images.size() + 1), QStringList{broken});
    QVERIFY(isImage(broken.chopped(4) + ".map"));
    QCOMPARE(temporaryFiles(m_dir.path()), QStringList());
    qunsetenv("CORVANE_FAKE_IMF_COPY_LOG");
}

void TestFarmExportSlurm::sixteenBusyImages_data() {
    QTest::addColumn<int>("perTask");
    QTest::newRow("16 tasks of 1 (the default)") << 1;
    QTest::newRow("2 tasks of 8") << 8;
}

// No assertion on time: the figures go into docs/performance.md. A job waits up to a
// second for the controller's next scheduling pass, so each setting is
// submitted a few times, at random moments, and every figure is printed.
void TestFarmExportSlurm::sixteenBusyImages() {
    QFETCH(int, perTask);
    const QString folder = m_dir.filePath(QString("busy %1").arg(perTask));
    QStringList images;
    for (int i = 0; i < 16; ++i) {
        images << QString("%1/texture_%2.png").arg(folder).arg(i);
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(TestSupport::writeImage(images.last()));
    }
    const QString script =
        exportJob(images, "--burn-ms 500", FarmSettings{perTask, 0, true}, folder, "busy");
    QVERIFY(!script.isEmpty());
    const int cores = std::max(1, QThread::idealThreadCount());
    const double limit = 16 * 0.5 / cores;
    std::vector<double> ratios;
    for (int round = 0; round < 5; ++round) {
        for (const QString& image : images)
            QFile::remove(image.chopped(4) + ".map");
        const QString events = QString("%1/events %2").arg(folder).arg(round);
        qputenv("CORVANE_FAKE_IMF_COPY_EVENTS", events.toLocal8Bit());
        QThread::msleep(QRandomGenerator::global()->bounded(1000));
        const qint64 submitted = QDateTime::currentMSecsSinceEpoch();
        const SlurmCluster::Result sbatch = m_cluster.run("sbatch", {"--parsable", script}, folder);
        qunsetenv("CORVANE_FAKE_IMF_COPY_EVENTS");
        QVERIFY2(sbatch.finished && sbatch.exitCode == 0, sbatch.errors.constData());
        const QString jobId = QString::fromUtf8(sbatch.output.trimmed());
        // Done when every conversion has ended and no task is left in the queue;
        // looked at sparingly, so as not to take the cores from the conversions.
        qint64 lastEnd = 0;
        QElapsedTimer clock;
        clock.start();
        while (endedConversions(events, &lastEnd) < 16 && clock.elapsed() < 120000)
            QThread::msleep(200);
        while (!m_cluster.run("squeue", {"--noheader", "--jobs=" + jobId})
                    .output.trimmed()
                    .isEmpty()) {
            QVERIFY2(clock.elapsed() < 120000, "the job did not end");
            QThread::msleep(100);
        }
        const int ends = endedConversions(events, &lastEnd);
        QCOMPARE(ends, 16);
        const double seconds = (lastEnd - submitted) / 1000.0;
        ratios.push_back(seconds / limit);
        qInfo("16 images x 500 ms of processor time, %d to a task, %d cores: %.2f s from sbatch "
              "to the last conversion's end; the machine's limit %.2f s; %.2f x the limit",
              perTask, cores, seconds, limit, seconds / limit);
    }
    std::sort(ratios.begin(), ratios.end());
    qInfo("%d to a task: median %.2f x the limit (%.2f to %.2f)", perTask,
          ratios[ratios.size() / 2], ratios.front(), ratios.back());
}

QTEST_MAIN(TestFarmExportSlurm)
#include "test_farm_export_slurm.moc"
