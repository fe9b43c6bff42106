// The view's width shared among the table's columns.
#include "joblist/rules/ColumnShares.h"

#include <QTest>

#include <cmath>
#include <numeric>

class TestColumnShares : public QObject {
    Q_OBJECT
private slots:
    void columnShares();
};

void TestColumnShares::columnShares() {
    // The view's width, whole pixels, shared as the weights say and never
    // a pixel more or less.
    for (int total : {520, 600, 601, 599, 1000, 33, 1}) {
        const std::vector<int> widths = shareWidths({30, 200, 200, 90}, total);
        QCOMPARE(std::accumulate(widths.begin(), widths.end(), 0), total);
        const double exact[] = {30.0 * total / 520, 200.0 * total / 520, 200.0 * total / 520,
                                90.0 * total / 520};
        for (size_t i = 0; i < 4; ++i)
            QVERIFY(std::abs(widths[i] - exact[i]) < 1.0);
    }
    QCOMPARE(shareWidths({30, 200, 200, 90}, 520), std::vector<int>({30, 200, 200, 90}));
    QCOMPARE(shareWidths({1, 1, 1}, 10), std::vector<int>({4, 3, 3}));
    QCOMPARE(shareWidths({1, 1}, 0), std::vector<int>({0, 0}));
    QCOMPARE(shareWidths({0, 0}, 10), std::vector<int>({0, 0}));
}

QTEST_MAIN(TestColumnShares)
#include "test_column_shares.moc"
