// What a run keeps of a converter's output: the newest bytes, a budget for
// the whole run, and the last lines a person reads.
#include "conversion/rules/OutputTail.h"

#include <QTest>

class TestOutputTail : public QObject {
    Q_OBJECT
private slots:
    void outputTailKeepsTheNewestBytes();
    void budgetRunsOut();
    void lastLinesForPeople();
};

void TestOutputTail::outputTailKeepsTheNewestBytes() {
    OutputTail tail(8);
    tail.append("abc", 3);
    QCOMPARE(tail.bytes(), "abc");
    QVERIFY(!tail.truncated());
    tail.append("defgh", 5); // full to the byte: nothing lost yet
    QCOMPARE(tail.bytes(), "abcdefgh");
    QVERIFY(!tail.truncated());
    for (char c = 'i'; c <= 'z'; ++c)
        tail.append(&c, 1);
    QCOMPARE(tail.bytes(), "stuvwxyz");
    QVERIFY(tail.truncated());
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

void TestOutputTail::budgetRunsOut() {
    OutputBudget budget(10);
    QVERIFY(budget.take(6));
    QVERIFY(!budget.take(5)); // does not fit: nothing taken
    QVERIFY(budget.take(4));
    QVERIFY(!budget.take(1)); // all gone
    OutputBudget run;
    QVERIFY(run.take(64 * 1024 * 1024));
    QVERIFY(!run.take(1));
}

void TestOutputTail::lastLinesForPeople() {
    // A cut line at the front is dropped; trailing line ends go.
    QCOMPARE(lastLines("ial line\nimf_copy: cannot read\n\n", true), "imf_copy: cannot read");
    QCOMPARE(lastLines("whole line\nlast\n", false), "whole line\nlast");
    QCOMPARE(lastLines("no newline at all", true), "no newline at all");
    QCOMPARE(lastLinesOf("a\nb\nc\nd", 2), "c\nd");
    QCOMPARE(lastLinesOf("a\nb\nc\n", 2), "b\nc\n");
    QCOMPARE(lastLinesOf("a\nb", 5), "a\nb");
}

QTEST_MAIN(TestOutputTail)
#include "test_output_tail.moc"
