// The job table: its model, the table widget and the two renderers.
#include "app/CorvaneGUI.h"
#include "joblist/ColourRenderer.h"
#include "joblist/JobTableModel.h"
#include "joblist/LeftDotRenderer.h"
#include "joblist/LeftShortening.h"
#include "joblist/customTable.h"
#include "testsupport/TestSupport.h"
#include "theme/Look.h"

#include "joblist/JobTableHeader.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <cmath>
#include <numeric>

namespace {
JobRow row(const QString& image, const QString& status = Status::Unprocessed, bool process = true) {
    return JobRow{process, image, image + ".map", status};
}

// WCAG contrast ratio, 1 (none) to 21 (black on white).
double contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
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
    void spaceTogglesTheCurrentRowsTick();
    void columnsShareTheViewsWidth();
    void titlesThatDoNotFitGetATooltip();
    void pathCellsShowTheWholePathAsTooltip();
    void dropsOfFilesAndFolders();
    void dropsWithoutLocalFilesAreRefused();
    void leftShortening_data();
    void leftShortening();
    void leftShorteningWhenTheWholeIsWiderThanItsParts();
    void leftDotRendererKeepsTheEndVisible();
    void statusColours();
    void selectedRowsStayLegible();
};

void TestJobTable::modelPassesTheModelTester() {
    JobTableModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.appendRow(row("/a.png"));
    model.appendRows({row("/b.png"), row("/c.png"), row("/b.png")});
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.index(3, 1).data().toString(), "/b.png"); // duplicates stay separate rows
    // Each row is rewritten knowing the folder it was added from.
    const quint32 library = model.addRoot("/lib");
    model.appendRow(JobRow{true, "/lib/x/d.png", "/lib/x/d.map", Status::Unprocessed, library});
    model.rewriteNewImages([](const QString& image, QStringView root, QString& target) {
        target = image + ".new" + root.toString();
        return true;
    });
    QCOMPARE(model.row(4).newImage, "/lib/x/d.png.new/lib");
    QCOMPARE(model.row(0).newImage, "/a.png.new");
    TestSupport::setStatus(model, 2, Status::Failed);
    model.setData(model.index(0, 0), Qt::Unchecked, Qt::CheckStateRole);
    model.removeIf([](const JobRow& r) { return r.image == "/b.png"; });
    QCOMPARE(model.rowCount(), 3);
    model.updateAll([](int, JobRow& r) { r.status = Status::Converted; });
    model.removeRows(0, 1);
    model.clear();
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.roots().size(), 1); // Reset forgets the folders with the rows
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
    QCOMPARE(model.rewriteNewImages([](const QString&, QStringView, QString& target) {
        target = "/out/x.map";
        return true;
    }),
             1000);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed[0][0].toModelIndex(), model.index(0, 2));
    QCOMPARE(changed[0][1].toModelIndex(), model.index(999, 2));
    // A refusal stops the rewrite: that row and the ones below keep their targets.
    int seen = 0;
    QCOMPARE(model.rewriteNewImages([&](const QString&, QStringView, QString& target) {
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
    QCOMPARE(model.rewriteNewImages([](const QString&, QStringView, QString&) { return false; }),
             0);
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
    QCOMPARE(table->selectionMode(), QAbstractItemView::ExtendedSelection);
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
    CorvaneGUI::model->appendRows({row("/pics/a.png"), row("/pics/b.png")});
    customTable* table = CorvaneGUI::table;
    QWidget* viewport = table->viewport();
    const QRect cell = table->visualRect(CorvaneGUI::model->index(0, 0));
    // Every click anywhere in the cell toggles once: the box, its margins, the corners.
    const QPoint spots[] = {cell.center(),
                            cell.topLeft() + QPoint(1, 1),
                            cell.bottomRight() - QPoint(1, 1),
                            {cell.right() - 1, cell.top() + 1},
                            cell.center()};
    bool ticked = true;
    for (const QPoint& spot : spots) {
        QTest::mouseClick(viewport, Qt::LeftButton, {}, spot);
        ticked = !ticked;
        QCOMPARE(CorvaneGUI::model->row(0).process, ticked);
    }
    QVERIFY(CorvaneGUI::model->row(1).process); // the other row is left alone
    // Not a click on the cell: pressed there but let go on another row, or
    // another button.
    QTest::mousePress(viewport, Qt::LeftButton, {}, cell.center());
    QTest::mouseRelease(viewport, Qt::LeftButton, {},
                        table->visualRect(CorvaneGUI::model->index(1, 0)).center());
    QTest::mouseClick(viewport, Qt::RightButton, {}, cell.center());
    QCOMPARE(CorvaneGUI::model->row(0).process, ticked);
    QVERIFY(CorvaneGUI::model->row(1).process);

    // Double clicks on the text columns open no editor and change nothing.
    CorvaneGUI::model->setProcess(0, true);
    for (int column = 1; column < 4; ++column) {
        const QRect rect = table->visualRect(CorvaneGUI::model->index(0, column));
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, rect.center());
        QVERIFY(viewport->findChildren<QWidget*>().isEmpty());
    }
    QCOMPARE(CorvaneGUI::model->row(0), row("/pics/a.png"));
}

void TestJobTable::spaceTogglesTheCurrentRowsTick() {
    auto window = TestSupport::makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    customTable* table = CorvaneGUI::table;
    QTest::keyClick(table, Qt::Key_Space); // no rows, no current row: nothing happens
    CorvaneGUI::model->appendRows({row("/a.png"), row("/b.png"), row("/c.png")});
    table->setFocus();
    table->setCurrentIndex(CorvaneGUI::model->index(1, 2)); // a path cell of the middle row
    QTest::keyClick(table, Qt::Key_Space);
    QCOMPARE(CorvaneGUI::model->row(1).process, false);
    QTest::keyClick(table, Qt::Key_Down);
    QTest::keyClick(table, Qt::Key_Space);
    QTest::keyClick(table, Qt::Key_Up);
    QTest::keyClick(table, Qt::Key_Space);
    QCOMPARE(CorvaneGUI::model->row(0).process, true);
    QCOMPARE(CorvaneGUI::model->row(1).process, true);
    QCOMPARE(CorvaneGUI::model->row(2).process, false);
}

void TestJobTable::columnsShareTheViewsWidth() {
    auto window = TestSupport::makeWindow();
    customTable* table = CorvaneGUI::table;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));

    auto widths = [table] {
        QList<int> w;
        for (int column = 0; column < 4; ++column)
            w << table->columnWidth(column);
        return w;
    };
    // Every width of the window: the columns fill the view exactly, in the
    // preferred proportions (to the pixel).
    auto checkShares = [&](const QList<double>& shares) {
        const QList<int> w = widths();
        const int total = table->viewport()->width();
        QCOMPARE(std::accumulate(w.begin(), w.end(), 0), total);
        const double sum = std::accumulate(shares.begin(), shares.end(), 0.0);
        for (int column = 0; column < 4; ++column)
            QVERIFY2(
                std::abs(w[column] - shares[column] * total / sum) <= 1.0,
                qPrintable(QString("column %1 is %2 of %3").arg(column).arg(w[column]).arg(total)));
    };
    const QList<double> start{30, 200, 200, 90};
    for (int extra : {0, 300, 37, 900, 120}) {
        window->resize(window->minimumSizeHint().width() + extra, 700);
        QTRY_COMPARE(table->viewport()->width() > 0, true);
        QCoreApplication::processEvents();
        checkShares(start);
        if (QTest::currentTestFailed())
            return;
    }
    // A scroll bar appearing takes its width from the columns, not past them.
    std::vector<JobRow> many(200, row("/pics/a.png"));
    CorvaneGUI::model->appendRows(many);
    QTRY_VERIFY(table->verticalScrollBar()->isVisible());
    checkShares(start);

    // The user drags the edge between "Image" and "New Image" to the right;
    // later resizes keep the user's proportions.
    QWidget* titles = table->horizontalHeader()->viewport();
    const int edge = table->columnViewportPosition(2);
    const int y = titles->height() / 2;
    QTest::mousePress(titles, Qt::LeftButton, {}, QPoint(edge - 1, y));
    QTest::mouseMove(titles, QPoint(edge + 40, y));
    QTest::mouseRelease(titles, Qt::LeftButton, {}, QPoint(edge + 40, y));
    const QList<int> dragged = widths();
    QVERIFY2(dragged[1] > widths()[2], qPrintable(QString::number(dragged[1])));
    QCOMPARE(std::accumulate(dragged.begin(), dragged.end(), 0), table->viewport()->width());
    window->resize(window->width() + 250, window->height());
    QTRY_VERIFY(table->viewport()->width() > std::accumulate(dragged.begin(), dragged.end(), 0));
    QCoreApplication::processEvents();
    checkShares({double(dragged[0]), double(dragged[1]), double(dragged[2]), double(dragged[3])});
}

void TestJobTable::titlesThatDoNotFitGetATooltip() {
    auto window = TestSupport::makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto* header = qobject_cast<JobTableHeader*>(CorvaneGUI::table->horizontalHeader());
    QVERIFY(header);
    // The tick column is far narrower than its title; the others are wide.
    QCOMPARE(header->clippedTitle(0), "Process");
    const QString shown = header->shownTitle(0);
    QVERIFY2(shown.endsWith(QChar(0x2026)) && QString("Process").startsWith(shown.chopped(1)),
             qPrintable(shown));
    for (int column = 1; column < 4; ++column) {
        QCOMPARE(header->clippedTitle(column), QString());
        QCOMPARE(header->shownTitle(column), CorvaneGUI::columnNames[column]);
    }
    auto tooltipAt = [header](int column) {
        QToolTip::hideText();
        const QPoint at(header->sectionViewportPosition(column) + 3, header->height() / 2);
        QHelpEvent help(QEvent::ToolTip, at, header->viewport()->mapToGlobal(at));
        QApplication::sendEvent(header->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    QCOMPARE(tooltipAt(0), "Process");
    tooltipAt(3); // a title that fits hides the tip (Qt lets it fade)
    QTRY_VERIFY(!QToolTip::isVisible());
    // Wide enough, the title is whole and needs no tooltip.
    CorvaneGUI::table->setColumnWidth(0, 200);
    QCOMPARE(header->clippedTitle(0), QString());
    QCOMPARE(header->shownTitle(0), "Process");
    tooltipAt(0);
    QTRY_VERIFY(!QToolTip::isVisible());

    // What is painted is the shown title, not Qt's own cut.
    struct Painted : JobTableHeader {
        using JobTableHeader::initStyleOptionForIndex;
    } painted;
    painted.setModel(CorvaneGUI::model);
    painted.resize(600, 30);
    painted.resizeSection(0, 30);
    QStyleOptionHeaderV2 option;
    painted.initStyleOptionForIndex(&option, 0);
    QCOMPARE(option.text, painted.shownTitle(0));
    QVERIFY(option.text.endsWith(QChar(0x2026)));
}

void TestJobTable::pathCellsShowTheWholePathAsTooltip() {
    JobTableModel model;
    model.appendRow(JobRow{true, "/pics/set one/a.png", R"(D:\out/a.map)", Status::Failed});
    QCOMPARE(model.index(0, 1).data(Qt::ToolTipRole).toString(),
             QDir::toNativeSeparators("/pics/set one/a.png"));
    QCOMPARE(model.index(0, 2).data(Qt::ToolTipRole).toString(),
             QDir::toNativeSeparators(R"(D:\out/a.map)"));
    QVERIFY(!model.index(0, 0).data(Qt::ToolTipRole).isValid());
    QVERIFY(!model.index(0, 3).data(Qt::ToolTipRole).isValid());
}

namespace {
// Sends a drag over the table and then its drop: the action the table takes
// them with, IgnoreAction when it refuses (or answers drag and drop apart).
Qt::DropAction dragAndDrop(const QList<QUrl>& urls,
                           Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
                           Qt::KeyboardModifiers keys = Qt::NoModifier, const QString& text = {}) {
    QMimeData data;
    if (!urls.isEmpty())
        data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);
    QWidget* viewport = CorvaneGUI::table->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at + QPoint(5, 5), actions, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &move);
    QDropEvent drop(at, actions, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(viewport, &drop);
    TestSupport::finishScan(); // what a drop brings is looked through on a worker thread
    const bool same = enter.isAccepted() == move.isAccepted() &&
                      move.isAccepted() == drop.isAccepted() &&
                      enter.dropAction() == drop.dropAction();
    return same && drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

QStringList images() {
    QStringList paths;
    for (const JobRow& r : CorvaneGUI::model->rows())
        paths << r.image;
    return paths;
}
} // namespace

void TestJobTable::dropsOfFilesAndFolders() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath("pics/sub.png/deeper.png")); // folders in a folder never count
    for (const char* name : {"a.png", "b.JPG", "c.txt", "noext", "d.jpeg", "pics/x.tga",
                             "pics/Y.Gif", "pics/z.jpeg", "pics/notes.txt"})
        QVERIFY(TestSupport::writeFile(dir.filePath(name), ""));
    auto window = TestSupport::makeWindow();
    auto url = [&dir](const char* name) { return QUrl::fromLocalFile(dir.filePath(name)); };
    auto native = [&dir](const char* name) { return QDir::toNativeSeparators(dir.filePath(name)); };

    QCOMPARE(dragAndDrop({url("b.JPG"), url("c.txt"), QUrl("https://example.com/e.png"),
                          url("pics"), url("noext"), url("d.jpeg"), url("a.png")}),
             Qt::CopyAction);
    // Files in the order dropped, a folder's images where the folder stands.
    const QStringList added = images();
    QCOMPARE(added.size(), 4);
    QCOMPARE(added[0], native("b.JPG"));
    QStringList fromFolder = added.mid(1, 2);
    fromFolder.sort();
    QCOMPARE(fromFolder, QStringList({native("pics/Y.Gif"), native("pics/x.tga")}));
    QCOMPARE(added[3], native("a.png"));
    const JobRow& first = CorvaneGUI::model->row(0);
    QCOMPARE(first, (JobRow{true, native("b.JPG"), native("b.map"), Status::Unprocessed}));

    // Always a copy, even where the file manager proposes a move (Shift):
    // a move would have it delete the file. A link is as good as a copy.
    // The same file again is a second row.
    QCOMPARE(dragAndDrop({url("a.png")}, Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier),
             Qt::CopyAction);
    QCOMPARE(dragAndDrop({url("a.png")}, Qt::LinkAction | Qt::MoveAction), Qt::LinkAction);
    QCOMPARE(images().size(), 6);
    QCOMPARE(images().last(), native("a.png"));
    // Only files that are not images: taken, nothing added.
    QCOMPARE(dragAndDrop({url("c.txt")}), Qt::CopyAction);
    QCOMPARE(images().size(), 6);
}

void TestJobTable::dropsWithoutLocalFilesAreRefused() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && TestSupport::writeFile(dir.filePath("a.png"), ""));
    auto window = TestSupport::makeWindow();
    QCOMPARE(dragAndDrop({QUrl("https://example.com/a.png")}), Qt::IgnoreAction);
    QCOMPARE(dragAndDrop({}, Qt::CopyAction, {}, "/some/where/a.png"), Qt::IgnoreAction);
    QCOMPARE(dragAndDrop({QUrl::fromLocalFile(dir.filePath("gone.png"))}), Qt::IgnoreAction);
    // A file manager that would only move the file: refused, so it deletes nothing.
    QCOMPARE(dragAndDrop({QUrl::fromLocalFile(dir.filePath("a.png"))}, Qt::MoveAction),
             Qt::IgnoreAction);
    QCOMPARE(CorvaneGUI::model->rowCount(), 0);
    QVERIFY(QFile::exists(dir.filePath("a.png")));
    // While a run uses the rows, nothing may be added.
    CorvaneGUI::model->setLocked(true);
    QCOMPARE(dragAndDrop({QUrl::fromLocalFile(dir.filePath("a.png"))}), Qt::IgnoreAction);
    QCOMPARE(CorvaneGUI::model->rowCount(), 0);
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

void TestJobTable::leftShorteningWhenTheWholeIsWiderThanItsParts() {
    // Kerning and shaping can make a text wider than its characters one by
    // one: "abcde" takes 80 pixels whole, yet "..." and all five characters
    // only 56. With 60 available, the loop runs down to index 0 without
    // overflowing, and the first character still gives way to the dots.
    auto kerned = [](const QString& s) {
        return s == QLatin1String("...") ? 6 : int(s.size()) * 10 + (s.size() > 1 ? 30 : 0);
    };
    auto tenEach = [](QChar) { return 10; };
    QCOMPARE(leftShortened("abcde", 60, kerned, tenEach), "...bcde");
    QCOMPARE(leftShortened("abcde", 80, kerned, tenEach), "abcde");
    QCOMPARE(leftShortened("ab", 40, kerned, tenEach), "...b"); // 50 wide whole, 26 in parts
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
    // Exact values only: letter case counts for every one of the three.
    for (const char* other : {"failed", "unprocessed", "converted", "FAILED", "UnProcessed",
                              "CONVERTED", "Converted ", ""})
        QVERIFY2(!statusColour(other), other);

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

// A selected row keeps its Status colour ("Select Failed" selects exactly the
// rows whose status matters), so that colour must read on the selection as
// well as on the table, in either look, with the window active or not.
void TestJobTable::selectedRowsStayLegible() {
    Look::rememberSystemLook();
    auto window = TestSupport::makeWindow();
    CorvaneGUI::model->appendRows({row("/a.png", Status::Failed), row("/b.png", Status::Converted),
                                   row("/c.png", Status::Unprocessed)});
    customTable* table = CorvaneGUI::table;
    for (const bool themed : {true, false}) {
        QVERIFY(themed ? Look::installThemed() : Look::installSystem());
        QTRY_COMPARE(table->palette().color(QPalette::Base),
                     QApplication::palette().color(QPalette::Base));
        for (int r = 0; r < 3; ++r)
            for (const int column : {JobTableModel::ImageColumn, JobTableModel::NewImageColumn,
                                     JobTableModel::StatusColumn})
                for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
                    QStyleOptionViewItem option;
                    option.initFrom(table);
                    option.state |= QStyle::State_Selected;
                    option.palette.setCurrentColorGroup(group);
                    const QModelIndex index = CorvaneGUI::model->index(r, column);
                    QAbstractItemDelegate* renderer = table->itemDelegateForColumn(column);
                    if (column == JobTableModel::StatusColumn)
                        static_cast<ColourRenderer*>(renderer)->initStyleOption(&option, index);
                    else
                        static_cast<LeftDotRenderer*>(renderer)->initStyleOption(&option, index);
                    const QPalette& p = option.palette;
                    const QString where = QString("%1 look, row %2, column %3, group %4")
                                              .arg(themed ? "themed" : "system")
                                              .arg(r)
                                              .arg(column)
                                              .arg(int(group));
                    QVERIFY2(contrast(p.color(group, QPalette::HighlightedText),
                                      p.color(group, QPalette::Highlight)) >= 4.5,
                             qPrintable(where));
                    QVERIFY2(contrast(p.color(group, QPalette::Text),
                                      p.color(group, QPalette::Base)) >= 4.5,
                             qPrintable(where));
                }
    }
}

QTEST_MAIN(TestJobTable)
#include "test_jobtable.moc"
