// The real file dialogs, opened offscreen and worked through their own widgets
// as a person would: the name field, the file-type box, the accept button.
#include "app/CorvaneGUI.h"
#include "conversion/rules/ScriptFilters.h"
#include "joblist/JobTableModel.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

// Works the file dialog that the next action opens, then makes sure it is
// gone, so a failed check cannot leave the test waiting on a modal dialog.
// Any message box popping up meanwhile (an overwrite question, say) is
// recorded and closed.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(QFileDialog*)> drive)
        : m_drive(std::move(drive)) {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(10);
        // A timer does not fire again while its own handler runs, and the
        // boxes open from inside the driving: they need a watch of their own.
        QObject::connect(&m_boxWatch, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                m_boxes << box->text();
                box->reject();
            }
        });
        m_boxWatch.start(10);
    }

    bool ran() const { return m_ran; }
    const QStringList& boxes() const { return m_boxes; }

private:
    void poll() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (m_ran || !dialog || !dialog->isVisible())
            return;
        m_ran = true;
        m_drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    }

    std::function<void(QFileDialog*)> m_drive;
    QTimer m_timer;
    QTimer m_boxWatch;
    bool m_ran = false;
    QStringList m_boxes;
};

QAbstractItemView* shownView(QFileDialog* dialog) {
    for (const char* name : {"treeView", "listView"}) {
        auto* view = dialog->findChild<QAbstractItemView*>(QLatin1String(name));
        if (view && view->isVisible())
            return view;
    }
    return nullptr;
}

// The names the dialog lists in its current folder, sorted.
QStringList listed(QFileDialog* dialog) {
    QStringList names;
    QAbstractItemView* view = shownView(dialog);
    if (!view)
        return {"no view"};
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row)
        names << view->model()->index(row, 0, root).data().toString();
    names.sort();
    return names;
}

QComboBox* fileTypes(QFileDialog* dialog) {
    return dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
}

QStringList fileTypeNames(QFileDialog* dialog) {
    QStringList names;
    if (QComboBox* box = fileTypes(dialog))
        for (int i = 0; i < box->count(); ++i)
            names << box->itemText(i);
    return names;
}

// Picks a file type from the keyboard: Home, then Down as often as needed.
void chooseFileType(QFileDialog* dialog, int index) {
    QComboBox* box = fileTypes(dialog);
    QVERIFY(box);
    QTest::keyClick(box, Qt::Key_Home);
    for (int i = 0; i < index; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    QCOMPARE(box->currentIndex(), index);
}

QPushButton* acceptButton(QFileDialog* dialog) {
    auto* buttons = dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
    if (!buttons)
        return nullptr;
    for (QAbstractButton* button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            return qobject_cast<QPushButton*>(button);
    return nullptr;
}

void typeNameAndAccept(QFileDialog* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->clear();
    QTest::keyClicks(edit, name);
    QPushButton* accept = acceptButton(dialog);
    QVERIFY(accept && accept->isEnabled());
    QTest::mouseClick(accept, Qt::LeftButton);
}

// Clicks an entry of the listing, with Ctrl to add it to the selection.
void clickEntry(QFileDialog* dialog, const QString& name, Qt::KeyboardModifiers modifiers = {}) {
    QAbstractItemView* view = shownView(dialog);
    QVERIFY(view);
    const QModelIndex root = view->rootIndex();
    for (int row = 0; row < view->model()->rowCount(root); ++row) {
        const QModelIndex entry = view->model()->index(row, 0, root);
        if (entry.data().toString() == name) {
            view->scrollTo(entry);
            QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers,
                              view->visualRect(entry).center());
            return;
        }
    }
    QFAIL(qPrintable("not listed: " + name));
}

using TestSupport::column;
} // namespace

// An empty start folder means home, which Windows takes from the user's profile rather than
// from a variable: there a test cannot give itself a home of its own.
#ifdef Q_OS_WIN
#define REQUIRE_OWN_HOME() QSKIP("Windows takes home from the user's profile, not from HOME")
#else
#define REQUIRE_OWN_HOME() static_cast<void>(0)
#endif

class TestFileDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QByteArray m_home;
    QString dir(const QString& name = {}) const {
        return name.isEmpty() ? m_dir->path() : m_dir->filePath(name);
    }

private slots:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        // An empty start folder means home: make home a folder of our own.
        m_home = qgetenv("HOME");
        QVERIFY(QDir(dir()).mkdir("home"));
        qputenv("HOME", QFile::encodeName(dir("home")));
    }
    void cleanup() {
        qputenv("HOME", m_home);
        m_dir.reset();
    }

    void addImagesListsImagesOnly() {
        REQUIRE_OWN_HOME();
        for (const char* name : {"a.png", "B.PNG", "c.Jpg", "d.jpeg", "notes.txt"})
            touch(dir(QStringLiteral("home/") + name));
        QVERIFY(QDir(dir("home")).mkdir("sub.folder"));
        auto window = TestSupport::makeWindow();
        T::showRealFileDialogs(true);
        DialogDriver driver([&](QFileDialog* d) {
            QCOMPARE(d->windowTitle(), "Select Images");
            QCOMPARE(d->fileMode(), QFileDialog::ExistingFiles);
            QCOMPARE(d->acceptMode(), QFileDialog::AcceptOpen);
            QCOMPARE(QDir(d->directory()).canonicalPath(), QDir(dir("home")).canonicalPath());
            QCOMPARE(fileTypeNames(d),
                     QStringList{"Image files (jpg, png, gif, bmp, tga, tif, iff)"});
            QTRY_COMPARE(listed(d), QStringList({"B.PNG", "a.png", "c.Jpg", "sub.folder"}));
            QCOMPARE(acceptButton(d)->text(), "&Open");
            clickEntry(d, "c.Jpg");
            clickEntry(d, "a.png", Qt::ControlModifier);
            QTest::mouseClick(acceptButton(d), Qt::LeftButton);
        });
        G::buttonAddImages->click();
        QVERIFY(driver.ran());
        QCOMPARE(column(1), QStringList({native(dir("home/c.Jpg")), native(dir("home/a.png"))}));
        QCOMPARE(column(2), QStringList({native(dir("home/c.map")), native(dir("home/a.map"))}));
        QCOMPARE(T::fileRequests().size(), size_t(1)); // still recorded
    }

    void addDirectoryListsFoldersOnly() {
        REQUIRE_OWN_HOME();
        QVERIFY(QDir(dir("home")).mkpath("pics/inner.png"));
        QVERIFY(QDir(dir("home")).mkdir("other"));
        for (const char* name : {"pics/a.jpg", "pics/b.JPG", "pics/c.jpeg", "pics/n.txt", "x.png"})
            touch(dir(QStringLiteral("home/") + name));
        auto window = TestSupport::makeWindow();
        T::showRealFileDialogs(true);
        DialogDriver driver([&](QFileDialog* d) {
            QCOMPARE(d->windowTitle(), "Select Directory of Images");
            QCOMPARE(d->fileMode(), QFileDialog::Directory);
            QTRY_COMPARE(listed(d), QStringList({"other", "pics"}));
            typeNameAndAccept(d, "pics");
        });
        G::buttonAddDirectory->click();
        QVERIFY(driver.ran());
        QVERIFY(TestSupport::finishScan());
        QStringList added = column(1);
        added.sort();
        QCOMPARE(added,
                 QStringList({native(dir("home/pics/a.jpg")), native(dir("home/pics/b.JPG"))}));
    }

    void outputDirectoryBrowse() {
        QVERIFY(QDir(dir()).mkpath("start/out"));
        touch(dir("start/file.png"));
        auto window = TestSupport::makeWindow();
        G::addImageRow("/pics/a.png");
        G::checkSameDirectory->setChecked(false);
        G::fieldDirectory->setText(native(dir("start")));
        T::showRealFileDialogs(true);
        DialogDriver driver([&](QFileDialog* d) {
            QCOMPARE(d->windowTitle(), "Select Directory for Processed Images");
            QCOMPARE(d->fileMode(), QFileDialog::Directory);
            QCOMPARE(QDir(d->directory()).canonicalPath(), QDir(dir("start")).canonicalPath());
            QCOMPARE(acceptButton(d)->text(), "Open");
            QTRY_COMPARE(listed(d), QStringList{"out"});
            typeNameAndAccept(d, "out");
        });
        G::buttonDirectoryBrowse->click();
        QVERIFY(driver.ran());
        QCOMPARE(G::fieldDirectory->text(), native(dir("start/out")));
        QCOMPARE(G::model->row(0).newImage, native(dir("start/out")) + "/a.map");
    }

    void aStartFolderThatIsGoneMeansHome() {
        REQUIRE_OWN_HOME();
        auto window = TestSupport::makeWindow();
        G::checkSameDirectory->setChecked(false);
        G::fieldDirectory->setText(native(dir("gone/long ago")));
        T::showRealFileDialogs(true);
        DialogDriver driver([&](QFileDialog* d) {
            QCOMPARE(QDir(d->directory()).canonicalPath(), QDir(dir("home")).canonicalPath());
        });
        G::buttonDirectoryBrowse->click();
        QVERIFY(driver.ran());
    }

    void everythingChoiceIsNoFilterOfOurs() {
        // The dialog's own "All Files" stands past our filters: the answer
        // names none of them, whatever its position in the box.
        auto window = TestSupport::makeWindow();
        T::showRealFileDialogs(true);
        Dialogs::FileRequest request;
        request.mode = Dialogs::FileMode::Save;
        request.filters = {std::make_shared<ShFilter>(), std::make_shared<BatFilter>()};
        request.currentFilter = 1;
        for (const int choice : {2, 0}) {
            DialogDriver driver([&](QFileDialog* d) {
                chooseFileType(d, choice);
                typeNameAndAccept(d, "convert");
            });
            const std::optional<Dialogs::FileAnswer> answer = Dialogs::chooseFiles(request);
            QVERIFY(driver.ran() && answer);
            QCOMPARE(answer->selectedFilter, choice == 2 ? -1 : 0);
        }
    }

    void converterBrowseSwitchesFilters() {
        REQUIRE_OWN_HOME();
        for (const char* name : {"imf_copy.exe", "OLD.EXE", "imf_copy", "readme.txt"})
            touch(dir(QStringLiteral("home/") + name));
        QVERIFY(QDir(dir("home")).mkdir("bin"));
        auto window = TestSupport::makeWindow();
        T::showRealFileDialogs(true);
        DialogDriver driver([&](QFileDialog* d) {
            QCOMPARE(d->fileMode(), QFileDialog::ExistingFile);
            QCOMPARE(fileTypeNames(d), QStringList({"imf_copy application", "All Files"}));
#ifdef Q_OS_WIN
            const int startsWith = 0;
#else
            const int startsWith = 1; // no ".exe" here: every file is offered first
#endif
            QCOMPARE(fileTypes(d)->currentIndex(), startsWith);
            const QStringList everything{"OLD.EXE", "bin", "imf_copy", "imf_copy.exe",
                                         "readme.txt"};
            const QStringList programs{"OLD.EXE", "bin", "imf_copy.exe"};
            QTRY_COMPARE(listed(d), startsWith == 0 ? programs : everything);
            chooseFileType(d, 0);
            QTRY_COMPARE(listed(d), programs);
            chooseFileType(d, 1);
            QTRY_COMPARE(listed(d), everything);
            typeNameAndAccept(d, "imf_copy");
        });
        G::buttonImfCopyBrowse->click();
        QVERIFY(driver.ran());
        QCOMPARE(G::fieldImfCopy->text(), native(dir("home/imf_copy")));
    }

    void createScriptNamesByTheChosenFileType_data() {
        QTest::addColumn<int>("system");
        QTest::addColumn<int>("choice"); // -1: leave the preselected type
        QTest::addColumn<QString>("written");
        QTest::addColumn<QStringList>("shown");
        const QStringList shell{"a.sh", "sub.folder"}, batch{"B.BAT", "sub.folder"},
            all{"B.BAT", "a.sh", "c.txt", "sub.folder"};
        // Windows offers the shell filter first, the Mac the batch filter.
        QTest::newRow("Windows, preselected batch") << 0 << -1 << "convert.bat" << batch;
        QTest::newRow("Windows, shell chosen") << 0 << 0 << "convert.sh" << shell;
        QTest::newRow("Windows, everything chosen") << 0 << 2 << "convert.bat" << all;
        QTest::newRow("Mac, preselected shell") << 1 << -1 << "convert.sh" << shell;
        QTest::newRow("Mac, batch chosen") << 1 << 0 << "convert.bat" << batch;
        QTest::newRow("Mac, everything chosen") << 1 << 2 << "convert.bat" << all;
    }

    void createScriptNamesByTheChosenFileType() {
        QFETCH(int, system);
        QFETCH(int, choice);
        QFETCH(QString, written);
        QFETCH(QStringList, shown);
        QVERIFY(QDir(dir()).mkdir("scripts.d"));
        for (const char* name : {"a.sh", "B.BAT", "c.txt"})
            touch(dir(QStringLiteral("scripts.d/") + name));
        QVERIFY(QDir(dir("scripts.d")).mkdir("sub.folder"));
        auto window = TestSupport::makeWindow(system == 0 ? "Windows 10" : "Linux");
        G::checkSameDirectory->setChecked(false); // the dialog starts in the output folder
        G::fieldDirectory->setText(native(dir("scripts.d")));
        T::showRealFileDialogs(true);
        DialogDriver driver([&](QFileDialog* d) {
            QCOMPARE(d->windowTitle(), "Create Script File");
            QCOMPARE(d->acceptMode(), QFileDialog::AcceptSave);
            QCOMPARE(QDir(d->directory()).canonicalPath(), QDir(dir("scripts.d")).canonicalPath());
            const QStringList types{"Shell Script (Mac .sh)", "Batch File (Windows .bat)",
                                    "All Files"};
            QCOMPARE(fileTypeNames(d),
                     system == 0 ? types : QStringList({types[1], types[0], types[2]}));
            QCOMPARE(fileTypes(d)->currentIndex(), 1);
            if (choice >= 0)
                chooseFileType(d, choice);
            QTRY_COMPARE(listed(d), shown);
            typeNameAndAccept(d, "convert");
        });
        G::buttonCreateScript->click();
        QVERIFY(driver.ran());
        QCOMPARE(QDir(dir("scripts.d")).entryList({"convert*"}, QDir::Files), QStringList{written});
        QByteArray first = TestSupport::readAll(dir("scripts.d/" + written)).split('\n')[0];
        if (first.endsWith('\r'))
            first.chop(1); // a Windows host's line end of a batch file
        QCOMPARE(first, system == 0 ? "@echo." : "#!/bin/bash"); // the flavour follows the system
        QCOMPARE(T::messages().back().text.section('\n', 0, 0), "Script created!");
    }

    void createScriptReplacesWithoutAsking() {
        REQUIRE_OWN_HOME();
        QVERIFY(TestSupport::writeFile(dir("home/run.sh"), "old content\n"));
        auto window = TestSupport::makeWindow("Linux");
        T::showRealFileDialogs(true);
        DialogDriver driver([&](QFileDialog* d) {
            QCOMPARE(QDir(d->directory()).canonicalPath(), QDir(dir("home")).canonicalPath());
            QTRY_COMPARE(listed(d), QStringList{"run.sh"});
            typeNameAndAccept(d, "run.sh");
            QVERIFY(!d->isVisible()); // closed by the one click
        });
        G::buttonCreateScript->click();
        QVERIFY(driver.ran());
        QCOMPARE(driver.boxes(), QStringList());
        QCOMPARE(TestSupport::readAll(dir("home/run.sh")), QByteArray("#!/bin/bash\n"));
    }

    void cancelledDialogsChangeNothing() {
        auto window = TestSupport::makeWindow();
        T::showRealFileDialogs(true);
        int shown = 0;
        for (QPushButton* button : {G::buttonAddImages, G::buttonAddDirectory,
                                    G::buttonImfCopyBrowse, G::buttonCreateScript}) {
            DialogDriver driver([&](QFileDialog* d) {
                ++shown;
                d->reject();
            });
            button->click();
        }
        QCOMPARE(shown, 4);
        QCOMPARE(G::model->rowCount(), 0);
        QCOMPARE(G::fieldImfCopy->text(), "imf_copy");
        QVERIFY(T::messages().empty());
        QVERIFY(QDir(dir("home")).entryList(QDir::Files).isEmpty());
    }
};

int main(int argc, char* argv[]) {
    // The dialogs keep their history in the user's settings: give them a
    // settings folder of their own before anything reads the real one.
    QTemporaryDir settings;
    if (!settings.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(settings.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(settings.filePath("data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(settings.filePath("cache")));
    qputenv("HOME", QFile::encodeName(settings.path()));
    QApplication application(argc, argv);
    TestFileDialogs test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_file_dialogs.moc"
