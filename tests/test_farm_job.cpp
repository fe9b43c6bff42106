// Farm jobs without a farm: how images split into tasks, the task lines run by
// real shells with the stand-in converter (hostile names, the up-to-date
// clause, failures, a kill, two runs at once), and the batch script run as
// Slurm would run each task.
#include "conversion/rules/FarmJob.h"
#include "conversion/rules/FarmJobScript.h"
#include "conversion/rules/FarmTaskLine.h"
#include "testsupport/TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QDirIterator>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#ifndef Q_OS_WIN
#include <unistd.h>
#endif

// Task lines are POSIX shell for Linux farm nodes: a Windows build has no shell to run them,
// and checks only what the job's files say.
#ifdef Q_OS_WIN
#define REQUIRE_POSIX_SHELL() QSKIP("farm task lines run in bash and sh on Linux nodes")
#else
#define REQUIRE_POSIX_SHELL() static_cast<void>(0)
#endif

namespace {
using TestFiles::readAll;
using TestFiles::writeFile;

// A 2 x 2 PNG, which the stand-in reads whatever the file is called.
const QByteArray png = QByteArray::fromRawData(
    "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x02\x00\x00\x00"
    "\x02\x08\x02\x00\x00\x00\xfd\xd4\x9a\x73\x00\x00\x00\x11\x49\x44\x41\x54\x78\x9c\x63\xf8\xcf"
    "\xc0\x00\x44\x60\xe2\x3f\x03\x00\x1d\xf0\x03\xfd\xa0\x33\x09\x89\x00\x00\x00\x00\x49\x45\x4e"
    "\x44\xae\x42\x60\x82",
    74);
const QByteArray pngSignature("\x89PNG\r\n\x1a\n");

ConverterLines converterLines(const QString& flags, const OutputChoice& output = {}) {
    FlagOptions options;
    options.custom = true;
    options.customText = flags;
    return ConverterLines(
        CommandSettings{TestFiles::fakeConverter(), options, output, TargetSystem::Mac});
}

QString taskLine(const ConverterLines& lines, const JobRow& row, bool skip = true) {
    return farmTaskLine(lines, row.image, *lines.target(row), skip);
}

JobRow rowFor(const QString& source) {
    return JobRow{true, source, *sameDirectoryTarget(source), Status::Unprocessed};
}

struct Ran {
    int status = -1;
    QByteArray output;
};

QProcessEnvironment environmentFor(const QTemporaryDir& dir) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("CORVANE_FAKE_IMF_COPY_LOG"), dir.filePath("arguments"));
    return environment;
}

// The environment of a task on a node without a working scontrol, as Slurm
// starts it: a stand-in that answers nothing comes first on PATH.
QProcessEnvironment taskEnvironment(const QTemporaryDir& dir, int task) {
    QProcessEnvironment environment = environmentFor(dir);
    const QString bin = dir.filePath("bin");
    if (!QFile::exists(bin + "/scontrol")) {
        QDir().mkpath(bin);
        writeFile(bin + "/scontrol", "#!/bin/sh\nexit 1\n", true);
    }
    environment.insert("PATH", bin + ':' + environment.value("PATH"));
    environment.insert("SLURM_ARRAY_TASK_ID", QString::number(task));
    environment.insert("SLURM_JOB_ID", QString::number(1000 + task));
    return environment;
}

// Runs a line as farm managers do: one shell for the line, nothing on its input.
Ran run(const QTemporaryDir& dir, const QString& line, const QString& shell = "bash") {
    QProcess process;
    process.setProcessEnvironment(environmentFor(dir));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(shell, {"-c", line});
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAll()};
}

// The arguments of every conversion the stand-in started, one list each.
QList<QStringList> conversions(const QTemporaryDir& dir) {
    QList<QStringList> all;
    for (const QByteArray& line : readAll(dir.filePath("arguments")).split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList arguments;
        const QList<QByteArray> fields = line.split(' ');
        for (qsizetype i = 1; i < fields.size(); ++i)
            arguments << QString::fromUtf8(QByteArray::fromPercentEncoding(fields[i]));
        all << arguments;
    }
    return all;
}

// Every file under `folder` whose name holds ".corvane-": temporary files.
QStringList temporaryFiles(const QString& folder) {
    QStringList found;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (path.contains(".corvane-"))
            found << path;
    }
    return found;
}

bool isWholeImage(const QString& path) {
    const QByteArray bytes = readAll(path);
    return bytes.startsWith(pngSignature) && bytes.endsWith("IEND\xae\x42\x60\x82");
}

void setModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(when, QFileDevice::FileModificationTime));
}
} // namespace

class TestFarmJob : public QObject {
    Q_OBJECT
private slots:
    void chunking_data();
    void chunking();
    void jobFilesAndNames();
    void arrayLineTakesTheLimit();
    void converterPartIsTheExportedLineWithTheTemporaryTarget();
    void hostileNamesReachTheConverterInEveryShell_data();
    void hostileNamesReachTheConverterInEveryShell();
    void upToDateClause_data();
    void upToDateClause();
    void failedConversionKeepsTheOldMapAndNoTemporaryFile_data();
    void failedConversionKeepsTheOldMapAndNoTemporaryFile();
    void killedLineLeavesOnlyItsTemporaryFile();
    void twoRunsOfOneLineAtOnceEndWithOneWholeMap();
    void refusesRowsALineCannotCarry();
    void batchScriptRunsEachLineOnceInItsTask();
    void batchScriptNoticesAShorterTaskList();
};

void TestFarmJob::chunking_data() {
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("perTask");
    QTest::addColumn<int>("tasks");
    QTest::newRow("one image") << 1 << 1 << 1;
    QTest::newRow("exactly 1,000") << 1000 << 1 << 1000;
    QTest::newRow("1,001: two to a task") << 1001 << 2 << 501;
    QTest::newRow("100,000") << 100000 << 100 << 1000;
    QTest::newRow("100,001: the last task short") << 100001 << 101 << 991;
}

void TestFarmJob::chunking() {
    QFETCH(int, images);
    QFETCH(int, perTask);
    QFETCH(int, tasks);
    QCOMPARE(defaultImagesPerTask(images), perTask);
    QCOMPARE(farmTaskCount(images, perTask), tasks);
    QVERIFY(tasks <= farmTaskLimit);
    // Chosen by hand: seven images three to a task make a last task of one.
    QCOMPARE(farmTaskCount(7, 3), 3);
}

void TestFarmJob::jobFilesAndNames() {
    QCOMPARE(farmJobFiles("/jobs/night.sbatch").name, "night");
    QCOMPARE(farmJobFiles("/jobs/night.SBATCH").name, "night");
    QCOMPARE(farmJobFiles("/jobs/night.tasks").name, "night");
    QCOMPARE(farmJobFiles("/jobs/night").name, "night");
    QCOMPARE(farmJobFiles("/jobs/night.v2").name, "night.v2");
    // An absolute folder on this host: a Windows path names its drive.
#ifdef Q_OS_WIN
    const QString jobs = "C:/jobs";
#else
    const QString jobs = "/jobs";
#endif
    const FarmJobFiles files = farmJobFiles(jobs + "/a b/night run");
    QCOMPARE(files.batchScript(), jobs + "/a b/night run.sbatch");
    QCOMPARE(files.logs(), jobs + "/a b/night run.logs");
    using Problem = std::optional<FarmNameProblem>;
    QCOMPARE(farmNameProblem(farmJobFiles("/jobs/.sbatch").name), Problem(FarmNameProblem::Empty));
    QCOMPARE(farmNameProblem("back\\slash"), Problem(FarmNameProblem::Unwritable));
    QCOMPARE(farmNameProblem("tab\there"), Problem(FarmNameProblem::Unwritable));
    QVERIFY(!farmNameProblem("100% \"night\" $run"));
}

void TestFarmJob::arrayLineTakesTheLimit() {
    const auto arrayLine = [](const FarmSettings& settings) {
        const QByteArray script = farmBatchScript(FarmJob{"night", 20, settings}, "1.0");
        for (const QByteArray& line : script.split('\n'))
            if (line.startsWith("#SBATCH --array="))
                return line;
        return QByteArray();
    };
    QCOMPARE(arrayLine({2, 0, true}), "#SBATCH --array=1-10");
    QCOMPARE(arrayLine({3, 4, true}), "#SBATCH --array=1-7%4");
}

void TestFarmJob::converterPartIsTheExportedLineWithTheTemporaryTarget() {
    const ConverterLines lines = converterLines("-p -g 2.2 ", {false, "/srv/maps $x"});
    const JobRow row = rowFor("/img/wood `1`.png");
    const QString exported = lines.line(row.image, lines.target(row)->joined());
    const QString quotedTarget = "\"/srv/maps \\$x/wood \\`1\\`.map\"";
    QVERIFY(exported.endsWith(quotedTarget));
    const QString converterPart = exported.chopped(quotedTarget.size()) + "\"$p\"";
    for (const bool skip : {true, false})
        QVERIFY2(taskLine(lines, row, skip).contains("{ " + converterPart + "; r=$?;"),
                 qPrintable(taskLine(lines, row, skip)));
}

void TestFarmJob::hostileNamesReachTheConverterInEveryShell_data() {
    QTest::addColumn<QString>("shell");
    QTest::newRow("bash") << "bash";
    QTest::newRow("POSIX sh (dash)") << "sh";
}

void TestFarmJob::hostileNamesReachTheConverterInEveryShell() {
    REQUIRE_POSIX_SHELL();
    QFETCH(QString, shell);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList names{"$(touch pwned).png", "`touch pwned`.png",   "a\"b.png",
                            "100%done.png",       "back\\slash\\$x.png", "naïve café.png",
                            "$HOME ${PATH}.png",  "it's [a]*.png",       "-rf.png"};
    // Into an output folder nested under a name of the same kind, made by the line.
    const QString output = dir.filePath("maps $(touch pwned)/`x` \"y\"");
    const ConverterLines lines = converterLines("-p ", {false, output});
    for (const QString& name : names) {
        const QString source = dir.filePath("in/" + name);
        QVERIFY(QDir().mkpath(dir.filePath("in")));
        QVERIFY(writeFile(source, png));
        const Ran ran = run(dir, taskLine(lines, rowFor(source)), shell);
        QVERIFY2(ran.status == 0, ran.output.constData());
        const QString target = lines.target(rowFor(source))->joined();
        QVERIFY2(isWholeImage(target), qPrintable(target));
        const QStringList arguments = conversions(dir).last();
        QCOMPARE(arguments.size(), 3);
        QCOMPARE(arguments[0], "-p");
        QCOMPARE(arguments[1], source);
        QVERIFY2(arguments[2].startsWith(target + ".corvane-") && arguments[2].endsWith(".map"),
                 qPrintable(arguments[2]));
    }
    QVERIFY(!QFile::exists(dir.filePath("pwned")));
    QCOMPARE(temporaryFiles(dir.path()), QStringList());
}

void TestFarmJob::upToDateClause_data() {
    QTest::addColumn<bool>("skip");
    QTest::addColumn<QByteArray>("targetBytes"); // empty: no target at all
    QTest::addColumn<int>("targetAgeSeconds");   // how much older than the image
    QTest::addColumn<bool>("sourceMissing");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("status");
    QTest::newRow("no .map yet") << true << QByteArray() << 0 << false << true << 0;
    QTest::newRow("an empty .map") << true << QByteArray("") << -60 << false << true << 0;
    QTest::newRow(".map older than the image")
        << true << QByteArray("old") << 60 << false << true << 0;
    QTest::newRow(".map newer: skipped") << true << QByteArray("old") << -60 << false << false << 0;
    QTest::newRow("same time: skipped, as Process does")
        << true << QByteArray("old") << 0 << false << false << 0;
    QTest::newRow("image gone: not skipped, the converter fails")
        << true << QByteArray("old") << -60 << true << true << 1;
    QTest::newRow("setting unticked: converts a newer .map")
        << false << QByteArray("old") << -60 << false << true << 0;
}

void TestFarmJob::upToDateClause() {
    REQUIRE_POSIX_SHELL();
    QFETCH(bool, skip);
    QFETCH(QByteArray, targetBytes);
    QFETCH(int, targetAgeSeconds);
    QFETCH(bool, sourceMissing);
    QFETCH(bool, converts);
    QFETCH(int, status);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath("wood.png");
    const QString target = dir.filePath("wood.map");
    const QDateTime imageTime = QDateTime::currentDateTime().addSecs(-3600);
    if (!sourceMissing) {
        QVERIFY(writeFile(source, png));
        setModified(source, imageTime);
    }
    if (!targetBytes.isNull()) {
        QVERIFY(writeFile(target, targetBytes));
        setModified(target, imageTime.addSecs(-targetAgeSeconds));
    }
    const Ran ran = run(dir, taskLine(converterLines(""), rowFor(source), skip));
    QCOMPARE(ran.status, status);
    QCOMPARE(conversions(dir).size(), converts ? 1 : 0);
    QCOMPARE(ran.output.contains("up to date: " + target.toUtf8()), !converts);
    if (converts && status == 0)
        QVERIFY(isWholeImage(target));
    else if (!targetBytes.isNull())
        QCOMPARE(readAll(target), targetBytes);
    QCOMPARE(temporaryFiles(dir.path()), QStringList());
}

void TestFarmJob::failedConversionKeepsTheOldMapAndNoTemporaryFile_data() {
    QTest::addColumn<QString>("flags");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("says");
    QTest::newRow("the converter fails: its status") << "--exit-code 4" << 4 << QByteArray();
    QTest::newRow("it succeeds but writes nothing")
        << "--empty-output" << 1 << QByteArray("no .map written: ");
    QTest::newRow("it writes half and crashes")
        << "--write-partial 64 --exit-code 139" << 139 << QByteArray();
}

void TestFarmJob::failedConversionKeepsTheOldMapAndNoTemporaryFile() {
    REQUIRE_POSIX_SHELL();
    QFETCH(QString, flags);
    QFETCH(int, status);
    QFETCH(QByteArray, says);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath("wood.png");
    const QString target = dir.filePath("wood.map");
    QVERIFY(writeFile(source, png));
    QVERIFY(writeFile(target, "the old map"));
    setModified(target, QDateTime::currentDateTime().addSecs(-3600));
    const Ran ran = run(dir, taskLine(converterLines(flags), rowFor(source)));
    QCOMPARE(ran.status, status);
    QVERIFY2(ran.output.contains(says + target.toUtf8()) || says.isEmpty(), ran.output.constData());
    QCOMPARE(readAll(target), "the old map");
    QCOMPARE(temporaryFiles(dir.path()), QStringList());
}

void TestFarmJob::killedLineLeavesOnlyItsTemporaryFile() {
    REQUIRE_POSIX_SHELL();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath("wood.png");
    const QString target = dir.filePath("wood.map");
    QVERIFY(writeFile(source, png));
    QFileSystemWatcher watcher({dir.path()});
    QSignalSpy changed(&watcher, &QFileSystemWatcher::directoryChanged);

    // The farm kills a task's whole process group, the converter with it.
    QProcess line;
    line.setProcessEnvironment(environmentFor(dir));
#ifndef Q_OS_WIN
    line.setChildProcessModifier([] { ::setpgid(0, 0); });
#endif
    line.start("bash", {"-c", taskLine(converterLines("--write-partial 64 --sleep-ms 60000"),
                                       rowFor(source))});
    QVERIFY(line.waitForStarted());
    while (temporaryFiles(dir.path()).isEmpty())
        QVERIFY(changed.wait(30000));
#ifndef Q_OS_WIN
    QVERIFY(::kill(-pid_t(line.processId()), SIGKILL) == 0);
#endif
    QVERIFY(line.waitForFinished());

    QVERIFY(!QFile::exists(target));
    const QStringList left = temporaryFiles(dir.path());
    QCOMPARE(left.size(), 1);
    QStringList expected{"arguments", "wood.png", QFileInfo(left.first()).fileName()};
    expected.sort();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files, QDir::Name), expected);

    // The next run removes it and puts a whole .map in place.
    const Ran again = run(dir, taskLine(converterLines(""), rowFor(source)));
    QVERIFY2(again.status == 0, again.output.constData());
    QVERIFY(isWholeImage(target));
    QCOMPARE(temporaryFiles(dir.path()), QStringList());
}

void TestFarmJob::twoRunsOfOneLineAtOnceEndWithOneWholeMap() {
    REQUIRE_POSIX_SHELL();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath("wood.png");
    QVERIFY(writeFile(source, png));
    const QString line =
        taskLine(converterLines("--write-partial 64 --sleep-ms 300"), rowFor(source), false);
    QProcess first, second;
    for (QProcess* process : {&first, &second}) {
        process->setProcessEnvironment(environmentFor(dir));
        process->start("bash", {"-c", line});
    }
    QVERIFY(first.waitForFinished() && second.waitForFinished());
    QCOMPARE(conversions(dir).size(), 2);
    QVERIFY(first.exitCode() == 0 || second.exitCode() == 0);
    QVERIFY(isWholeImage(dir.filePath("wood.map")));
    QCOMPARE(temporaryFiles(dir.path()), QStringList());
}

void TestFarmJob::refusesRowsALineCannotCarry() {
    const ConverterLines lines = converterLines("");
    const std::vector<JobRow> broken{rowFor("/img/a.png"), rowFor("/img/two\nlines.png")};
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QCOMPARE(writeFarmTasks(buffer, broken, lines, true), FarmTasksResult::LineBreak);
    QCOMPARE(firstLineBreak(broken, lines).value_or(QString()), "/img/two\nlines.png");
    // Unticked, it is no part of the job.
    std::vector<JobRow> unticked = broken;
    unticked[1].process = false;
    QCOMPARE(writeFarmTasks(buffer, unticked, lines, true), FarmTasksResult::Written);
    QCOMPARE(buffer.data().count('\n'), 1);
    // A target with no folder to go into, with an output folder in use.
    const ConverterLines intoFolder = converterLines("", {false, "/srv/maps"});
    QBuffer none;
    none.open(QIODevice::WriteOnly);
    QCOMPARE(writeFarmTasks(none, {JobRow{true, "a.png", "a.map", Status::Unprocessed}}, intoFolder,
                            true),
             FarmTasksResult::UnplacedTarget);
    QVERIFY(none.data().isEmpty());
}

void TestFarmJob::batchScriptRunsEachLineOnceInItsTask() {
    REQUIRE_POSIX_SHELL();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Seven images three to a task, the fifth broken: task 2 fails, the others do not.
    std::vector<JobRow> rows;
    for (int i = 1; i <= 7; ++i) {
        const QString source = dir.filePath(QString("in/image %1.png").arg(i));
        QVERIFY(QDir().mkpath(dir.filePath("in")));
        QVERIFY(writeFile(source, i == 5 ? QByteArray("#imf_copy --exit-code 4\n") : png));
        rows.push_back(rowFor(source));
    }
    const QString jobFolder = dir.filePath("job");
    QVERIFY(QDir().mkpath(jobFolder));
    QFile tasks(jobFolder + "/night.tasks");
    QVERIFY(tasks.open(QIODevice::WriteOnly));
    QCOMPARE(writeFarmTasks(tasks, rows, converterLines("--switches-from-image"), true),
             FarmTasksResult::Written);
    tasks.close();
    const FarmJob job{"night", 7, {3, 0, true}};
    QVERIFY(writeFile(jobFolder + "/night.sbatch", farmBatchScript(job, "1.0")));

    // Slurm starts each task in the job's folder; without scontrol's answer the
    // script takes that folder.
    QStringList outputs;
    QList<int> statuses;
    for (int task = 1; task <= job.tasks(); ++task) {
        QProcess script;
        script.setProcessEnvironment(taskEnvironment(dir, task));
        script.setWorkingDirectory(jobFolder);
        script.setProcessChannelMode(QProcess::MergedChannels);
        script.start("bash", {jobFolder + "/night.sbatch"});
        QVERIFY(script.waitForFinished());
        statuses << script.exitCode();
        outputs << QString::fromUtf8(script.readAll());
    }
    QCOMPARE(statuses, QList<int>({0, 4, 0}));
    QVERIFY2(outputs[1].contains("line 4: done\n") && outputs[1].contains("line 6: done\n") &&
                 outputs[1].contains("line 5: FAILED with exit status 4: t="),
             qPrintable(outputs[1]));
    QVERIFY2(outputs[2].contains("lines 7 to 7 of") && !outputs[2].contains("line 8"),
             qPrintable(outputs[2]));
    QStringList converted;
    for (const QStringList& arguments : conversions(dir))
        converted << QFileInfo(arguments.at(1)).fileName();
    QCOMPARE(converted, QStringList({"image 1.png", "image 2.png", "image 3.png", "image 4.png",
                                     "image 5.png", "image 6.png", "image 7.png"}));
    for (int i = 1; i <= 7; ++i)
        QCOMPARE(QFile::exists(dir.filePath(QString("in/image %1.map").arg(i))), i != 5);

    // Not under Slurm, it says so and runs nothing.
    QProcess bare;
    bare.setProcessChannelMode(QProcess::MergedChannels);
    bare.start("bash", {jobFolder + "/night.sbatch"});
    QVERIFY(bare.waitForFinished());
    QCOMPARE(bare.exitCode(), 2);
    QVERIFY(bare.readAll().contains("submit it with sbatch"));
}

void TestFarmJob::batchScriptNoticesAShorterTaskList() {
    REQUIRE_POSIX_SHELL();
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // The first line reads its input: it must not swallow the second.
    QVERIFY(writeFile(dir.filePath("night.tasks"), "cat >/dev/null\ntrue\n"));
    QVERIFY(writeFile(dir.filePath("night.sbatch"),
                      farmBatchScript(FarmJob{"night", 7, {3, 0, true}}, "1.0")));
    QProcess script;
    script.setProcessEnvironment(taskEnvironment(dir, 1));
    script.setWorkingDirectory(dir.path());
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start("bash", {dir.filePath("night.sbatch")});
    QVERIFY(script.waitForFinished());
    QCOMPARE(script.exitCode(), 2);
    const QByteArray output = script.readAll();
    QVERIFY2(output.contains("line 2: done") && output.contains("ends before line 3"),
             output.constData());
}

QTEST_GUILESS_MAIN(TestFarmJob)
#include "test_farm_job.moc"
