// The record of finished conversions: written in batches, read back, shared
// by two runs at once, and never lost to a broken file.
#include "conversion/rules/CommandLine.h"
#include "conversion/rules/TickedJobs.h"
#include "conversion/run/ConversionQueue.h"
#include "conversion/run/FileStamps.h"
#include "conversion/run/Ledger.h"
#include "conversion/run/UpToDateCheck.h"
#include "testsupport/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
LedgerRecord record(const QString& target, const QString& options = "-p ") {
    return {target,
            "/in/" + QFileInfo(target).completeBaseName() + ".png",
            {10, 20},
            options,
            {"/opt/imf_copy", FileStamp{30, 40}},
            {50, 60},
            1700000000000};
}
} // namespace

class TestLedger : public QObject {
    Q_OBJECT
private slots:
    void init();
    void recordsComeBackAsWritten();
    void aRecordReachesOtherWindowsWithoutAFlush();
    void aTargetIsFoundHoweverItIsSpelled();
    void aBrokenLedgerIsMovedAside_data();
    void aBrokenLedgerIsMovedAside();
    void aPlaceThatCannotBeWrittenRecordsNothing();
    void twoRunsRecordIntoOneLedgerAtOnce();
    void stampsOfAFolderMostlyMissingOrPresent();
    void stampsAcrossFoldersInTurn();
    void manyTargetsAreFoundByKeyOrByScan_data();
    void manyTargetsAreFoundByKeyOrByScan();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
};

void TestLedger::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CACHE_HOME", path("cache").toLocal8Bit());
}

void TestLedger::recordsComeBackAsWritten() {
    const QString file = path("data/ledger.sqlite");
    {
        Ledger ledger(file);
        QCOMPARE(ledger.status().state, Ledger::State::Ready);
        LedgerRecord noStamp = record("/out/b.map");
        noStamp.converter.stamp.reset();
        ledger.record(record("/out/a.map"));
        ledger.record(noStamp);
        ledger.record(record("/out/c.map", "-p "));
        ledger.record(record("/out/c.map", "-p -r ")); // the newer one replaces it
        ledger.flush();
        const auto found =
            ledger.lookup({"/out/a.map", "/out/missing.map", "/out/b.map", "/out/c.map"});
        QCOMPARE(found.size(), size_t(4));
        QCOMPARE(found[0], record("/out/a.map"));
        QVERIFY(!found[1]);
        QCOMPARE(found[2], noStamp);
        QCOMPARE(found[3]->options, "-p -r ");
        ledger.record(record("/out/d.map")); // left for the end to write
    }
    // Another window, later: everything is there.
    Ledger again(file);
    QCOMPARE(again.lookup({"/out/d.map"})[0], record("/out/d.map"));
}

void TestLedger::aRecordReachesOtherWindowsWithoutAFlush() {
    const QString file = path("ledger.sqlite");
    Ledger writer(file), reader(file);
    writer.record(record("/out/a.map"));
    // Written on its own once the batch interval has passed. The bound only tells "never"
    // from "late": under Wine on a loaded machine the two ledgers' checks alone take seconds.
    QTRY_VERIFY_WITH_TIMEOUT(reader.lookup({"/out/a.map"})[0], 30000);
}

void TestLedger::aTargetIsFoundHoweverItIsSpelled() {
    QVERIFY(QDir().mkpath(path("out")));
    QVERIFY(TestFiles::writeFile(path("a.png"), "image"));
    QVERIFY(TestFiles::writeFile(path("out/a.map"), "map"));
    const ConverterIdentity converter{"/opt/imf_copy", FileStamp{30, 40}};
    Ledger ledger(path("ledger.sqlite"));
    ledger.record({ledgerKey(path("out/a.map")), path("a.png"), *fileStamp(path("a.png")), "-p ",
                   converter, *fileStamp(path("out/a.map")), 1700000000000});
    ledger.flush();
    TickedJobs ticked;
    for (const QString& target : {path("out//a.map"), path("out/./a.map")}) {
        ticked.rows.push_back(int(ticked.rows.size()));
        ticked.jobs.push_back({{}, target, true, false, path("a.png")});
    }
    const std::vector<SkipDecision> decisions = checkUpToDate(ticked, ledger, "-p ", converter);
    QCOMPARE(decisions.size(), size_t(2));
    QVERIFY(decisions[0].upToDate() && decisions[1].upToDate());
}

void TestLedger::aBrokenLedgerIsMovedAside_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("freshOneOpens");
    QTest::newRow("garbage") << "garbage" << true;
    QTest::newRow("cut short") << "truncated" << true;
    QTest::newRow("corrupt in the middle, full length") << "corrupt" << true;
    QTest::newRow("a folder in its place") << "folder" << true;
    QTest::newRow("a link to a missing folder") << "dangling link" << true;
    // The broken file is still kept aside, but nothing can be recorded.
    QTest::newRow("garbage, and no fresh one can open") << "garbage, wal blocked" << false;
}

void TestLedger::aBrokenLedgerIsMovedAside() {
    QFETCH(QString, kind);
    QFETCH(bool, freshOneOpens);
    const QString file = path("ledger.sqlite");
    if (kind.startsWith("garbage")) {
        QVERIFY(TestFiles::writeFile(file, QByteArray(5000, '\x5a')));
    } else if (kind == "folder") {
        QVERIFY(QDir().mkpath(file + "/inside"));
    } else if (kind == "dangling link") {
        QVERIFY(QFile::link(path("gone/folder"), file));
    } else {
        {
            Ledger whole(file);
            for (int i = 0; i < 2000; ++i)
                whole.record(record(QString("/out/%1.map").arg(i)));
        }
        QFile broken(file);
        if (kind == "truncated") {
            QVERIFY(broken.resize(broken.size() / 2));
        } else {
            // A page of the table overwritten: the schema on the first page still reads.
            QVERIFY(broken.open(QIODevice::ReadWrite) &&
                    broken.seek(broken.size() / 2 / 4096 * 4096));
            QCOMPARE(broken.write(QByteArray(4096, '\x5a')), 4096);
        }
    }
    if (kind.endsWith("wal blocked")) // a folder where the fresh ledger's log must go
        QVERIFY(QDir().mkpath(file + "-wal/inside"));
    Ledger ledger(file);
    QCOMPARE(ledger.status().state,
             freshOneOpens ? Ledger::State::RenamedAside : Ledger::State::Unusable);
    const QFileInfo aside(ledger.status().asidePath);
    QVERIFY(ledger.status().asidePath.startsWith(QDir::toNativeSeparators(file)));
    QVERIFY(aside.exists() || aside.isSymLink());
    QCOMPARE(aside.isDir(), kind == "folder");
    // A fresh ledger in its place records, where one could open.
    ledger.record(record("/out/a.map"));
    ledger.flush();
    QCOMPARE(bool(ledger.lookup({"/out/a.map"})[0]), freshOneOpens);
}

void TestLedger::aPlaceThatCannotBeWrittenRecordsNothing() {
    QVERIFY(TestFiles::writeFile(path("not-a-folder"), "x"));
    Ledger ledger(path("not-a-folder/ledger.sqlite"));
    QCOMPARE(ledger.status().state, Ledger::State::Unusable);
    QVERIFY(!ledger.status().error.isEmpty());
    ledger.record(record("/out/a.map"));
    ledger.flush();
    QVERIFY(!ledger.lookup({"/out/a.map"})[0]);
}

void TestLedger::twoRunsRecordIntoOneLedgerAtOnce() {
    // Two windows, each with its own connection to one file, record while
    // both run.
    const QString file = path("ledger.sqlite");
    Ledger first(file), second(file);
    QVERIFY(QDir().mkpath(path("images")));
    std::vector<std::unique_ptr<ConversionQueue>> queues;
    std::vector<QString> targets;
    for (Ledger* ledger : {&first, &second}) {
        std::vector<JobRow> rows;
        for (int i = 0; i < 12; ++i) {
            const QString source = path(QString("images/%1-%2.png").arg(queues.size()).arg(i));
            QVERIFY(QFile::copy(CORVANE_SOURCE_DIR "/resources/images/logo.png", source));
            rows.push_back({true, source, *sameDirectoryTarget(source), Status::Unprocessed});
        }
        const ConverterLines lines(
            {TestFiles::fakeConverter(),
             FlagOptions{true, false, false, "1.0", false, "1.0", true, "--say done"},
             {},
             TestFiles::hostFlavour()});
        TickedJobs ticked = *tickedJobs(rows, lines);
        for (ConversionJob& job : ticked.jobs) {
            job.command = lines.line(job.source, job.target);
            targets.push_back(ledgerKey(job.target));
        }
        auto queue = std::make_unique<ConversionQueue>(TestFiles::hostFlavour(), ticked.jobs, 2);
        queue->recordInto(ledger, "--say done", {});
        queues.push_back(std::move(queue));
    }
    std::vector<std::unique_ptr<QSignalSpy>> ended;
    for (auto& queue : queues) {
        QVERIFY(queue->prepare());
        ended.push_back(std::make_unique<QSignalSpy>(queue.get(), &ConversionQueue::finished));

        queue->start();
    }
    for (auto& spy : ended)
        QVERIFY(spy->count() > 0 || spy->wait(60000));
    first.flush();
    second.flush();
    Ledger reader(file);
    const auto found = reader.lookup(targets);

    QCOMPARE(int(std::count_if(found.begin(), found.end(), [](const auto& r) { return r; })),
             int(targets.size()));
}

void TestLedger::stampsOfAFolderMostlyMissingOrPresent() {
    // Enough files in one folder for it to be listed rather than looked up
    // file by file: first with most of them missing, then with most present.
    // So many that the look-ups are shared out, in shares that do not divide evenly.
    std::vector<QString> paths;
    for (int i = 0; i < 4099; ++i)
        paths.push_back(path(QString("t%1 ü.map").arg(i))); // a name beyond ASCII too
    for (int i = 0; i < 4099; i += 10)
        QVERIFY(TestFiles::writeFile(paths[size_t(i)], QByteArray(i, 'm')));
    const auto check = [&] {
        const std::vector<std::optional<FileStamp>> stamps = fileStamps(paths);
        for (size_t i = 0; i < paths.size(); ++i) {
            QCOMPARE(bool(stamps[i]), QFileInfo::exists(paths[i]));
            if (stamps[i])
                QCOMPARE(*stamps[i], *fileStamp(paths[i]));
        }
    };
    check();
    for (size_t i = 0; i < paths.size(); ++i) {
        if (i % 4 != 1) // present on both sides of where the shares meet
            QVERIFY(TestFiles::writeFile(paths[i], "map"));
    }
    check();
    QVERIFY(QDir().mkpath(path("folder.map")));
    QVERIFY(!fileStamp(path("folder.map"))); // only files have stamps
}

void TestLedger::stampsAcrossFoldersInTurn() {
    // Files in a few folders taking turns, then in more folders than are kept
    // open, beside files whose folder is missing or is a file.
    std::vector<QString> paths;
    for (int i = 0; i < 60; ++i) {
        const QString file = path(QString("f%1/img %2.png").arg(i < 30 ? i % 3 : i % 7).arg(i));
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        if (i % 3 != 0)
            QVERIFY(TestFiles::writeFile(file, QByteArray(i, 'x')));
        paths.push_back(file);
        paths.push_back(path(QString("missing %1/a.map").arg(i % 2)));
        paths.push_back(file + "/a.map");
    }
    const std::vector<std::optional<FileStamp>> stamps = fileStamps(paths);
    for (size_t i = 0; i < paths.size(); ++i) {
        const QFileInfo info(paths[i]);
        QCOMPARE(bool(stamps[i]), info.isFile());
        if (stamps[i])
            QCOMPARE(stamps[i]->size, info.size());
    }
}

void TestLedger::manyTargetsAreFoundByKeyOrByScan_data() {
    QTest::addColumn<int>("recorded");
    QTest::addColumn<int>("asked");
    QTest::newRow("a few of many") << 1200 << 3;
    QTest::newRow("many of many more, in several queries") << 4000 << 1100;
    QTest::newRow("most of the ledger, read whole") << 1200 << 1100;
}

void TestLedger::manyTargetsAreFoundByKeyOrByScan() {
    QFETCH(int, recorded);
    QFETCH(int, asked);
    Ledger ledger(path("ledger.sqlite"));
    for (int i = 0; i < recorded; ++i)
        ledger.record(record(QString("/out/%1.map").arg(i)));
    ledger.flush();
    // Every third asked for is not recorded, and one target stands twice.
    std::vector<QString> targets;
    for (int i = 0; i < asked; ++i)
        targets.push_back(QString("/out/%1.map").arg(i % 3 == 2 ? recorded + i : 7 * i % recorded));
    targets.push_back(targets.front());
    const auto found = ledger.lookup(targets);
    QCOMPARE(found.size(), targets.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        const bool isRecorded = targets[i].section('/', 2).section('.', 0, 0).toInt() < recorded;
        QCOMPARE(bool(found[i]), isRecorded);
        if (isRecorded)
            QCOMPARE(*found[i], record(targets[i]));
    }
}

QTEST_GUILESS_MAIN(TestLedger)
#include "test_ledger.moc"
