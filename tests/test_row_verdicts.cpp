// How a row's script is started, how a row ends, what the run comes to, and
// what a person reads about it.
#include "conversion/rules/RowScript.h"
#include "conversion/rules/RowVerdict.h"
#include "conversion/rules/RunTally.h"
#include "conversion/rules/RunTexts.h"

#include <QTest>

Q_DECLARE_METATYPE(std::optional<FileStamp>)

namespace {
RowOutcome outcome(std::optional<int> chmod, int script, bool written) {
    RowOutcome o;
    o.permissionExit = chmod;
    o.scriptExit = script;
    if (written)
        o.targetAfter = FileStamp{10, 5000};
    return o;
}

QString textOf(TargetSystem system, const RowOutcome& outcome) {
    return resultText(rowVerdict(system, outcome));
}

RowVerdict failed(RowResult result, std::optional<ExitCodes> codes = {}) {
    return RowVerdict{result, codes, "output", {}};
}
} // namespace

class TestRowVerdicts : public QObject {
    Q_OBJECT
private slots:
    void launchFollowsTheFlavour();
    void rowVerdicts();
    void theBoxNamesTheFirstFailureInTableOrder();
    void targetsWrittenAndLeftHalfDone_data();
    void targetsWrittenAndLeftHalfDone();
    void reportsForPeople();
    void progress();
};

void TestRowVerdicts::launchFollowsTheFlavour() {
#ifdef Q_OS_WIN
    // Mac's separator never occurs in an absolute path of this host.
    QVERIFY(!scriptLaunch(TargetSystem::Mac, "/tmp/run-x/temp-3.sh"));
#else
    const auto mac = scriptLaunch(TargetSystem::Mac, "/tmp/run-x/temp-3.sh");
    QVERIFY(mac);
    QCOMPARE(mac->permissionCommand, R"(chmod 755 "/tmp/run-x/temp-3.sh")");
    QCOMPARE(mac->command, R"("/tmp/run-x/temp-3.sh")");
    QVERIFY(mac->program.isEmpty());
    // Windows' separator never occurs in a path of this host.
    QVERIFY(!scriptLaunch(TargetSystem::Windows, "/tmp/run-x/temp-3.bat"));
#endif
    // Windows: the script is the program, its folder the start folder.
    const auto windows = scriptLaunch(TargetSystem::Windows, R"(C:\run-x\temp-3.bat)");
    QVERIFY(windows);
    QVERIFY(windows->program.endsWith(R"(C:\run-x\temp-3.bat")"));
    QCOMPARE(windows->arguments.size(), 3);
    QCOMPARE(windows->arguments.mid(0, 2), QStringList({"/c", "start"}));
    QVERIFY(windows->arguments[2].endsWith(R"(C:\run-x")"));
    QCOMPARE(windows->arguments[2].chopped(1), windows->program.chopped(1).chopped(11));
    QVERIFY(windows->permissionCommand.isEmpty());
    QCOMPARE(rowScriptName(TargetSystem::Mac, 0), "temp-1.sh");
    QCOMPARE(rowScriptName(TargetSystem::Windows, 11), "temp-12.bat");
    const QByteArray end = QByteArray(
#ifdef Q_OS_WIN
        "\r\n"
#else
        "\n"
#endif
    );
    // Bash lines end in a line feed on every host.
    QCOMPARE(rowScriptBytes(TargetSystem::Mac, "imf_copy a"), "#!/bin/bash\nimf_copy a\n");
#ifdef Q_OS_WIN
    // cmd runs it without showing it first.
    QCOMPARE(rowScriptBytes(TargetSystem::Windows, "imf_copy a"), "@imf_copy a" + end);
#else
    QCOMPARE(rowScriptBytes(TargetSystem::Windows, "imf_copy a"), "imf_copy a" + end);
#endif
    // The run without ticked rows: the header alone, or nothing.
    QCOMPARE(rowScriptBytes(TargetSystem::Mac, QString()), "#!/bin/bash\n");
    QCOMPARE(rowScriptBytes(TargetSystem::Windows, QString()), QByteArray());
}

void TestRowVerdicts::rowVerdicts() {
    using enum TargetSystem;
    QCOMPARE(textOf(Mac, outcome(0, 0, true)), "Processed Successfully");
    QCOMPARE(textOf(Mac, outcome(1, 0, true)), "Error Processing Files. Code: 10");
    QCOMPARE(textOf(Mac, outcome(0, 127, false)), "Error Processing Files. Code: 0127");
    // Exit values that say success do not make a missing target a success.
    QCOMPARE(textOf(Mac, outcome(0, 0, false)), "Error Processing Files");
    QCOMPARE(textOf(Windows, outcome({}, 0, true)), "Processed Successfully");
    QCOMPARE(textOf(Windows, outcome({}, 2, true)), "Error Processing Files");
    QCOMPARE(textOf(Windows, outcome({}, 0, false)), "Error Processing Files");

    RowOutcome noTarget = outcome(0, 0, false);
    noTarget.targetChecked = false; // the header-only script of a run without ticked rows
    QVERIFY(rowVerdict(Mac, noTarget).converted());
    RowOutcome crashed = outcome(0, 0, true);
    crashed.launched = false;
    QCOMPARE(rowVerdict(Mac, crashed).result, RowResult::NotRun);
    QCOMPARE(textOf(Windows, crashed), "Exception Error");
    RowOutcome unwritten = outcome(0, 0, true);
    unwritten.scriptWritten = false;
    QCOMPARE(textOf(Mac, unwritten), "Error Writing File");
    // Cancel wins over whatever the killed script's exit values say.
    RowOutcome cancelled = outcome(0, 0, true);
    cancelled.cancelled = true;
    QCOMPARE(rowVerdict(Mac, cancelled).result, RowResult::Cancelled);
    cancelled.scriptExit = 143;
    QCOMPARE(rowVerdict(Windows, cancelled).result, RowResult::Cancelled);
}

void TestRowVerdicts::theBoxNamesTheFirstFailureInTableOrder() {
    RunTally tally;
    // Rows end in any order: the third row fails first, the second later.
    tally.rowEnded(0, RowVerdict{});
    tally.rowEnded(2, failed(RowResult::NotRun));
    tally.rowEnded(4, failed(RowResult::Cancelled)); // a cancelled row is not a failure to name
    tally.rowEnded(1, failed(RowResult::ProcessingFailed, ExitCodes{0, 1}));
    tally.rowEnded(3, RowVerdict{});
    QCOMPARE(tally.ended(), 5);
    QCOMPARE(tally.converted(), 2);
    QCOMPARE(tally.failedJobs(), std::vector<int>({1, 2, 4}));
    QVERIFY(tally.firstFailure());
    QCOMPARE(resultText(*tally.firstFailure()), "Error Processing Files. Code: 01");

    RunSummary summary;
    summary.total = 5;
    summary.converted = tally.converted();
    summary.firstFailure = tally.firstFailure();
    RunBox box = runBox(summary);
    QCOMPARE(box.kind, BoxKind::Error);
    QCOMPARE(box.text, "Error Processing Files. Code: 01");
    summary.upToDate = 1;
    QCOMPARE(runBox(summary).text, "Error Processing Files. Code: 01\n\n1 image was up to date.");

    // Cancelled: never "Processed Successfully", whatever ended well.
    summary.cancelled = true;
    box = runBox(summary);
    QCOMPARE(box.kind, BoxKind::Warning);
    QCOMPARE(box.text, "Processing Cancelled\n\n2 converted, 3 not converted.\n\n"
                       "1 image was up to date.");
    RunSummary cancelledClean;
    cancelledClean.cancelled = true;
    cancelledClean.total = 2;
    QVERIFY(!runBox(cancelledClean).text.contains("Success"));

    RunSummary clean;
    clean.total = clean.converted = 3;
    QCOMPARE(runBox(clean).kind, BoxKind::Information);
    QCOMPARE(runBox(clean).text, "Processed Successfully");
    clean.upToDate = 3;
    QCOMPARE(runBox(clean).text, "Processed Successfully\n\n3 images were up to date.");
    clean.recoveredTargets = 2;
    QVERIFY(runBox(clean).text.endsWith("\n\n" + recoveredTargetsText(2)));

    // A run without ticked rows says what its header-only script came to.
    RunSummary headerOnly;
    headerOnly.headerOnly = failed(RowResult::ProcessingFailed, ExitCodes{1, 0});
    QCOMPARE(runBox(headerOnly).kind, BoxKind::Error);
    QCOMPARE(runBox(headerOnly).text, "Error Processing Files. Code: 10");
}

void TestRowVerdicts::targetsWrittenAndLeftHalfDone_data() {
    QTest::addColumn<std::optional<FileStamp>>("before");
    QTest::addColumn<std::optional<FileStamp>>("after");
    QTest::addColumn<bool>("written");    // counts toward "Converted"
    QTest::addColumn<bool>("incomplete"); // removed when the row fails
    const FileStamp old{100, 1000}, rewritten{100, 2000}, grown{200, 1000}, empty{0, 3000};
    using Stamp = std::optional<FileStamp>;
    QTest::newRow("new file") << Stamp{} << Stamp{rewritten} << true << true;
    QTest::newRow("rewritten") << Stamp{old} << Stamp{rewritten} << true << true;
    QTest::newRow("same time, other size") << Stamp{old} << Stamp{grown} << true << true;
    QTest::newRow("untouched") << Stamp{old} << Stamp{old} << false << false;
    QTest::newRow("never there") << Stamp{} << Stamp{} << false << false;
    QTest::newRow("removed by the converter") << Stamp{old} << Stamp{} << false << false;
    QTest::newRow("left empty") << Stamp{} << Stamp{empty} << false << true;
}

void TestRowVerdicts::targetsWrittenAndLeftHalfDone() {
    QFETCH(std::optional<FileStamp>, before);
    QFETCH(std::optional<FileStamp>, after);
    QFETCH(bool, written);
    QFETCH(bool, incomplete);
    RowOutcome o = outcome(0, 0, false);
    o.targetBefore = before;
    o.targetAfter = after;
    QCOMPARE(targetWritten(o), written);
    const RowVerdict verdict = rowVerdict(TargetSystem::Mac, o);
    QCOMPARE(verdict.converted(), written);
    QCOMPARE(leavesIncompleteTarget(o, verdict), incomplete && !written);
    // A failing or cancelled converter's touched target goes all the same.
    for (bool cancelled : {false, true}) {
        RowOutcome failed = o;
        failed.scriptExit = 1;
        failed.cancelled = cancelled;
        QCOMPARE(leavesIncompleteTarget(failed, rowVerdict(TargetSystem::Mac, failed)), incomplete);
    }
    // The run without ticked rows has no target to judge.
    o.targetChecked = false;
    o.scriptExit = 1;
    QVERIFY(!leavesIncompleteTarget(o, rowVerdict(TargetSystem::Mac, o)));
}

void TestRowVerdicts::reportsForPeople() {
    RowOutcome quiet;
    quiet.permissionExit = 0;
    quiet.scriptExit = 4;
    QCOMPARE(exitValuesText(TargetSystem::Mac, quiet),
             "Chmod exited with 0, the script exited with 4.");
    QCOMPARE(exitValuesText(TargetSystem::Windows, quiet), "The script exited with 4.");
    quiet.permissionExit = 1; // the script never ran: nothing to say of its .map
    quiet.scriptExit = 0;
    QCOMPARE(exitValuesText(TargetSystem::Mac, quiet),
             "Chmod exited with 1, the script exited with 0.");
    quiet.permissionExit = 0;
    quiet.scriptExit = 0;
    QVERIFY(exitValuesText(TargetSystem::Windows, quiet).contains(".map file is missing"));
    quiet.cancelled = true;
    QCOMPARE(exitValuesText(TargetSystem::Mac, quiet), "Cancelled while converting.");
    RowOutcome crashed;
    crashed.endedNormally = false;
    QCOMPARE(rowVerdict(TargetSystem::Mac, crashed).result, RowResult::NotRun);
    QVERIFY(exitValuesText(TargetSystem::Mac, crashed).contains("crashed"));
    RowOutcome unstarted;
    unstarted.launched = false;
    QCOMPARE(exitValuesText(TargetSystem::Mac, unstarted), "The script could not be started.");

    QCOMPARE(failureDetails({{"/a/x.png", "imf_copy: bad\nsecond"}, {"/a/y.png", "Exit 1."}}),
             "/a/x.png\n    imf_copy: bad\n    second\n\n/a/y.png\n    Exit 1.\n");
    // The last lines only, and the last line alone once the text is long.
    const FailedRowReport chatty{"/a/z.png", "1\n2\n3\n4\n5\n6\n7"};
    QCOMPARE(failureDetails({chatty}, 2), "/a/z.png\n    6\n    7\n");
    QCOMPARE(failureDetails({chatty, chatty}, 2, 10),
             "/a/z.png\n    6\n    7\n\n/a/z.png\n    7\n");
}

void TestRowVerdicts::progress() {
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

QTEST_MAIN(TestRowVerdicts)
#include "test_row_verdicts.moc"
