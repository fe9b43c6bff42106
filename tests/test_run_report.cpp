// What is kept and told of a list and a run: the summary line's text, the
// report saved as CSV, and when a run's end is worth a desktop notification.
#include "conversion/rules/RunNotice.h"
#include "conversion/rules/RunReport.h"
#include "joblist/rules/JobSummary.h"

#include <QBuffer>
#include <QTest>

namespace {
JobRow row(const QString& image, const QString& status, bool ticked = true) {
    QString target = image;
    target.replace(".png", ".map");
    return JobRow{ticked, image, target, status};
}

RowVerdict failedVerdict(const QByteArray& report, std::optional<ExitValues> exits) {
    RowVerdict verdict;
    verdict.result = RowResult::ProcessingFailed;
    verdict.report = report;
    verdict.exits = exits;
    return verdict;
}

// The saved bytes' lines, without the byte-order mark; CR LF must end each.
QStringList csvLines(const QByteArray& bytes) {
    if (!bytes.startsWith("\xEF\xBB\xBF") || !bytes.endsWith("\r\n"))
        return {QStringLiteral("<no byte-order mark or last line end>")};
    return QString::fromUtf8(bytes.mid(3).chopped(2)).split(QStringLiteral("\r\n"));
}

QByteArray csvOf(const RunReport& report) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeReportCsv(buffer, report) ? buffer.data() : QByteArray("<refused>");
}
} // namespace

class TestRunReport : public QObject {
    Q_OBJECT
private slots:
    void summaryCounts();
    void summaryText_data();
    void summaryText();
    void csvFields_data();
    void csvFields();
    void reportInTableOrder();
    void reportFileQuotesPathsAndOutput();
    void reportFileThatCannotBeWritten();
    void noticeWhenARunEndsUnseen_data();
    void noticeWhenARunEndsUnseen();
};

void TestRunReport::summaryCounts() {
    // Only the exact status texts count; "Converting" only shows during a run.
    const std::vector<JobRow> rows{row("/a.png", "Converted", false), row("/b.png", "Failed"),
                                   row("/c.png", "Unprocessed"),      row("/d.png", "converted"),
                                   row("/e.png", "Converting"),       row("/f.png", "Failed")};
    JobCounts expected;
    expected.images = 6;
    expected.converted = 1;
    expected.failed = 2;
    expected.unprocessed = 1;
    expected.converting = 1;
    expected.ticked = 5;
    QCOMPARE(countJobs(rows), expected);
    QCOMPARE(countJobs({}), JobCounts{});
}

void TestRunReport::summaryText_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<JobCounts>("counts");
    QTest::addColumn<QString>("text");
    const QLocale c = QLocale::c();
    const QLocale german(QLocale::German, QLocale::Germany);
    QTest::newRow("zero") << c << JobCounts{} << "No images";
    QTest::newRow("one") << c << JobCounts{1, 0, 0, 1, 0, 1}
                         << "1 image · 0 converted · 0 failed · 1 unprocessed · 1 ticked";
    QTest::newRow("many, C locale")
        << c << JobCounts{3012, 2950, 40, 22, 0, 62}
        << "3,012 images · 2,950 converted · 40 failed · 22 unprocessed · 62 ticked";
    QTest::newRow("many, German")
        << german << JobCounts{1234567, 1200000, 34567, 0, 0, 34567}
        << "1.234.567 images · 1.200.000 converted · 34.567 failed · 0 unprocessed · 34.567 ticked";
    QTest::newRow("during a run")
        << c << JobCounts{10, 4, 1, 3, 2, 6}
        << "10 images · 4 converted · 1 failed · 3 unprocessed · 2 converting · 6 ticked";
}

void TestRunReport::summaryText() {
    QFETCH(QLocale, locale);
    QFETCH(JobCounts, counts);
    QFETCH(QString, text);
    QCOMPARE(::summaryText(counts, locale), text);
}

void TestRunReport::csvFields_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "/pics/a.png"
                           << "/pics/a.png";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma") << "/pics/a,b.png"
                           << "\"/pics/a,b.png\"";
    QTest::newRow("quote") << "say \"hi\".png"
                           << "\"say \"\"hi\"\".png\"";
    QTest::newRow("line feed") << "two\nlines"
                               << "\"two\nlines\"";
    QTest::newRow("carriage return") << "a\rb"
                                     << "\"a\rb\"";
    QTest::newRow("spaces and semicolons stay bare") << "a b;c"
                                                     << "a b;c";
}

void TestRunReport::csvFields() {
    QFETCH(QString, text);
    QFETCH(QString, field);
    QCOMPARE(csvField(text), field);
}

void TestRunReport::reportInTableOrder() {
    // Table rows 0..5: row 1 is left out as up to date, rows 0, 2, 3, 4, 5 are
    // jobs 0..4; jobs end out of order, and job 4 never starts (Cancel).
    std::vector<JobRow> table;
    for (int i = 0; i < 6; ++i)
        table.push_back(row(QStringLiteral("/pics/%1.png").arg(i), "Unprocessed"));
    RunRecord record(OutputChoice{false, QStringLiteral("/out")}, ImageRoots{});
    record.upToDate(1, table[1]);
    for (int job = 0; job < 4; ++job)
        record.started(job, 100 * job);
    RowVerdict converted;
    record.ended(2, 3, table[3], converted, 1700);
    record.ended(0, 0, table[0],
                 failedVerdict("first line\nimf_copy: cannot read image\n", ExitValues{0, 1}),
                 1250);
    record.ended(1, 2, table[2], failedVerdict("Cancelled while converting.", std::nullopt), 900);
    record.ended(3, 4, table[4], converted, 300);
    const RunReport report = record.take(
        {0, 2, 3, 4, 5}, [&](int i) -> const JobRow& { return table[size_t(i)]; }, 12345);

    QCOMPARE(report.durationMs, 12345);
    QCOMPARE(report.rows.size(), size_t(6));
    QList<int> order;
    for (const ReportRow& r : report.rows)
        order << r.tableRow;
    QCOMPARE(order, QList<int>({0, 1, 2, 3, 4, 5}));
    QCOMPARE(report.converted(), 3); // up to date counts as converted
    QCOMPARE(report.failed(), 2);    // cancelled rows are failed rows
    QCOMPARE(report.rows[5].status, ReportStatus::NotStarted);
    // The target follows the run's output choice, not the cell.
    QCOMPARE(report.targetOf(report.rows[0]), "/out/0.map");

    const QStringList lines = csvLines(csvOf(report));
    QCOMPARE(lines, QStringList({"Source,Target,Status,Seconds,Exit Values,Note",
                                 "/pics/0.png,/out/0.map,Failed,1.250,\"chmod 0, script 1\","
                                 "imf_copy: cannot read image",
                                 "/pics/1.png,/out/1.map,Up to date,,,",
                                 "/pics/2.png,/out/2.map,Failed,0.800,,Cancelled while converting.",
                                 "/pics/3.png,/out/3.map,Converted,1.500,,",
                                 "/pics/4.png,/out/4.map,Converted,0.000,,",
                                 "/pics/5.png,/out/5.map,Not started,,,"}));
    // Taken once: the record starts over.
    QVERIFY(record
                .take(
                    {}, [&](int i) -> const JobRow& { return table[size_t(i)]; }, 0)
                .rows.empty());
}

void TestRunReport::reportFileQuotesPathsAndOutput() {
    RunReport report;
    ReportRow odd;
    odd.source = QStringLiteral("/pics/big, \"red\"\nbarn.png");
    odd.newImage = QStringLiteral("/pics/big, \"red\"\nbarn.map");
    odd.status = ReportStatus::Failed;
    odd.milliseconds = 61234;
    odd.exits = ExitValues{std::nullopt, 3};
    odd.note = QStringLiteral("=HYPERLINK(\"http://x\")");
    ReportRow unicode;
    unicode.source = QStringLiteral("/bilder/Jürgen/ünïcødé ĳ.png");
    unicode.newImage = QStringLiteral("/bilder/Jürgen/ünïcødé ĳ.map");
    unicode.status = ReportStatus::Converted;
    report.rows = {odd, unicode};

    const QByteArray bytes = csvOf(report);
    QCOMPARE(
        csvLines(bytes),
        QStringList({"Source,Target,Status,Seconds,Exit Values,Note",
                     // The new line inside the quoted path is the field's own.
                     "\"/pics/big, \"\"red\"\"\nbarn.png\",\"/pics/big, \"\"red\"\"\nbarn.map\","
                     "Failed,61.234,3,\"'=HYPERLINK(\"\"http://x\"\")\"",
                     "/bilder/Jürgen/ünïcødé ĳ.png,/bilder/Jürgen/ünïcødé ĳ.map,Converted,,,"}));
    QVERIFY(bytes.contains("J\xC3\xBCrgen")); // UTF-8, whatever the locale
    // Output that a spreadsheet would run as a formula is kept as text.
    QCOMPARE(spreadsheetText("-1 error"), "'-1 error");
    QCOMPARE(spreadsheetText("@sum"), "'@sum");
    QCOMPARE(spreadsheetText("/a=b"), "/a=b");
}

void TestRunReport::reportFileThatCannotBeWritten() {
    RunReport report;
    report.rows.resize(
        20000,
        ReportRow{
            0, "/pics/a.png", "/pics/a.map", ReportStatus::Converted, 1000, std::nullopt, {}});
    QBuffer closed; // a device that takes no bytes
    QVERIFY(!writeReportCsv(closed, report));
    QBuffer open;
    open.open(QIODevice::WriteOnly);
    QVERIFY(writeReportCsv(open, report));
    QCOMPARE(csvLines(open.data()).size(), 20001); // streamed in pieces, nothing lost
}

void TestRunReport::noticeWhenARunEndsUnseen_data() {
    QTest::addColumn<bool>("active");
    QTest::addColumn<qint64>("runMs");
    QTest::addColumn<bool>("notify");
    QTest::newRow("long run, window behind others") << false << qint64(10001) << true;
    QTest::newRow("exactly ten seconds") << false << qint64(10000) << false;
    QTest::newRow("short run") << false << qint64(2000) << false;
    QTest::newRow("long run, window active") << true << qint64(60000) << false;
}

void TestRunReport::noticeWhenARunEndsUnseen() {
    QFETCH(bool, active);
    QFETCH(qint64, runMs);
    QFETCH(bool, notify);
    QCOMPARE(shouldNotifyRunEnd(active, runMs), notify);
    const RunNotice notice = runEndNotice(2950, 40, QLocale::c());
    QCOMPARE(notice.title + ": " + notice.body, "Corvane: 2,950 converted, 40 failed");
}

QTEST_MAIN(TestRunReport)
#include "test_run_report.moc"
