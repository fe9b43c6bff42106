// Filling the table through the add dialogs, and the output-directory controls.
#include "app/CorvaneGUI.h"
#include "app/FileFilterProxyModel.h"
#include "joblist/JobTableModel.h"
#include "joblist/rules/ImagesFilter.h"
#include "joblist/rules/TargetPaths.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;

using TestSupport::column;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

void touch(const QString& path) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}
} // namespace

class TestAdding : public QObject {
    Q_OBJECT
private slots:
    void addImagesDialogAndRows();
    void addImagesCancelledChangesNothing();
    void dialogListsWhatTheFilterAccepts();
    void addDirectoryTakesImageFilesOnly();
    void unreadableDirectoryAddsNothing();
    void outputDirectoryRewritesTargets();
    void recomputationStopsAtTheFirstRowItCannotPlace();
    void browsingForTheOutputDirectory();
    void keystrokeNotifiesOnce();
    void enablingRulesOfTheFlagControls();
    void converterBrowseButton();
    void converterLineFromTheControls();
};

void TestAdding::addImagesDialogAndRows() {
    auto window = TestSupport::makeWindow();
    T::queueFiles(Dialogs::FileAnswer{
        {"/pics/a.png", "/pics/typed-without-extension", "/pics/b.JPG", "/pics/a.png"}, 0});
    QTest::mouseClick(G::buttonAddImages, Qt::LeftButton);

    QCOMPARE(T::fileRequests().size(), size_t(1));
    const Dialogs::FileRequest& request = T::fileRequests().front();
    QCOMPARE(request.title, "Select Images");
    QCOMPARE(request.mode, Dialogs::FileMode::OpenFiles);
    QCOMPARE(request.startDirectory, G::chooserDirectory);
    QVERIFY(!request.allFilesChoice);
    QCOMPARE(request.filters.size(), size_t(1));
    QCOMPARE(request.filters[0]->description(), "Image files (jpg, png, gif, bmp, tga, tif, iff)");

    // The file without an extension is skipped; duplicates are separate rows.
    QCOMPARE(column(1), QStringList({"/pics/a.png", "/pics/b.JPG", "/pics/a.png"}));
    QCOMPARE(column(2), QStringList({"/pics/a.map", "/pics/b.map", "/pics/a.map"}));
    QCOMPARE(column(3), QStringList(3, "Unprocessed"));
    for (const JobRow& row : G::model->rows())
        QVERIFY(row.process);
}

void TestAdding::addImagesCancelledChangesNothing() {
    auto window = TestSupport::makeWindow();
    T::queueFiles(std::nullopt);
    G::ListenerAddImages{}.actionPerformed();
    G::ListenerAddDirectory{}.actionPerformed(); // nothing queued: cancelled too
    QCOMPARE(G::model->rowCount(), 0);
}

void TestAdding::dialogListsWhatTheFilterAccepts() {
    QTemporaryDir dir;
    for (const char* name : {"a.png", "B.PNG", "c.Jpg", "d.jpeg", "e.tiff", "notes.txt"})
        touch(dir.filePath(name));
    QVERIFY(QDir(dir.path()).mkdir("sub.folder"));

    QFileSystemModel files;
    QSignalSpy loaded(&files, &QFileSystemModel::directoryLoaded);
    const QModelIndex root = files.setRootPath(dir.path());
    QVERIFY(loaded.wait(5000));
    FileFilterProxyModel proxy({std::make_shared<ImagesFilter>()});
    proxy.setSourceModel(&files);
    proxy.setActiveFilter(0);
    const QModelIndex proxyRoot = proxy.mapFromSource(root);
    QStringList listed;
    for (int row = 0; row < proxy.rowCount(proxyRoot); ++row)
        listed << proxy.index(row, 0, proxyRoot).data().toString();
    listed.sort();
    QCOMPARE(listed, QStringList({"B.PNG", "a.png", "c.Jpg", "sub.folder"}));

    proxy.setActiveFilter(-1); // the dialog's own "everything" choice
    QCOMPARE(proxy.rowCount(proxyRoot), 7);
}

void TestAdding::addDirectoryTakesImageFilesOnly() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (const char* name : {"a.jpg", "b.JPG", "c.jpeg", "d.tif", "noextension", ".png", "x.Tga"})
        touch(dir.filePath(name));
    QVERIFY(QDir(dir.path()).mkpath("e.png/inner.png")); // folders never count, nor their insides

    auto window = TestSupport::makeWindow();
    T::queueFiles(Dialogs::FileAnswer{{native(dir.path())}, -1});
    QTest::mouseClick(G::buttonAddDirectory, Qt::LeftButton);
    QVERIFY(TestSupport::finishScan());
    const Dialogs::FileRequest& request = T::fileRequests().front();
    QCOMPARE(request.title, "Select Directory of Images");
    QCOMPARE(request.mode, Dialogs::FileMode::Directory);

    QStringList added = column(1);
    added.sort(); // the listing order is the file system's
    QCOMPARE(added, QStringList({native(dir.filePath("a.jpg")), native(dir.filePath("b.JPG")),
                                 native(dir.filePath("d.tif")), native(dir.filePath("x.Tga"))}));
    QCOMPARE(G::model->row(0).newImage, *sameDirectoryTarget(G::model->row(0).image));
}

void TestAdding::unreadableDirectoryAddsNothing() {
    auto window = TestSupport::makeWindow();
    T::queueFiles(Dialogs::FileAnswer{{"/no/such/folder/anywhere"}, -1});
    G::ListenerAddDirectory{}.actionPerformed();
    QVERIFY(TestSupport::finishScan());
    QCOMPARE(G::model->rowCount(), 0);
    QVERIFY(T::messages().empty()); // as it always was without subfolders: nothing to tell
}

void TestAdding::outputDirectoryRewritesTargets() {
    auto window = TestSupport::makeWindow();
    G::addImageRows({R"(C:\pics\photo.png)", "/home/ann/b.tga"});
    G::checkSameDirectory->setChecked(false);
    QVERIFY(G::fieldDirectory->isEnabled() && G::labelDirectory->isEnabled() &&
            G::buttonDirectoryBrowse->isEnabled());
    QCOMPARE(column(2), QStringList({R"(\photo.map)", "/b.map"}));

    G::fieldDirectory->setFocus();
    QTest::keyClicks(G::fieldDirectory, "D");
    QCOMPARE(column(2), QStringList({R"(D\photo.map)", "D/b.map"}));
    QTest::keyClicks(G::fieldDirectory, ":");
    QCOMPARE(column(2), QStringList({R"(D:\photo.map)", "D:/b.map"}));
    G::fieldDirectory->setText(R"(D:\out\)");
    QCOMPARE(column(2), QStringList({R"(D:\out\\photo.map)", R"(D:\out\/b.map)"}));

    // A row added while the output folder is in use starts beside its source,
    // until the next change of the output controls.
    G::addImageRow("/new/c.png");
    QCOMPARE(G::model->row(2).newImage, "/new/c.map");
    G::checkSameDirectory->setChecked(true);
    QVERIFY(!G::fieldDirectory->isEnabled() && !G::labelDirectory->isEnabled() &&
            !G::buttonDirectoryBrowse->isEnabled());
    QCOMPARE(column(2), QStringList({R"(C:\pics\photo.map)", "/home/ann/b.map", "/new/c.map"}));
}

void TestAdding::recomputationStopsAtTheFirstRowItCannotPlace() {
    auto window = TestSupport::makeWindow();
    G::addImageRows({"/a/one.png", "two.png", "/a/three.png"});
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText("/out");
    QCOMPARE(column(2), QStringList({"/out/one.map", "two.map", "/a/three.map"}));
}

void TestAdding::browsingForTheOutputDirectory() {
    QTemporaryDir dir;
    auto window = TestSupport::makeWindow();
    G::addImageRow("/pics/a.png");
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText("/start/here");
    T::queueFiles(std::nullopt);
    QTest::mouseClick(G::buttonDirectoryBrowse, Qt::LeftButton);
    QCOMPARE(G::fieldDirectory->text(), "/start/here"); // cancelled: unchanged
    const Dialogs::FileRequest& request = T::fileRequests().back();
    QCOMPARE(request.title, "Select Directory for Processed Images");
    QCOMPARE(request.acceptLabel, "Open");
    QCOMPARE(request.startDirectory, "/start/here");
    QCOMPARE(request.mode, Dialogs::FileMode::Directory);

    T::queueFiles(Dialogs::FileAnswer{{dir.path()}, -1});
    QTest::mouseClick(G::buttonDirectoryBrowse, Qt::LeftButton);
    QCOMPARE(G::fieldDirectory->text(), native(dir.path()));
    QCOMPARE(G::model->row(0).newImage, native(dir.path()) + "/a.map");
}

void TestAdding::keystrokeNotifiesOnce() {
    auto window = TestSupport::makeWindow();
    QStringList paths;
    for (int i = 0; i < 5000; ++i)
        paths << QString("/textures/set%1/albedo_%2.png").arg(i % 7).arg(i);
    G::addImageRows(paths);
    G::checkSameDirectory->setChecked(false);
    QSignalSpy changed(G::model, &QAbstractItemModel::dataChanged);
    QTest::keyClicks(G::fieldDirectory, "x");
    QCOMPARE(changed.size(), 1);
    QCOMPARE(G::model->row(4999).newImage, "x/albedo_4999.map");
}

void TestAdding::enablingRulesOfTheFlagControls() {
    auto window = TestSupport::makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    auto click = [](QCheckBox* box) {
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    };

    click(G::checkGamma);
    QVERIFY(G::checkGamma->isChecked() && G::fieldGamma->isEnabled());
    click(G::checkFilter);
    QVERIFY(G::fieldFilter->isEnabled());
    click(G::checkFilter);
    QVERIFY(!G::fieldFilter->isEnabled());

    click(G::checkCustom);
    QVERIFY(G::fieldCustom->isEnabled());
    for (QCheckBox* box : {G::checkPyramid, G::checkTile, G::checkGamma, G::checkFilter})
        QVERIFY(!box->isEnabled());
    QVERIFY(!G::fieldGamma->isEnabled() && !G::fieldFilter->isEnabled());
    QVERIFY(G::checkGamma->isChecked()); // ticks are never changed

    click(G::checkCustom);
    QVERIFY(!G::fieldCustom->isEnabled());
    for (QCheckBox* box : {G::checkPyramid, G::checkTile, G::checkGamma, G::checkFilter})
        QVERIFY(box->isEnabled());
    QVERIFY(G::fieldGamma->isEnabled());   // its box is ticked
    QVERIFY(!G::fieldFilter->isEnabled()); // its box is not

    G::fieldGamma->setText("2.2");
    G::fieldFilter->setText("3");
    QCOMPARE(G::buildFlagString(), "-p -g 2.2 ");
    click(G::checkCustom);
    G::fieldCustom->setText("-r -k 4");
    QCOMPARE(G::buildFlagString(), "-r -k 4");
}

void TestAdding::converterBrowseButton() {
    auto window = TestSupport::makeWindow();
    T::queueFiles(std::nullopt);
    QTest::mouseClick(G::buttonImfCopyBrowse, Qt::LeftButton);
    QCOMPARE(G::fieldImfCopy->text(), "imf_copy");
    const Dialogs::FileRequest& request = T::fileRequests().back();
    QCOMPARE(request.mode, Dialogs::FileMode::OpenFile);
    QCOMPARE(request.filters.size(), size_t(1));
    QCOMPARE(request.filters[0]->description(), "imf_copy application");
    QVERIFY(request.allFilesChoice);

    T::queueFiles(Dialogs::FileAnswer{{native("/opt/maya/bin/imf_copy")}, -1});
    QTest::mouseClick(G::buttonImfCopyBrowse, Qt::LeftButton);
    QCOMPARE(G::fieldImfCopy->text(), native("/opt/maya/bin/imf_copy"));
    QCOMPARE(G::imfCopyDefault, "imf_copy");
}

void TestAdding::converterLineFromTheControls() {
    auto window = TestSupport::makeWindow("Windows 10");
    G::model->appendRow(JobRow{true, R"(C:\img\a.png)", R"(C:\img\a.map)", Status::Unprocessed});
    G::fieldImfCopy->setText(R"(C:\Maya\bin\imf_copy.exe)");
    G::checkTile->setChecked(true);
    G::checkGamma->setChecked(true);
    G::fieldGamma->setText("2.2");
    G::checkFilter->setChecked(true);
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(R"(D:\out)");
    QCOMPARE(G::buildConverterCommand(0).value_or("failed"),
             R"("C:\Maya\bin\imf_copy.exe" -p -r -g 2.2 -f 1.0  "C:\img\a.png" "D:\out\a.map")");

    G::fieldImfCopy->setText("imf_copy");
    G::checkCustom->setChecked(true);
    G::fieldCustom->setText("-r");
    G::checkSameDirectory->setChecked(true);
    QCOMPARE(G::buildConverterCommand(0).value_or("failed"),
             R"(imf_copy -r "C:\img\a.png" "C:\img\a.map")");

    G::model->appendRow(JobRow{true, "a.png", "a.map", Status::Unprocessed});
    G::checkSameDirectory->setChecked(false);
    QVERIFY(!G::commandTargetPath(1)); // no separator to put the folder in front of
    QVERIFY(!G::buildConverterCommand(1));
}

QTEST_MAIN(TestAdding)
#include "test_adding.moc"
