// The job table: its model, the table widget and the two renderers.
#include "app/CorvaneGUI.h"
#include "joblist/ColourRenderer.h"
#include "joblist/JobTableModel.h"
#include "joblist/LeftDotRenderer.h"
#include "joblist/LeftShortening.h"
#include "joblist/customTable.h"
#include "testsupport/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

namespace {
JobRow row(const QString& image, const QString& status = Status::Unprocessed, bool process = true) {
    return JobRow{process, image, image + ".map", status};
}

// Every character is 10 pixels wide, "..." only 6, as dots are narrow.
QString shortenMono(const QString& text, int available) {
    return leftShortened(
        text, available,
        [](const QString& s) { return s == QLatin1String("...") ? 6 : int(s.size()) * 10; },
        [](QChar) { return 10; });
}
} // namespace

class TestJobTable : public QObject {
    Q_OBJECT
private slots:
    void modelPassesTheModelTester();
    void onlyTheTickIsEditable();
    void bulkRewritesNotifyOnce();
    void removeIfKeepsOrderAndSkipsNothing_data();
    void removeIfKeepsOrderAndSkipsNothing();
    void tableSetUp();
    void clickingTheTickCellTogglesIt();
    void leftShortening_data();
    void leftShortening();
    void leftDotRendererKeepsTheEndVisible();
    void statusColours();
};

void TestJobTable::modelPassesTheModelTester() {
    JobTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.appendRow(row("/a.png"));
    model.appendRows({row("/b.png"), row("/c.png"), row("/b.png")});
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.index(3, 1).data().toString(), "/b.png"); // duplicates stay separate rows
    model.rewriteNewImages([](const QString& image, QString& target) {
        target = image + ".new";
        return true;
    });
    model.setStatus(2, Status::Failed);
    model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    model.removeIf([](const JobRow& r) { return r.image == "/b.png"; });
    QCOMPARE(model.rowCount(), 2);
    model.updateAll([](int, JobRow& r) { r.status = Status::Converted; });
    model.removeRows(0, 1);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), "New Image");
}

void TestJobTable::onlyTheTickIsEditable() {
    JobTableModel model;
    model.appendRow(row("/a.png"));
    QVERIFY(model.flags(model.index(0, 0)) & Qt::ItemIsUserCheckable);
    QCOMPARE(model.index(0, 0).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);
    QVERIFY(model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole));
    QVERIFY(!model.row(0).process);
    for (int column = 1; column < 4; ++column) {
        const QModelIndex index = model.index(0, column);
        QVERIFY(!(model.flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)));
        QVERIFY(!model.setData(index, "changed"));
    }
    QCOMPARE(model.row(0), (JobRow{false, "/a.png", "/a.png.map", Status::Unprocessed}));
}

void TestJobTable::bulkRewritesNotifyOnce() {
    JobTableModel model;
    std::vector<JobRow> rows;
    for (int i = 0; i < 1000; ++i)
        rows.push_back(row(QString("/p/%1.png").arg(i)));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    model.appendRows(rows);
    QCOMPARE(inserted.size(), 1);

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QCOMPARE(model.rewriteNewImages([](const QString&, QString& target) {
        target = "/out/x.map";
        return true;
    }),
             1000);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][0].toModelIndex(), model.index(0, 2));
    QCOMPARE(changed[0][1].toModelIndex(), model.index(999, 2));
    // A refusal stops the rewrite: that row and the ones below keep their targets.
    int seen = 0;
    QCOMPARE(model.rewriteNewImages([&](const QString&, QString& target) {
        if (seen++ == 1)
            return false;
        target = "/first.map";
        return true;
    }),
             1);
    QCOMPARE(changed.size(), 2);
    QCOMPARE(changed[1][1].toModelIndex(), model.index(0, 2));
    QCOMPARE(model.row(0).newImage, "/first.map");
    QCOMPARE(model.row(1).newImage, "/out/x.map");
    QCOMPARE(model.rewriteNewImages([](const QString&, QString&) { return false; }), 0);
    QCOMPARE(changed.size(), 2); // nothing rewritten, nothing announced
    model.updateAll([](int, JobRow& r) { r.process = false; });
    QCOMPARE(changed.size(), 3);
}

void TestJobTable::removeIfKeepsOrderAndSkipsNothing_data() {
    QTest::addColumn<QStringList>("statuses");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("mixed") << QStringList{"Converted", "Converted", "Failed", "Converted",
                                          "Unprocessed"}
                           << QStringList{"Failed", "Unprocessed"};
    QTest::newRow("letter case counts")
        << QStringList{"converted", "Converted"} << QStringList{"converted"};
    QStringList many;
    QStringList kept;
    for (int i = 0; i < 200; ++i) {
        many << (i % 2 ? "Converted" : QString("Failed %1").arg(i));
        if (i % 2 == 0)
            kept << QString("Failed %1").arg(i);
    }
    QTest::newRow("many scattered runs") << many << kept;
}

void TestJobTable::removeIfKeepsOrderAndSkipsNothing() {
    QFETCH(QStringList, statuses);
    QFETCH(QStringList, left);
    JobTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    for (const QString& status : statuses)
        model.appendRow(row("/a.png", status));
    model.removeIf([](const JobRow& r) { return r.status == Status::Converted; });
    QStringList remaining;
    for (const JobRow& r : model.rows())
        remaining << r.status;
    QCOMPARE(remaining, left);
}

void TestJobTable::tableSetUp() {
    auto window = TestSupport::makeWindow();
    customTable* table = CorvaneGUI::table;
    QCOMPARE(table->model(), CorvaneGUI::model);
    QCOMPARE(table->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
    QVERIFY(!table->horizontalHeader()->sectionsMovable());
    const int widths[] = {30, 200, 200, 90};
    for (int column = 0; column < 4; ++column)
        QCOMPARE(table->columnWidth(column), widths[column]);
    QVERIFY(qobject_cast<LeftDotRenderer*>(table->itemDelegateForColumn(1)));
    QCOMPARE(table->itemDelegateForColumn(2), table->itemDelegateForColumn(1));
    QVERIFY(qobject_cast<ColourRenderer*>(table->itemDelegateForColumn(3)));
    QCOMPARE(table->itemDelegateForColumn(0), nullptr);
    QCOMPARE(CorvaneGUI::model->rowCount(), 0);
    QCOMPARE(CorvaneGUI::selectedRowIndex(), -1);
    const QSize hint = table->sizeHint();
    QCOMPARE(hint.width(), 600 + 2 * table->frameWidth());
    QVERIFY(hint.height() > 200);

    CorvaneGUI::model->appendRows({row("/a.png"), row("/b.png")});
    table->selectRow(1);
    QCOMPARE(CorvaneGUI::selectedRowIndex(), 1);
    table->selectRow(0);
    QCOMPARE(CorvaneGUI::selectedRowIndex(), 0); // one row at a time
    QCOMPARE(table->selectionModel()->selectedRows().size(), 1);
}

void TestJobTable::clickingTheTickCellTogglesIt() {
    auto window = TestSupport::makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    CorvaneGUI::model->appendRow(row("/pics/a.png"));
    customTable* table = CorvaneGUI::table;
    const QRect cell = table->visualRect(CorvaneGUI::model->index(0, 0));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(!CorvaneGUI::model->row(0).process);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell.center());
    QVERIFY(CorvaneGUI::model->row(0).process);
    // Double clicks on the text columns open no editor and change nothing.
    for (int column = 1; column < 4; ++column) {
        const QRect rect = table->visualRect(CorvaneGUI::model->index(0, column));
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        QVERIFY(table->viewport()->findChildren<QWidget*>().isEmpty());
    }
    QCOMPARE(CorvaneGUI::model->row(0), row("/pics/a.png"));
}

void TestJobTable::leftShortening_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("available");
    QTest::addColumn<QString>("shown");
    QTest::newRow("fits exactly") << "abcde" << 50 << "abcde";
    QTest::newRow("one pixel more: only the first character goes") << "abcde" << 49 << "...bcde";
    QTest::newRow("cut before the overflowing character") << "abcde" << 30 << "...de";
    QTest::newRow("one character that does not fit") << "a" << 5 << "...";
    QTest::newRow("room for the dots only") << "abcde" << 8 << "...";
    QTest::newRow("narrower than the dots") << "abcde" << 3 << "...";
    QTest::newRow("empty") << "" << 0 << "";
}

void TestJobTable::leftShortening() {
    QFETCH(QString, text);
    QFETCH(int, available);
    QFETCH(QString, shown);
    QCOMPARE(shortenMono(text, available), shown);
}

void TestJobTable::leftDotRendererKeepsTheEndVisible() {
    auto window = TestSupport::makeWindow();
    const QString path = "/very/long/folder/name/that/goes/on/and/on/for/quite/a/while/photo.png";
    CorvaneGUI::model->appendRow(row(path));
    customTable* table = CorvaneGUI::table;
    table->resize(700, 300);
    auto* renderer = static_cast<LeftDotRenderer*>(table->itemDelegateForColumn(1));

    QStyleOptionViewItem option;
    option.initFrom(table->viewport());
    option.widget = table;
    option.font = table->font();
    option.rect = QRect(0, 0, table->columnWidth(1), 20);
    renderer->initStyleOption(&option, CorvaneGUI::model->index(0, 1));
    QVERIFY(option.text.startsWith("..."));
    QVERIFY(option.text.endsWith("photo.png"));
    const int available = LeftDotRenderer::availableTextWidth(option.rect.width(), table);
    QVERIFY(QFontMetrics(option.font).horizontalAdvance(option.text) <= available);
    QCOMPARE(option.textElideMode, Qt::ElideNone);

    option.rect.setWidth(5000); // a wide column shows the whole path
    renderer->initStyleOption(&option, CorvaneGUI::model->index(0, 1));
    QCOMPARE(option.text, path);
}

void TestJobTable::statusColours() {
    const auto failed = statusColour(Status::Failed);
    const auto converted = statusColour(Status::Converted);
    const auto unprocessed = statusColour(Status::Unprocessed);
    QVERIFY(failed && converted && unprocessed);
    QVERIFY(*failed != *converted && *converted != *unprocessed && *failed != *unprocessed);
    QVERIFY(!statusColour("converted"));
    QVERIFY(!statusColour("Converted "));
    QVERIFY(!statusColour(""));

    auto window = TestSupport::makeWindow();
    CorvaneGUI::model->appendRows({row("/a.png", Status::Failed), row("/b.png", "done")});
    auto* renderer = static_cast<ColourRenderer*>(CorvaneGUI::table->itemDelegateForColumn(3));
    QStyleOptionViewItem option;
    option.initFrom(CorvaneGUI::table);
    const QColor defaultText = option.palette.color(QPalette::Text);
    renderer->initStyleOption(&option, CorvaneGUI::model->index(0, 3));
    QCOMPARE(option.palette.color(QPalette::Text), *failed);
    QCOMPARE(option.palette.color(QPalette::HighlightedText), *failed); // selected rows too
    QStyleOptionViewItem other;
    other.initFrom(CorvaneGUI::table);
    renderer->initStyleOption(&other, CorvaneGUI::model->index(1, 3));
    QCOMPARE(other.palette.color(QPalette::Text), defaultText);
}

QTEST_MAIN(TestJobTable)
#include "test_jobtable.moc"
