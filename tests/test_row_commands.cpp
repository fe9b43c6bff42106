// The list as a whole and row by row, through the real window: the summary
// line, selecting by status, the keys, the row menu, the report of the last
// run and the notice when a long run ends unseen.
#include "app/CorvaneGUI.h"
#include "app/DesktopNotifier.h"
#include "conversion/rules/RunReport.h"
#include "conversion/run/RunSession.h"
#include "joblist/JobSummaryLine.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/TestSupport.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;
using Kind = Dialogs::MessageKind;

void addRows(const QStringList& statuses) {
    std::vector<JobRow> rows;
    for (int i = 0; i < statuses.size(); ++i)
        rows.push_back(JobRow{true, QStringLiteral("/jobs/img%1.png").arg(i),
                              QStringLiteral("/jobs/img%1.map").arg(i), statuses[i]});
    G::model->appendRows(std::move(rows));
}

QList<int> selected() {
    QList<int> rows;
    for (int row : G::selectedRowIndexes())
        rows << row;
    return rows;
}

QStringList images() {
    QStringList list;
    for (const JobRow& row : G::model->rows())
        list << row.image.mid(row.image.lastIndexOf('/') + 1);
    return list;
}

QStringList actionTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text() + (action->isEnabled() ? "" : " (off)");
    return texts;
}

QAction* actionNamed(const QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text)
            return action;
    return nullptr;
}

// Right-clicks a row of the shown table and returns the menu that opens.
QMenu* rightClickRow(int row) {
    QWidget* viewport = G::table->viewport();
    const QPoint at = G::table->visualRect(G::model->index(row, 1)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &event);
    for (QMenu* menu : G::frame->findChildren<QMenu*>("rowMenu"))
        if (menu->isVisible())
            return menu;
    return nullptr;
}

class RecordingNotifier final : public DesktopNotifier {
public:
    void notify(const QString& title, const QString& body) override {
        notices << title + ": " + body;
    }
    QStringList notices;
};
} // namespace

class TestRowCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString image(const QString& name) const {
        TestSupport::writeImage(path(name));
        return path(name);
    }
    QString broken(const QString& name) const {
        TestSupport::writeFile(path(name), "not a picture");
        return path(name);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }
    void cleanup() {
        QVERIFY(TestSupport::finishRun());
        m_dir.reset();
    }

    void summaryLineFollowsTheList() {
        auto window = TestSupport::makeWindow();
        G::labelSummary->setLocale(QLocale::c());
        QCOMPARE(G::labelSummary->text(), "No images");
        // Below the table, above its buttons.
        window->resize(700, 760);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const auto top = [&](QWidget* w) { return w->mapTo(window.get(), QPoint()).y(); };
        QVERIFY(top(G::labelSummary) > top(G::table) + G::table->height() - 1);
        QVERIFY(top(G::labelSummary) + G::labelSummary->height() <= top(G::buttonOpenFile));

        std::vector<JobRow> rows;
        for (int i = 0; i < 3012; ++i)
            rows.push_back(JobRow{i < 62, QStringLiteral("/jobs/%1.png").arg(i), "/jobs/x.map",
                                  i < 40 ? Status::Failed
                                         : (i < 62 ? Status::Unprocessed : Status::Converted)});
        G::model->appendRows(std::move(rows));
        const QString full =
            "3,012 images · 2,950 converted · 40 failed · 22 unprocessed · 62 ticked";
        QTRY_COMPARE(G::labelSummary->text(), full);

        // Many changes in a row are counted once, a moment later.
        for (int i = 0; i < 40; ++i)
            G::model->setProcess(i, false);
        QCOMPARE(G::labelSummary->text(), full);
        QTRY_COMPARE(G::labelSummary->text(),
                     "3,012 images · 2,950 converted · 40 failed · 22 unprocessed · 22 ticked");
        G::model->removeAt({0, 1});
        QTRY_COMPARE(G::labelSummary->counts().failed, 38);
        T::queueAnswer(true);
        G::buttonReset->click();
        QTRY_COMPARE(G::labelSummary->text(), "No images");
    }

    void summaryLineIsLiveDuringARun() {
        auto window = TestSupport::makeWindow();
        G::labelSummary->setLocale(QLocale::c());
        G::system = TestSupport::hostFlavour();
        G::fieldImfCopy->setText(TestSupport::fakeConverter());
        G::checkCustom->setChecked(true);
        G::fieldCustom->setText("--sleep-ms 600");
        G::groupConversions->actions().first()->trigger(); // one at a time
        G::addImageRows({image("a.png"), image("b.png"), broken("c.png")});
        G::processImages();
        QTRY_VERIFY_WITH_TIMEOUT(G::labelSummary->text().contains("1 converted · 0 failed · "
                                                                  "1 unprocessed · 1 converting"),
                                 10000);
        QVERIFY(TestSupport::finishRun());
        QTRY_COMPARE(G::labelSummary->text(),
                     "3 images · 2 converted · 1 failed · 0 unprocessed · 1 ticked");
    }

    void selectionByStatusAndTheKeys() {
        auto window = TestSupport::makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        addRows({"Failed", "Converted", "Unprocessed", "Failed", "Unprocessed", "Failed"});

        G::itemSelectFailed->trigger();
        QCOMPARE(selected(), QList<int>({0, 3, 5}));
        QVERIFY(G::table->hasFocus());
        // Space unticks them all (the current row was ticked), and ticks them all again.
        QTest::keyClick(G::table, Qt::Key_Space);
        QCOMPARE(TestSupport::ticks(), QList<bool>({false, true, true, false, true, false}));
        G::model->setProcess(3, true); // mixed: they all follow the current row
        QTest::keyClick(G::table, Qt::Key_Space);
        QCOMPARE(TestSupport::ticks(), QList<bool>({true, true, true, true, true, true}));
        // The open buttons take the lowest selected row.
        G::buttonOpenFile->click();
        QCOMPARE(T::openedUrls().back(), QUrl::fromLocalFile("/jobs/img0.png"));

        // "Remove Selected" takes them all, after one question.
        T::queueAnswer(true);
        G::buttonRemoveSelected->click();
        QCOMPARE(T::questions(), std::vector<QString>{"Remove selected?"});
        QCOMPARE(images(), QStringList({"img1.png", "img2.png", "img4.png"}));

        G::itemSelectUnprocessed->trigger();
        QCOMPARE(selected(), QList<int>({1, 2}));
        // Delete asks the same question; No keeps everything.
        T::queueAnswer(false);
        QTest::keyClick(G::table, Qt::Key_Delete);
        QCOMPARE(T::questions().size(), size_t(2));
        QCOMPARE(images(), QStringList({"img1.png", "img2.png", "img4.png"}));
        QTest::keyClick(G::table, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selected(), QList<int>({0, 1, 2}));
        T::queueAnswer(true);
        QTest::keyClick(G::table, Qt::Key_Delete);
        QCOMPARE(G::model->rowCount(), 0);

        // Nothing to select leaves nothing selected.
        addRows({"Converted"});
        G::table->selectRow(0);
        G::itemSelectFailed->trigger();
        QCOMPARE(selected(), QList<int>());
    }

    void lockedDuringARun() {
        auto window = TestSupport::makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        addRows({"Failed", "Unprocessed", "Failed"});
        G::table->setFocus();
        G::table->selectRow(1);
        G::lockForRun(true);
        QVERIFY(!G::menuEdit->isEnabled()); // Select Failed / Unprocessed with it
        QTest::keyClick(G::table, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selected(), QList<int>{1});
        QTest::keyClick(G::table, Qt::Key_Space);
        QTest::keyClick(G::table, Qt::Key_Delete);
        G::ListenerTableDelete{}.actionPerformed();
        QVERIFY(T::questions().empty());
        QCOMPARE(TestSupport::ticks(), QList<bool>({true, true, true}));
        QMenu* menu = rightClickRow(0);
        QVERIFY(menu);
        QCOMPARE(actionTexts(menu), QStringList({"Open File", "Open Folder", "Copy Command Line",
                                                 "Show Report", "Remove (off)"}));
        menu->close();
        G::lockForRun(false);
        QTest::keyClick(G::table, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(selected(), QList<int>({0, 1, 2}));
    }

    void rowMenu() {
        auto window = TestSupport::makeWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        G::system = TargetSystem::Mac;
        G::fieldImfCopy->setText("/opt/maya/bin/imf_copy");
        addRows({"Converted", "Failed", "Unprocessed"});
        JobRow& failed = G::model->rowForQuietUpdate(1);
        failed.note = "imf_copy: cannot read image\n";
        failed.failureExit = ExitValues{0, 1};
        G::table->selectRow(0);

        // A right click outside the selection moves it to that row.
        QMenu* menu = rightClickRow(2);
        QVERIFY(menu);
        QCOMPARE(selected(), QList<int>{2});
        QCOMPARE(actionTexts(menu), QStringList({"Open File", "Open Folder", "Copy Command Line",
                                                 "Show Report (off)", "Remove"}));
        // The row's exact line, in the flavour selected now.
        actionNamed(menu, "Copy Command Line")->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(),
                 R"("/opt/maya/bin/imf_copy" -p  "/jobs/img2.png" "/jobs/img2.map")");
        QCOMPARE(QGuiApplication::clipboard()->text(), *G::buildConverterCommand(2));
        menu->close();

        menu = rightClickRow(1);
        QVERIFY(menu);
        actionNamed(menu, "Open Folder")->trigger();
        QCOMPARE(T::openedUrls().back(), QUrl::fromLocalFile("/jobs"));
        actionNamed(menu, "Show Report")->trigger();
        QCOMPARE(T::messages().size(), size_t(1));
        const T::Message& report = T::messages().back();
        QVERIFY(report.textBox);
        QCOMPARE(report.title, "Corvane");
        QCOMPARE(report.text, "Why " + QDir::toNativeSeparators("/jobs/img1.png") + " failed:");
        QCOMPARE(report.details, "Exit values: chmod 0, script 1\n\nimf_copy: cannot read image\n");
        T::queueAnswer(true);
        actionNamed(menu, "Remove")->trigger();
        QCOMPARE(images(), QStringList({"img0.png", "img2.png"}));
        menu->close();

        // A target that cannot be placed in the output folder has no line to copy.
        G::model->appendRow(JobRow{true, "nofolder.png", "nofolder.map", "Unprocessed"});
        G::checkSameDirectory->setChecked(false);
        G::fieldDirectory->setText("/out");
        menu = rightClickRow(2);
        QVERIFY(menu);
        QVERIFY(!actionNamed(menu, "Copy Command Line")->isEnabled());
        menu->close();
    }

    void reportOfTheLastRun() {
        auto window = TestSupport::makeWindow();
        G::system = TestSupport::hostFlavour();
        G::fieldImfCopy->setText(TestSupport::fakeConverter());
#ifdef Q_OS_WIN
        // Windows names hold no double quote.
        const QString badName = "bad, 'old'";
        const QString badField = badName;
        const QString exitValues = "1";
        // A plain file where the folder should be: nothing can be saved inside it.
        QVERIFY(TestSupport::writeFile(path("blocker"), ""));
        const QString unwritable = path("blocker/corvane-report.csv");
#else
        const QString badName = "bad, \"old\"";
        const QString badField = "bad, \"\"old\"\"";
        const QString exitValues = "\"chmod 0, script 1\"";
        // Nobody, root included, may make a file in /proc.
        const QString unwritable = "/proc/corvane-report.csv";
#endif
        G::addImageRows({broken(badName + ".png"), image("good.png")});
        QVERIFY(!G::itemSaveReport->isEnabled());

        // The result box offers the report; taking it asks where to save.
        T::queueOfferTaken(true);
        T::queueFiles(Dialogs::FileAnswer{{path("run report")}, 0});
        G::processImages();
        QVERIFY(TestSupport::finishRun());
        QCOMPARE(T::messages().size(), size_t(1));
        QCOMPARE(T::messages().back().offer, "Save Report...");
        QCOMPARE(T::messages().back().text, TestSupport::failedRunText(1));
        const Dialogs::FileRequest& request = T::fileRequests().back();
        QCOMPARE(request.mode, Dialogs::FileMode::Save);
        QCOMPARE(request.filters.front()->extensions(), QStringList{"csv"});
        const QByteArray csv = TestSupport::readAll(path("run report.csv"));
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n");
        QCOMPARE(lines.size(), 4); // header, two rows, the last line end
        QCOMPARE(lines[0], "Source,Target,Status,Seconds,Exit Values,Note");
        // Source and target, quoted for their comma and quotes; the seconds; the
        // exit values; the converter's last line.
        const QString bad = path(badField);
        const QRegularExpression failedLine(QRegularExpression::anchoredPattern(
            QRegularExpression::escape("\"" + bad + ".png\",\"" + bad + ".map\",Failed,") +
            "\\d+\\.\\d{3}" +
            QRegularExpression::escape("," + exitValues + ",\"imf_copy: cannot read image '" + bad +
                                       ".png': Unsupported image format\"")));
        QVERIFY2(failedLine.match(lines[1]).hasMatch(), qPrintable(lines[1]));
        QVERIFY(lines[2].startsWith(path("good.png") + "," + path("good.map") + ",Converted,"));

        // Kept after the box: File > Save Report..., here into a folder that takes no file.
        QVERIFY(G::itemSaveReport->isEnabled());
        T::queueFiles(Dialogs::FileAnswer{{unwritable}, 0});
        G::itemSaveReport->trigger();
        QCOMPARE(T::messages().size(), size_t(2));
        QCOMPARE(T::messages().back().kind, Kind::Warning);
        QVERIFY2(T::messages().back().text.startsWith("The report could not be saved as \"" +
                                                      QDir::toNativeSeparators(unwritable) + "\""),
                 qPrintable(T::messages().back().text));
        // Cancelling the file dialog writes nothing and says nothing.
        G::itemSaveReport->trigger();
        QCOMPARE(T::messages().size(), size_t(2));
    }

    void noticeWhenALongRunEndsUnseen() {
        auto window = TestSupport::makeWindow(); // never shown: no window of ours is active
        auto notifier = std::make_shared<RecordingNotifier>();
        G::notifier = notifier;
        RunReport report;
        report.rows = {ReportRow{0, "/a.png", "/a.map", ReportStatus::Converted, 1, {}, {}},
                       ReportRow{1, "/b.png", "/b.map", ReportStatus::Failed, 1, {}, {}}};
        report.durationMs = 9000;
        G::announceRunEnd(report, Kind::Error, "Error Processing Files", {});
        QVERIFY(notifier->notices.isEmpty());
        report.durationMs = 10500;
        G::announceRunEnd(report, Kind::Error, "Error Processing Files", {});
        QCOMPARE(notifier->notices, QStringList{"Corvane: 1 converted, 1 failed"});
        QCOMPARE(T::messages().size(), size_t(2)); // the box comes all the same
    }

    void realBoxesOfferAndSelect() {
        // The seam's real widgets, once: the extra button closes the box and is
        // reported; the report's text can be selected.
        auto window = TestSupport::makeWindow();
        T::showRealMessageBoxes(true);
        const auto restore = qScopeGuard([] { T::showRealMessageBoxes(false); });
        bool clicked = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->text(), "Processed Successfully");
            for (QAbstractButton* button : box->buttons())
                if (button->text() == "Save Report...") {
                    clicked = true;
                    button->click();
                }
        });
        QVERIFY(Dialogs::showMessageOffering(Kind::Information, "Corvane", "Processed Successfully",
                                             {}, "Save Report..."));
        QVERIFY(clicked);
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            box->button(QMessageBox::Ok)->click();
        });
        QVERIFY(!Dialogs::showMessageOffering(Kind::Information, "Corvane", "Done", {},
                                              "Save Report..."));

        bool checked = false;
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            auto* text = dialog->findChild<QPlainTextEdit*>();
            QVERIFY(text && text->isReadOnly());
            QCOMPARE(text->toPlainText(), "line one\nline two");
            QVERIFY(text->textInteractionFlags() & Qt::TextSelectableByMouse);
            text->selectAll();
            QCOMPARE(text->textCursor().selectedText(), QString("line one\u2029line two"));
            checked = true;
            dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close)->click();
        });
        Dialogs::showText("Corvane", "Why a.png failed:", "line one\nline two");
        QVERIFY(checked);
        QCOMPARE(T::messages().size(), size_t(3)); // still recorded
    }
};

QTEST_MAIN(TestRowCommands)
#include "test_row_commands.moc"
