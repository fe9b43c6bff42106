// File > "Export Farm Job..." in the window: what it asks, in which order,
// what it refuses, what it writes, and the settings dialog worked through its
// own widgets.
#include "app/CorvaneGUI.h"
#include "testsupport/DialogRecorder.h"
#include "conversion/FarmJobDialog.h"
#include "joblist/JobTableModel.h"
#include "testsupport/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;
using Kind = Dialogs::MessageKind;

QStringList linesOf(const QString& path) {
    QStringList lines = QString::fromUtf8(TestSupport::readAll(path)).split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList filesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}
} // namespace

class TestFarmExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void lockedDuringARun();
    void refusalsWriteNothing();
    void clashQuestionComesFirst();
    void cancellingEitherDialogWritesNothing();
    void writesTheJobBesideTheChosenName();
    void untickedRowThatCannotBePlacedIsNoPartOfIt();
    void nameSlurmCannotCarryIsRefused();
    void folderThatRefusesFilesIsReported();
    void settingsDialogWorkedThroughItsWidgets();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void exportAs(const QString& name, const FarmSettings& settings);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CorvaneGUI> m_window;
};

void TestFarmExport::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_window = TestSupport::makeWindow(); // Linux: the bash flavour
    G::fieldImfCopy->setText("imf_copy");
    G::addImageRows({"/pics/a.png", "/pics/b b.png", "/pics/c.png"});
}

void TestFarmExport::cleanup() {
    m_window.reset();
}

void TestFarmExport::exportAs(const QString& name, const FarmSettings& settings) {
    T::queueFarmSettings(settings);
    T::queueFiles(Dialogs::FileAnswer{{path(name)}, 0});
    G::itemExportFarmJob->trigger();
}

void TestFarmExport::lockedDuringARun() {
    G::lockForRun(true);
    QVERIFY(!G::itemExportFarmJob->isEnabled());
    G::lockForRun(false);
    QVERIFY(G::itemExportFarmJob->isEnabled());
}

void TestFarmExport::refusalsWriteNothing() {
    G::system = TargetSystem::Windows;
    exportAs("night", {});
    QCOMPARE(T::messages().size(), size_t(1));
    QCOMPARE(T::messages().back().kind, Kind::Information);
    QCOMPARE(T::messages().back().title, "Export Farm Job");
    QVERIFY(T::messages().back().text.contains("Edit > System > Mac"));

    G::system = TargetSystem::Mac;
    G::model->updateAll([](int, JobRow& row) { row.process = false; });
    G::itemExportFarmJob->trigger();
    QCOMPARE(T::messages().back().text, "No image is ticked: a farm job needs at least one.");

    QVERIFY(T::farmSettingsRequests().empty());
    QVERIFY(T::fileRequests().empty());
    QCOMPARE(filesIn(m_dir->path()), QStringList());
}

void TestFarmExport::clashQuestionComesFirst() {
    G::addImageRows({"/pics/A.jpg"}); // writes /pics/A.map, as a.png does on Windows and the Mac
    G::system = TargetSystem::Mac;
    T::queueAnswer(false);
    exportAs("night", {});
    QCOMPARE(T::questions().size(), size_t(1));
    QVERIFY(T::questions().back().startsWith("Some images would write the same .map file:"));
    QVERIFY(T::farmSettingsRequests().empty());
    QCOMPARE(filesIn(m_dir->path()), QStringList());

    T::queueAnswer(true);
    G::itemExportFarmJob->trigger(); // the answers queued above are still waiting
    QCOMPARE(T::farmSettingsRequests(), std::vector<int>{4});
    QVERIFY(QFile::exists(path("night.sbatch")));
}

void TestFarmExport::cancellingEitherDialogWritesNothing() {
    G::system = TargetSystem::Mac;
    G::itemExportFarmJob->trigger(); // the settings dialog cancelled
    QCOMPARE(T::farmSettingsRequests(), std::vector<int>{3});
    QVERIFY(T::fileRequests().empty());
    T::queueFarmSettings(FarmSettings{});
    G::itemExportFarmJob->trigger(); // the save dialog cancelled
    QCOMPARE(T::fileRequests().size(), size_t(1));
    const Dialogs::FileRequest& request = T::fileRequests().back();
    QCOMPARE(request.title, "Export Farm Job");
    QCOMPARE(request.mode, Dialogs::FileMode::Save);
    QCOMPARE(request.filters.size(), size_t(1));
    QCOMPARE(request.filters[0]->description(), "Slurm Job (.sbatch)");
    QVERIFY(T::messages().empty());
    QCOMPARE(filesIn(m_dir->path()), QStringList());
}

void TestFarmExport::writesTheJobBesideTheChosenName() {
    G::system = TargetSystem::Mac;
    G::model->setProcess(1, false);
    exportAs("night.sbatch", FarmSettings{1, 0, false});
    QCOMPARE(T::messages().back().kind, Kind::Information);
    QCOMPARE(T::messages().back().title, "Success");
    QVERIFY2(T::messages().back().text.startsWith("Farm job created: 2 images in 2 tasks."),
             qPrintable(T::messages().back().text));
    QVERIFY(T::messages().back().text.contains(QDir::toNativeSeparators(m_dir->path())));
    QVERIFY(T::messages().back().text.endsWith(
        "The converter \"imf_copy\" was not found on this machine."));
    QCOMPARE(filesIn(m_dir->path()),
             QStringList({"night.README.txt", "night.logs", "night.sbatch", "night.tasks"}));

    // One line per ticked row, in table order, without the skip clause.
    const QStringList tasks = linesOf(path("night.tasks"));
    QCOMPARE(tasks.size(), 2);
    QVERIFY(tasks[0].startsWith(R"(t="/pics/a.map"; )"));
    QVERIFY(tasks[0].contains(R"(imf_copy -p  "/pics/a.png" "$p")"));
    QVERIFY(tasks[1].startsWith(R"(t="/pics/c.map"; )"));
    QVERIFY(!tasks[0].contains("up to date"));
    QVERIFY(linesOf(path("night.sbatch")).contains("#SBATCH --array=1-2"));

    // Exported again with other settings, every file is replaced.
    exportAs("night", FarmSettings{2, 1, true});
    QVERIFY(linesOf(path("night.sbatch")).contains("#SBATCH --array=1-1%1"));
    QVERIFY(linesOf(path("night.tasks"))[0].contains("up to date"));
    QVERIFY(TestSupport::readAll(path("night.README.txt"))
                .contains("2 to a task: 1 task, at most 1 at once."));
}

void TestFarmExport::untickedRowThatCannotBePlacedIsNoPartOfIt() {
    G::system = TargetSystem::Mac;
    G::addImageRows({"relative.png"}); // no folder to mirror into the output folder
    G::model->setProcess(3, false);
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText("/out");
    exportAs("night", {});
    QCOMPARE(T::messages().back().title, "Success");
    QCOMPARE(linesOf(path("night.tasks")).size(), 3);
}

void TestFarmExport::nameSlurmCannotCarryIsRefused() {
#ifdef Q_OS_WIN
    QSKIP("a backslash separates folders here: no file name holds one");
#endif
    G::system = TargetSystem::Mac;
    exportAs("back\\slash", {});
    QCOMPARE(T::messages().back().kind, Kind::Warning);
    QVERIFY(T::messages().back().text.contains("backslash"));
    QCOMPARE(filesIn(m_dir->path()), QStringList());
}

void TestFarmExport::folderThatRefusesFilesIsReported() {
    G::system = TargetSystem::Mac;
#ifdef Q_OS_WIN
    // A plain file where the folder should be: nothing can be made inside it.
    QVERIFY(TestSupport::writeFile(m_dir->filePath("blocker"), ""));
    const QString job = m_dir->filePath("blocker/night");
#else
    // Nobody, root included, may make a file or folder in /proc.
    const QString job = "/proc/night";
#endif
    T::queueFarmSettings(FarmSettings{});
    T::queueFiles(Dialogs::FileAnswer{{job}, 0});
    G::itemExportFarmJob->trigger();
    QCOMPARE(T::messages().size(), size_t(1));
    QCOMPARE(T::messages().back().kind, Kind::Warning);
    QCOMPARE(T::messages().back().text, "Error Creating File");
    QVERIFY2(T::messages().back().details.startsWith(QDir::toNativeSeparators(job) + ".logs: "),
             qPrintable(T::messages().back().details));
}

void TestFarmExport::settingsDialogWorkedThroughItsWidgets() {
    G::system = TargetSystem::Mac;
    G::addImageRows({"/pics/d.png", "/pics/e.png", "/pics/f.png", "/pics/g.png"}); // 7 images
    T::showRealFarmDialog(true);
    QString summary;
    bool driven = false;
    // Works the dialog once it is up, as a person would: types the numbers,
    // unticks the box, reads the summary, presses OK.
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<FarmJobDialog*>(QApplication::activeModalWidget());
        if (driven || !dialog)
            return;
        driven = true;
        auto* perTask = dialog->findChild<QSpinBox*>("imagesPerTask");
        auto* atOnce = dialog->findChild<QSpinBox*>("maxTasksAtOnce");
        auto* skip = dialog->findChild<QCheckBox*>("skipUpToDate");
        QVERIFY(perTask && atOnce && skip);
        QCOMPARE(perTask->value(), 1); // 7 images: one to a task keeps under 1,000 tasks
        QCOMPARE(atOnce->text(), "No limit");
        QVERIFY(skip->isChecked());
        perTask->selectAll();
        QTest::keyClicks(perTask, "3");
        atOnce->selectAll();
        QTest::keyClicks(atOnce, "2");
        QTest::mouseClick(skip, Qt::LeftButton);
        summary = dialog->findChild<QLabel*>("taskSummary")->text();
        auto* buttons = dialog->findChild<QDialogButtonBox*>();
        QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
    });
    driver.start(10);
    T::queueFiles(Dialogs::FileAnswer{{path("night")}, 0});
    G::itemExportFarmJob->trigger();
    driver.stop();
    QVERIFY(driven);
    QCOMPARE(summary, "7 images: 3 tasks of 3, the last of 1");
    QVERIFY(linesOf(path("night.sbatch")).contains("#SBATCH --array=1-3%2"));
    QVERIFY(!TestSupport::readAll(path("night.tasks")).contains("up to date"));

    // Escape cancels it.
    driven = false;
    QObject::disconnect(&driver, nullptr, nullptr, nullptr);
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (QWidget* dialog = QApplication::activeModalWidget(); dialog && !driven) {
            driven = true;
            QTest::keyClick(dialog, Qt::Key_Escape);
        }
    });
    driver.start(10);
    const size_t before = T::fileRequests().size();
    G::itemExportFarmJob->trigger();
    QVERIFY(driven);
    QCOMPARE(T::fileRequests().size(), before);
}

QTEST_MAIN(TestFarmExport)
#include "test_farm_export.moc"
