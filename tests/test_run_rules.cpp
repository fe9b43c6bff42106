// The run's rules as plain values: how a row script is started, each row's
// verdict, the run's text, the kept output and the progress text.
#include "conversion/CommandLine.h"
#include "conversion/OutputTail.h"
#include "conversion/RowScript.h"
#include "conversion/RunVerdict.h"
#include "conversion/UpToDate.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestRunRules : public QObject {
    Q_OBJECT
private slots:
    void launchFollowsTheFlavour();
    void rowVerdicts();
    void runTextIsTheFirstFailureInTableOrder();
    void outputTailKeepsTheNewestBytes();
    void budgetRunsOut();
    void reportsForPeople();
    void progress();
    void upToDateRule();
    void upToDateInABigFolder();
};

void TestRunRules::launchFollowsTheFlavour() {
    const auto mac = scriptLaunch(TargetSystem::Mac, "/tmp/run-x/temp-3.sh");
    QVERIFY(mac);
    QCOMPARE(mac->permissionCommand, R"(chmod 755 "/tmp/run-x/temp-3.sh")");
    QCOMPARE(mac->command, R"("/tmp/run-x/temp-3.sh")");
    QVERIFY(mac->program.isEmpty());
    // Windows' separator never occurs in a path of this host.
#ifndef Q_OS_WIN
    QVERIFY(!scriptLaunch(TargetSystem::Windows, "/tmp/run-x/temp-3.bat"));
#endif
    QCOMPARE(rowScriptName(TargetSystem::Mac, 0), "temp-1.sh");
    QCOMPARE(rowScriptName(TargetSystem::Windows, 11), "temp-12.bat");
    const QByteArray end = QByteArray(
#ifdef Q_OS_WIN
        "\r\n"
#else
        "\n"
#endif
    );
    QCOMPARE(rowScriptBytes(TargetSystem::Mac, "imf_copy a"),
             "#!/bin/bash" + end + "imf_copy a" + end);
    QCOMPARE(rowScriptBytes(TargetSystem::Windows, "imf_copy a"), "imf_copy a" + end);
    // The run without ticked rows: the header alone, or nothing.
    QCOMPARE(rowScriptBytes(TargetSystem::Mac, QString()), "#!/bin/bash" + end);
    QCOMPARE(rowScriptBytes(TargetSystem::Windows, QString()), QByteArray());
}

void TestRunRules::rowVerdicts() {
    using TargetSystem::Mac;
    using TargetSystem::Windows;
    auto outcome = [](std::optional<int> chmod, int script, bool written) {
        RowOutcome o;
        o.permissionExit = chmod;
        o.scriptExit = script;
        o.targetWritten = written;
        return o;
    };
    QCOMPARE(rowResultText(Mac, outcome(0, 0, true)), "Processed Successfully");
    QCOMPARE(rowResultText(Mac, outcome(1, 0, true)), "Error Processing Files. Code: 10");
    QCOMPARE(rowResultText(Mac, outcome(0, 127, false)), "Error Processing Files. Code: 0127");
    // Exit values that say success do not make a missing target a success.
    QCOMPARE(rowResultText(Mac, outcome(0, 0, false)), "Error Processing Files");
    QCOMPARE(rowResultText(Windows, outcome({}, 0, true)), "Processed Successfully");
    QCOMPARE(rowResultText(Windows, outcome({}, 2, true)), "Error Processing Files");
    QCOMPARE(rowResultText(Windows, outcome({}, 0, false)), "Error Processing Files");

    RowOutcome noTarget = outcome(0, 0, false);
    noTarget.targetChecked = false; // the header-only script of a run without ticked rows
    QCOMPARE(rowResultText(Mac, noTarget), "Processed Successfully");
    RowOutcome crashed = outcome(0, 0, true);
    crashed.launched = false;
    QCOMPARE(rowResultText(Mac, crashed), "Exception Error");
    QCOMPARE(rowResultText(Windows, crashed), "Exception Error");
    RowOutcome unwritten = outcome(0, 0, true);
    unwritten.scriptWritten = false;
    QCOMPARE(rowResultText(Mac, unwritten), "Error Writing File");
    RowOutcome cancelled = outcome(0, 0, true);
    cancelled.cancelled = true;
    QVERIFY(rowResultText(Mac, cancelled).contains("Error"));
}

void TestRunRules::runTextIsTheFirstFailureInTableOrder() {
    QCOMPARE(runResultText({}), "Processed Successfully");
    QCOMPARE(runResultText({"Processed Successfully", "Processed Successfully"}),
             "Processed Successfully");
    QCOMPARE(runResultText(
                 {"Processed Successfully", "Error Processing Files. Code: 01", "Exception Error"}),
             "Error Processing Files. Code: 01");
    QCOMPARE(runResultText({"Exception Error", "Error Processing Files"}), "Exception Error");
}

void TestRunRules::outputTailKeepsTheNewestBytes() {
    OutputTail tail(8);
    tail.append("abc", 3);
    QCOMPARE(tail.bytes(), "abc");
    QVERIFY(!tail.truncated());
    for (char c = 'd'; c <= 'z'; ++c)
        tail.append(&c, 1);
    QCOMPARE(tail.bytes(), "stuvwxyz");
    QVERIFY(tail.truncated());
    QCOMPARE(tail.seen(), 26);
    const QByteArray big(100000, 'q');
    tail.append(big.constData(), big.size());
    tail.append("\nend", 4);
    QCOMPARE(tail.bytes(), "qqqq\nend");

    // A megabyte in small pieces stays within twice the limit all along.
    OutputTail chatty;
    const QByteArray line = QByteArray(99, 'x') + '\n';
    for (int i = 0; i < 10000; ++i)
        chatty.append(line.constData(), line.size());
    QCOMPARE(chatty.bytes().size(), OutputTail::DefaultLimit);
    QVERIFY(chatty.bytes().endsWith(line));
}

void TestRunRules::budgetRunsOut() {
    OutputBudget budget(10);
    QVERIFY(budget.take(6));
    QVERIFY(!budget.take(5)); // does not fit: nothing taken
    QVERIFY(budget.take(4));
    QCOMPARE(budget.left(), 0);
    QCOMPARE(OutputBudget().left(), 64 * 1024 * 1024);
}

void TestRunRules::reportsForPeople() {
    // A cut line at the front is dropped; trailing line ends go.
    QCOMPARE(lastLines("ial line\nimf_copy: cannot read\n\n", true), "imf_copy: cannot read");
    QCOMPARE(lastLines("whole line\nlast\n", false), "whole line\nlast");
    QCOMPARE(lastLines("no newline at all", true), "no newline at all");
    QCOMPARE(lastLinesOf("a\nb\nc\nd", 2), "c\nd");
    QCOMPARE(lastLinesOf("a\nb\nc\n", 2), "b\nc\n");
    QCOMPARE(lastLinesOf("a\nb", 5), "a\nb");

    RowOutcome quiet;
    quiet.permissionExit = 0;
    quiet.scriptExit = 4;
    QCOMPARE(exitValuesText(TargetSystem::Mac, quiet),
             "Chmod exited with 0, the script exited with 4.");
    QCOMPARE(exitValuesText(TargetSystem::Windows, quiet), "The script exited with 4.");
    quiet.scriptExit = 0;
    QVERIFY(exitValuesText(TargetSystem::Windows, quiet).contains(".map file is missing"));

    QCOMPARE(failureDetails({{"/a/x.png", "imf_copy: bad\nsecond"}, {"/a/y.png", "Exit 1."}}),
             "/a/x.png\n    imf_copy: bad\n    second\n\n/a/y.png\n    Exit 1.\n");
    // The last lines only, and the last line alone once the text is long.
    const FailedRowReport chatty{"/a/z.png", "1\n2\n3\n4\n5\n6\n7"};
    QCOMPARE(failureDetails({chatty}, 2), "/a/z.png\n    6\n    7\n");
    QCOMPARE(failureDetails({chatty, chatty}, 2, 10),
             "/a/z.png\n    6\n    7\n\n/a/z.png\n    7\n");
    QCOMPARE(cancelledText(3, 5), "Processing Cancelled\n\n3 converted, 5 not converted.");
}

void TestRunRules::progress() {
    QCOMPARE(durationText(0), "0:00");
    QCOMPARE(durationText(61499), "1:01");
    QCOMPARE(durationText(3723000), "1:02:03");
    QVERIFY(!remainingEstimate(5000, 0, 10));
    QCOMPARE(*remainingEstimate(5000, 2, 10), 20000);
    QCOMPARE(progressText(12, 340, "wood_albedo.png", 42000, 190000),
             "Converting 12 of 340: wood_albedo.png\nElapsed 0:42, about 3:10 left");
    QCOMPARE(progressText(1, 3, "a.png", 100, std::nullopt),
             "Converting 1 of 3: a.png\nElapsed 0:00, estimating the time left");
}

void TestRunRules::upToDateRule() {
    const FileStamp source{100, 5000};
    QVERIFY(isUpToDate(source, FileStamp{10, 5000})); // written in the same instant counts
    QVERIFY(isUpToDate(source, FileStamp{10, 9000}));
    QVERIFY(!isUpToDate(source, FileStamp{10, 4999}));
    QVERIFY(!isUpToDate(source, FileStamp{0, 9000})); // empty
    QVERIFY(!isUpToDate(source, std::nullopt));
    QVERIFY(!isUpToDate(std::nullopt, FileStamp{10, 9000})); // the converter will say why
    QCOMPARE(upToDateText(1), "1 image was up to date.");
    QCOMPARE(upToDateText(3), "3 images were up to date.");
}

void TestRunRules::upToDateInABigFolder() {
    // Enough rows in one folder for it to be listed rather than looked up
    // file by file: first with most targets missing, then with most present.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const auto write = [](const QString& path, const QByteArray& bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    TickedJobs ticked;
    std::vector<int> expected;
    for (int i = 0; i < 200; ++i) {
        BatchJob job;
        job.source = dir.filePath(QStringLiteral("t%1.png").arg(i));
        job.target = dir.filePath(QStringLiteral("t%1 ü.map").arg(i)); // a name beyond ASCII too
        QVERIFY(write(job.source, "image"));
        ticked.jobs.push_back(job);
        ticked.rows.push_back(1000 + i);
    }
    QTest::qWait(20); // targets written after their sources, whatever the clock's grain
    for (int i = 0; i < 200; i += 10) {
        QVERIFY(write(ticked.jobs[size_t(i)].target, i % 20 ? "map" : "")); // every other empty
        if (i % 20)
            expected.push_back(1000 + i);
    }
    TickedJobs mostlyMissing = ticked;
    QCOMPARE(takeUpToDate(mostlyMissing), expected);
    QCOMPARE(mostlyMissing.jobs.size(), size_t(200 - expected.size()));
    QCOMPARE(mostlyMissing.rows.front(), 1000);

    for (size_t i = 0; i < 200; ++i)
        QVERIFY(write(ticked.jobs[i].target, i == 7 ? "" : "map"));
    TickedJobs mostlyPresent = ticked;
    QCOMPARE(takeUpToDate(mostlyPresent).size(), size_t(199));
    QCOMPARE(mostlyPresent.rows, std::vector<int>{1007});
}

QTEST_MAIN(TestRunRules)
#include "test_run_rules.moc"
