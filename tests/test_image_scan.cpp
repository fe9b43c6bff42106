// Looking through folders for images: a real tree on disk, on a worker thread.
#include "joblist/scan/ImageScan.h"
#include "testsupport/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QStringList allImages(const ScanResult& result) {
    QStringList images;
    for (const ImageGroup& group : result.groups)
        images << group.images;
    return images;
}

ScanResult scan(const QStringList& paths, bool subfolders) {
    ScanCounters counters;
    return scanForImages(ScanRequest{paths, subfolders}, counters);
}
} // namespace

class TestImageScan : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void wholeTreeInNameOrder();
    void withoutSubfoldersAsAlways();
    void filesAndFoldersDroppedTogether();
    void foldersThatCannotBeRead();
    void onAWorkerThread();
    void cancelAddsNothing();
    void capitalExtensionsInEveryLanguage();

private:
    QString lib(const QString& name = {}) const {
        return name.isEmpty() ? m_dir->filePath("lib") : m_dir->filePath("lib/" + name);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestImageScan::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // Folders four deep, a folder named like an image, a hidden folder, and
    // names whose numbers a plain comparison would put in the wrong order.
    for (const char* folder :
         {"lib/tile2/deeper/d1/d2", "lib/tile10", "lib/Folder.png", "lib/.git"})
        QVERIFY(QDir(m_dir->path()).mkpath(folder));
    for (const char* file :
         {"lib/b10.png", "lib/b2.png", "lib/a.PNG", "lib/notes.txt", "lib/tile10/x.png",
          "lib/tile2/y.png", "lib/tile2/deeper/d1/d2/z.tif", "lib/Folder.png/inner.jpg",
          "lib/.git/secret.png", "single.tga", "notes.png.txt"})
        QVERIFY(TestFiles::writeFile(m_dir->filePath(file), "x"));
    // A loop back to the top, a link to a folder, a link to a file (taken, as
    // "Add Directory" always took them) and one that leads nowhere.
    QVERIFY(TestFiles::makeSymlink(lib(), lib("loop")));
    QVERIFY(TestFiles::makeSymlink(lib("tile2"), lib("tile2/deeper/to_tile2")));
    QVERIFY(TestFiles::makeSymlink(lib("b2.png"), lib("linked.png")));
    QVERIFY(TestFiles::makeSymlink(lib("gone.png"), lib("dangling.png")));
}

void TestImageScan::cleanup() {
    TestFiles::removeTree(m_dir->path());
    m_dir->setAutoRemove(false); // gone already, names it could not hold included
    m_dir.reset();
}

void TestImageScan::wholeTreeInNameOrder() {
    const ScanResult result = scan({lib()}, true);
    QCOMPARE(result.groups.size(), size_t(1));
    QCOMPARE(result.groups[0].root, native(lib()));
    // The folder's own images, then each subfolder depth first.
    QCOMPARE(allImages(result),
             QStringList({native(lib("a.PNG")), native(lib("b2.png")), native(lib("b10.png")),
                          native(lib("linked.png")), native(lib("Folder.png/inner.jpg")),
                          native(lib("tile2/y.png")), native(lib("tile2/deeper/d1/d2/z.tif")),
                          native(lib("tile10/x.png"))}));
    QCOMPARE(result.images, 8);
    QCOMPARE(result.folders, 7); // lib, Folder.png, tile2, deeper, d1, d2, tile10
    QCOMPARE(result.unreadableFolders, 0);
    QVERIFY(!result.cancelled);

    // The root as chosen, with a separator at its end or not.
    QCOMPARE(allImages(scan({lib() + "/"}, true)), allImages(result));
    QCOMPARE(scan({lib() + "/"}, true).groups[0].root, native(lib()));
}

void TestImageScan::withoutSubfoldersAsAlways() {
    const ScanResult result = scan({lib()}, false);
    QCOMPARE(result.groups.size(), size_t(1));
    QCOMPARE(result.groups[0].root, QString()); // each image's own folder: nothing mirrored
    QStringList images = result.groups[0].images;
    images.sort(); // the file system's listing order
    QCOMPARE(images, QStringList({native(lib("a.PNG")), native(lib("b10.png")),
                                  native(lib("b2.png")), native(lib("linked.png"))}));
    // A folder that is not there is no news without subfolders.
    const ScanResult missing = scan({m_dir->filePath("missing")}, false);
    QVERIFY(missing.groups.empty());
    QCOMPARE(missing.unreadableFolders, 0);
}

void TestImageScan::filesAndFoldersDroppedTogether() {
    const ScanResult result = scan({m_dir->filePath("single.tga"), lib("tile10"),
                                    m_dir->filePath("notes.png.txt"), lib("b2.png")},
                                   true);
    QCOMPARE(result.groups.size(), size_t(3));
    QCOMPARE(result.groups[0].root, QString());
    QCOMPARE(result.groups[0].images, QStringList{native(m_dir->filePath("single.tga"))});
    QCOMPARE(result.groups[1].root, native(lib("tile10")));
    QCOMPARE(result.groups[1].images, QStringList{native(lib("tile10/x.png"))});
    QCOMPARE(result.groups[2].root, QString());
    QCOMPARE(result.groups[2].images, QStringList{native(lib("b2.png"))});
}

void TestImageScan::foldersThatCannotBeRead() {
    // As root no permission bits stop the scan: a name that is not UTF-8
    // cannot be opened by any path the program holds.
    QVERIFY(TestFiles::makeUnreadableFolder(lib("tile10")));
    QVERIFY(TestFiles::makeUnreadableFolder(lib()));
    const ScanResult result = scan({lib(), m_dir->filePath("missing")}, true);
    QCOMPARE(result.unreadableFolders, 3);
    QCOMPARE(result.images, 8); // everything else is still there
    QVERIFY(!allImages(result).join('\n').contains("hidden_from_us"));
}

void TestImageScan::onAWorkerThread() {
    ImageScan scanner(ScanRequest{{lib()}, true});
    QSignalSpy finished(&scanner, &ImageScan::finished);
    QSignalSpy progressed(&scanner, &ImageScan::progressed);
    scanner.start();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.size(), 1);
    // The last word on progress is the whole count.
    QVERIFY(!progressed.isEmpty());
    QCOMPARE(progressed.last().at(0).toInt(), 8);
    QCOMPARE(progressed.last().at(1).toInt(), 7);
    const ScanResult result = scanner.takeResult();
    QCOMPARE(result.images, 8);
    QCOMPARE(allImages(result), allImages(scan({lib()}, true)));
}

void TestImageScan::cancelAddsNothing() {
    ScanCounters counters;
    counters.cancel = true;
    const ScanResult early = scanForImages(ScanRequest{{lib()}, true}, counters);
    QVERIFY(early.cancelled && early.groups.empty());

    // Cancelled after the worker is done, before its end is heard: still nothing.
    ImageScan scanner(ScanRequest{{lib()}, true});
    QSignalSpy finished(&scanner, &ImageScan::finished);
    scanner.start();
    QThread::msleep(200);
    scanner.cancel();
    QVERIFY(finished.wait(10000));
    const ScanResult late = scanner.takeResult();
    QVERIFY(late.cancelled);
    QVERIFY(late.groups.empty());

    // A scan deleted while it runs stops its thread first.
    auto running = std::make_unique<ImageScan>(ScanRequest{{m_dir->path()}, true});
    running->start();
    running.reset();
}

// CTest runs this suite under Turkish and German locales too, where a
// language's own lower case of "TIF", "GIF" and "IFF" has a dotless i.
void TestImageScan::capitalExtensionsInEveryLanguage() {
    const QString folder = m_dir->filePath("caps");
    QVERIFY(QDir(m_dir->path()).mkpath("caps/sub"));
    for (const char* file : {"caps/PHOTO.TIF", "caps/LOGO.GIF", "caps/sub/SKIN.IFF", "caps/X.TXT"})
        QVERIFY(TestFiles::writeFile(m_dir->filePath(file), "x"));
    const QStringList found = {native(folder + "/LOGO.GIF"), native(folder + "/PHOTO.TIF"),
                               native(folder + "/sub/SKIN.IFF")};
    QCOMPARE(allImages(scan({folder}, true)), found);
    QStringList direct = allImages(scan({folder}, false));
    direct.sort();
    QCOMPARE(direct, found.mid(0, 2));
    QCOMPARE(allImages(scan({folder + "/sub/SKIN.IFF"}, false)), found.mid(2));
}

QTEST_GUILESS_MAIN(TestImageScan)
#include "test_image_scan.moc"
