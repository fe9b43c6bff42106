// Whole texture libraries through the window: a folder's tree added by a scan
// that never blocks, converted into a mirrored output tree, and exported.
#include "app/CorvaneGUI.h"
#include "conversion/run/RunSession.h"
#include "joblist/JobTableModel.h"
#include "joblist/ScanProgressDialog.h"
#include "joblist/customTable.h"
#include "joblist/scan/ImageScan.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;
using Kind = Dialogs::MessageKind;
using TestSupport::statuses;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

using TestSupport::column;

// A window set up to convert with the stand-in, in the host's flavour, taking
// folders with their subfolders.
std::unique_ptr<CorvaneGUI> libraryWindow() {
    auto window = TestSupport::makeWindow();
    G::system = TestSupport::hostFlavour();
    G::fieldImfCopy->setText(TestSupport::fakeConverter());
    G::itemIncludeSubfolders->trigger();
    return window;
}

void addDirectory(const QString& folder) {
    T::queueFiles(Dialogs::FileAnswer{{native(folder)}, -1});
    QTest::mouseClick(G::buttonAddDirectory, Qt::LeftButton);
    QVERIFY(TestSupport::finishScan());
}

bool dropIsTaken(const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(G::table->viewport()->rect().center(), Qt::CopyAction, &data,
                          Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(G::table->viewport(), &enter);
    return enter.isAccepted();
}
} // namespace

class TestLibraries : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void foldersBelowAreAddedInNameOrder();
    void outputDirectoryMirrorsTheTree();
    void scanningLocksAddingAndProcess();
    void processMakesTheMirroredFolders();
    void exportedScriptBuildsTheMirroredTree();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QString image(const QString& name) const {
        QDir().mkpath(QFileInfo(path(name)).absolutePath());
        TestSupport::writeImage(path(name));
        return native(path(name));
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDirectory;
};

void TestLibraries::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_previousDirectory = QDir::currentPath();
    QVERIFY(QDir(m_dir->path()).mkdir("work"));
    QDir::setCurrent(m_dir->filePath("work"));
    TestSupport::useCacheFolder(m_dir->filePath("cache"));
}

void TestLibraries::cleanup() {
    QDir::setCurrent(m_previousDirectory);
    TestFiles::removeTree(m_dir->path());
    m_dir->setAutoRemove(false); // gone already, names it could not hold included
    m_dir.reset();
}

void TestLibraries::foldersBelowAreAddedInNameOrder() {
    const QStringList library{image("lib/top.png"), image("lib/body/diffuse.tif"),
                              image("lib/body/normal.PNG"), image("lib/tile2/a.png"),
                              image("lib/tile10/a.png")};
    image("lib/.cache/thumb.png"); // hidden: never added
    auto window = TestSupport::makeWindow();

    // Unticked at start: the folder's own images only, as always.
    QVERIFY(!G::includeSubfolders);
    addDirectory(path("lib"));
    QCOMPARE(column(1), QStringList{library[0]});

    G::model->clear();
    G::itemIncludeSubfolders->trigger();
    QVERIFY(G::includeSubfolders);
    addDirectory(path("lib"));
    QCOMPARE(column(1), library);
    QCOMPARE(column(2).first(), native(path("lib/top.map"))); // beside the source, as always
    QVERIFY(T::messages().empty());

    // A dropped folder is taken the same way, after what is there.
    QVERIFY(dropIsTaken(path("lib/body")));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("lib/body"))});
    QDropEvent drop(G::table->viewport()->rect().center(), Qt::CopyAction, &data, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(G::table->viewport(), &drop);
    QVERIFY(TestSupport::finishScan());
    QCOMPARE(column(1).mid(5), library.mid(1, 2));

    // Folders that cannot be read are skipped, counted and told once.
    QVERIFY(TestFiles::makeUnreadableFolder(path("lib")));
    QVERIFY(TestFiles::makeUnreadableFolder(path("lib/tile2")));
    G::model->clear();
    addDirectory(path("lib"));
    QCOMPARE(column(1), library);
    QCOMPARE(T::messages().size(), size_t(1));
    QCOMPARE(T::messages().back().kind, Kind::Warning);
    QCOMPARE(T::messages().back().title, "Corvane");
    QCOMPARE(T::messages().back().text, "2 folders could not be read.");
    addDirectory(path("lib/tile2"));
    QCOMPARE(T::messages().back().text, "1 folder could not be read.");
}

void TestLibraries::outputDirectoryMirrorsTheTree() {
    const QStringList library{image("lib/top.png"), image("lib/body/diffuse.tif"),
                              image("lib/head/diffuse.tif")};
    auto window = libraryWindow();
    addDirectory(path("lib"));
    G::addImageRow(image("loose/diffuse.png")); // added alone: its own folder is its root
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(native(path("out")));
    const QStringList mirrored{native(path("out/top.map")), native(path("out/body/diffuse.map")),
                               native(path("out/head/diffuse.map")),
                               native(path("out/diffuse.map"))};
    QCOMPARE(column(2), mirrored);
    for (int row = 0; row < 4; ++row)
        QCOMPARE(G::commandTargetPath(row).value_or(""), mirrored[row]);

    // A row added while the directory is in use shows its place beside the
    // source until the next change, but its line already mirrors.
    addDirectory(path("lib"));
    QCOMPARE(G::model->row(5).newImage, native(path("lib/body/diffuse.map")));
    QCOMPARE(G::commandTargetPath(5).value_or(""), mirrored[1]);
    QVERIFY(G::buildConverterCommand(5).value_or("").endsWith('"' + mirrored[1] + '"'));

    // Beside the sources nothing changes.
    G::checkSameDirectory->setChecked(true);
    QCOMPARE(column(2).first(), native(path("lib/top.map")));
    QCOMPARE(G::commandTargetPath(1).value_or(""), native(path("lib/body/diffuse.map")));

    // Reset forgets the folders with the rows.
    T::queueAnswer(true);
    QTest::mouseClick(G::buttonReset, Qt::LeftButton);
    QCOMPARE(G::model->roots().size(), 1);
}

void TestLibraries::scanningLocksAddingAndProcess() {
    image("lib/a.png");
    image("lib/sub/b.png");
    auto window = libraryWindow();
    G::scanAndAdd({path("lib")});
    QVERIFY(G::activeScan);
    for (QWidget* locked :
         {static_cast<QWidget*>(G::buttonAddImages), static_cast<QWidget*>(G::buttonAddDirectory),
          static_cast<QWidget*>(G::buttonProcess)})
        QVERIFY(!locked->isEnabled());
    QVERIFY(!dropIsTaken(path("lib")));
    G::processImages();
    QVERIFY(!G::activeRun);
    G::scanAndAdd({path("lib/sub")}); // one scan at a time
    QVERIFY(TestSupport::finishScan());
    QCOMPARE(column(1), QStringList({native(path("lib/a.png")), native(path("lib/sub/b.png"))}));
    QVERIFY(G::buttonAddDirectory->isEnabled() && G::buttonProcess->isEnabled());
    QVERIFY(dropIsTaken(path("lib")));

    // Cancel adds nothing, however far the scan had come.
    G::scanAndAdd({path("lib")});
    auto* dialog = G::frame->findChild<ScanProgressDialog*>();
    QVERIFY(dialog);
    QCOMPARE(dialog->labelText(), "Scanning\u2026 0 images in 0 folders");
    dialog->follow(12345, 310);
    QCOMPARE(dialog->labelText(), "Scanning\u2026 12,345 images in 310 folders");
    dialog->follow(1, 1);
    QCOMPARE(dialog->labelText(), "Scanning\u2026 1 image in 1 folder");
    dialog->findChild<QPushButton*>()->click(); // its Cancel
    QVERIFY(TestSupport::finishScan());
    QCOMPARE(G::model->rowCount(), 2);
    QVERIFY(!G::frame->findChild<ScanProgressDialog*>());
    QVERIFY(G::buttonAddDirectory->isEnabled() && G::buttonProcess->isEnabled());
    // So do Escape and the dialog's close button.
    G::scanAndAdd({path("lib")});
    G::frame->findChild<ScanProgressDialog*>()->reject();
    QVERIFY(TestSupport::finishScan());
    QCOMPARE(G::model->rowCount(), 2);
    QVERIFY(T::messages().empty());
}

void TestLibraries::processMakesTheMirroredFolders() {
    image("lib/top.png");
    image("lib/blocked/x.png");
    image("lib/body/diffuse.png");
    image("lib/head/eyes/diffuse.png");
    // A file where the output tree needs a folder: that folder cannot be made.
    QVERIFY(QDir().mkpath(path("out")));
    QVERIFY(TestSupport::writeFile(path("out/blocked"), "in the way"));
    auto window = libraryWindow();
    addDirectory(path("lib"));
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(native(path("out")));
    G::processImages();
    QVERIFY(TestSupport::finishRun());

    QVERIFY(T::questions().empty()); // two "diffuse" in two folders do not clash
    QCOMPARE(statuses(), QStringList({"Converted", "Failed", "Converted", "Converted"}));
    for (const char* map : {"out/top.map", "out/body/diffuse.map", "out/head/eyes/diffuse.map"})
        QVERIFY2(QFileInfo(path(map)).size() > 0, map);
    const T::Message& box = T::messages().back();
    QCOMPARE(box.kind, Kind::Error);
    QCOMPARE(box.text, "Error Creating Folder");
    const QString reason = "The folder \"" + native(path("out/blocked")) + "\" could not be made: ";
    QVERIFY2(box.details.contains(native(path("lib/blocked/x.png")) + "\n    " + reason),
             qPrintable(box.details));
    QVERIFY(G::model->index(1, 3).data(Qt::ToolTipRole).toString().startsWith(reason));

    // Open File and Open Folder find what the line wrote.
    G::table->selectRow(2);
    G::ListenerTableOpenFile{}.actionPerformed();
    G::ListenerTableOpenFolder{}.actionPerformed();
    QCOMPARE(T::openedUrls().size(), size_t(2));
    QCOMPARE(T::openedUrls()[0], QUrl::fromLocalFile(path("out/body/diffuse.map")));
    QCOMPARE(T::openedUrls()[1], QUrl::fromLocalFile(path("out/body")));

    // Skip Up-to-Date looks in the mirrored folders too: once the way is
    // clear only the failed row runs.
    QVERIFY(QFile::remove(path("out/blocked")));
    G::itemSkipUpToDate->trigger();
    for (int row = 0; row < 4; ++row)
        G::model->setProcess(row, true);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(T::messages().back().text, "Processed Successfully\n\n3 images were up to date.");
    QCOMPARE(statuses(), QStringList(4, "Converted"));
    QVERIFY(QFileInfo(path("out/blocked/x.map")).size() > 0);
}

void TestLibraries::exportedScriptBuildsTheMirroredTree() {
#ifdef Q_OS_WIN
    // Windows names hold no quote; the batch file goes in the machine's code page, whose
    // Western European pages (437, 850) both hold these letters.
    const QStringList folders{"with space", "%PATH% and $HOME", "100% & more!", "ünïcé (b) ^",
                              "back`tick`/and (deeper)"};
#else
    const QStringList folders{"with space",   "quote\"d",  "dollar $HOME",
                              "100% & more!", "ünïcødé ĳ", "back`tick`/and (deeper)"};
#endif
    QStringList relatives{"top.png"};
    for (const QString& folder : folders)
        relatives << folder + "/diffuse.png";
    for (const QString& relative : relatives)
        image("lib/" + relative);
    auto window = libraryWindow();
    addDirectory(path("lib"));
    QCOMPARE(G::model->rowCount(), relatives.size());
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(native(path("out put")));
    T::queueFiles(Dialogs::FileAnswer{{path("later")}, 1});
    G::createScript();
    QCOMPARE(T::messages().back().text, "Script created!");
    QVERIFY(T::questions().empty());
    QVERIFY(!QFile::exists(path("out put"))); // made by the script, not by the export

    QCOMPARE(TestSupport::runSavedScript(path("later")), 0);
    for (QString relative : relatives) {
        relative.replace(".png", ".map");
        QVERIFY2(QFileInfo(path("out put/" + relative)).size() > 0, qPrintable(relative));
    }
    QVERIFY(!QFile::exists(path("work/HOME")) && !QFile::exists(path("out put/dollar ")));
}

QTEST_MAIN(TestLibraries)
#include "test_libraries.moc"
