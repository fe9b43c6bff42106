// Skip Up-to-Date Images: which ticked rows need no conversion.
#include "conversion/rules/UpToDate.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestUpToDate : public QObject {
    Q_OBJECT
private slots:
    void upToDateRule();
    void upToDateInABigFolder();
};

void TestUpToDate::upToDateRule() {
    const FileStamp source{100, 5000};
    QVERIFY(isUpToDate(source, FileStamp{10, 5000})); // written in the same instant counts
    QVERIFY(isUpToDate(source, FileStamp{10, 9000}));
    QVERIFY(!isUpToDate(source, FileStamp{10, 4999}));
    QVERIFY(!isUpToDate(source, FileStamp{0, 9000})); // empty
    QVERIFY(!isUpToDate(source, std::nullopt));
    QVERIFY(!isUpToDate(std::nullopt, FileStamp{10, 9000})); // the converter will say why
}

void TestUpToDate::upToDateInABigFolder() {
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
        ConversionJob job;
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

QTEST_MAIN(TestUpToDate)
#include "test_up_to_date.moc"
