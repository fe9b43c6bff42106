// Where a row's .map file goes: the "New Image" column beside the source or
// in the output directory, and the file a converter line writes.
#include "joblist/rules/TargetPaths.h"

#include "joblist/rules/ImageRoots.h"
#include "joblist/rules/JobRow.h"

#include <QTest>

class TestTargetPaths : public QObject {
    Q_OBJECT
private slots:
    void targets_data();
    void targets();
    void lineTargets_data();
    void lineTargets();
    void mirroredTargets_data();
    void mirroredTargets();
    void rootsAreSharedByIndex();
    void lastSeparatorAtEveryPlace();
};

void TestTargetPaths::targets_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("beside");   // "" when it fails
    QTest::addColumn<QString>("inFolder"); // "" when it fails
    QTest::newRow("windows path") << R"(C:\pics\photo.png)"
                                  << R"(D:\out)"
                                  << R"(C:\pics\photo.map)"
                                  << R"(D:\out\photo.map)";
    QTest::newRow("only the last extension") << R"(C:\pics\archive.tar.png)"
                                             << R"(D:\out)"
                                             << R"(C:\pics\archive.tar.map)"
                                             << R"(D:\out\archive.tar.map)";
    QTest::newRow("empty directory") << R"(C:\pics\photo.png)"
                                     << ""
                                     << R"(C:\pics\photo.map)"
                                     << R"(\photo.map)";
    QTest::newRow("trailing separator kept doubled") << R"(C:\pics\photo.png)"
                                                     << R"(D:\out\)"
                                                     << R"(C:\pics\photo.map)"
                                                     << R"(D:\out\\photo.map)";
    QTest::newRow("a share") << R"(\\server\share\pics\photo.png)"
                             << R"(\\nas\maps)"
                             << R"(\\server\share\pics\photo.map)"
                             << R"(\\nas\maps\photo.map)";
    QTest::newRow("forward slashes") << "/home/ann/pics/photo.png"
                                     << "/srv/maps"
                                     << "/home/ann/pics/photo.map"
                                     << "/srv/maps/photo.map";
    QTest::newRow("later separator wins") << R"(C:\pics/sub\photo.png)"
                                          << "D:"
                                          << R"(C:\pics/sub\photo.map)"
                                          << R"(D:\photo.map)";
    QTest::newRow("no separator") << "photo.png"
                                  << "/out"
                                  << "photo.map"
                                  << "";
    QTest::newRow("no dot") << "/pics/photo"
                            << "/out"
                            << ""
                            << "";
    QTest::newRow("dot only in a folder") << "/pics.old/photo"
                                          << "/out"
                                          << "/pics.map"
                                          << "";
}

void TestTargetPaths::targets() {
    QFETCH(QString, source);
    QFETCH(QString, directory);
    QFETCH(QString, beside);
    QFETCH(QString, inFolder);
    QCOMPARE(sameDirectoryTarget(source).value_or(QString()), beside);
    QCOMPARE(outputDirectoryTarget(source, directory).value_or(QString()), inFolder);
}

void TestTargetPaths::lineTargets_data() {
    QTest::addColumn<QString>("rowTarget");
    QTest::addColumn<bool>("sameDirectory");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("written"); // "" when it cannot be placed
    QTest::newRow("beside the source: the column as it is")
        << R"(C:\img\a.map)" << true << R"(D:\out)"
        << R"(C:\img\a.map)";
    QTest::newRow("into the directory") << R"(C:\img\a.map)" << false << R"(D:\out)"
                                        << R"(D:\out\a.map)";
    QTest::newRow("trailing separator kept doubled") << R"(C:\img\a.map)" << false << R"(D:\out\)"
                                                     << R"(D:\out\\a.map)";
    QTest::newRow("empty directory") << R"(C:\img\a.map)" << false << ""
                                     << R"(\a.map)";
    QTest::newRow("forward slashes") << "/home/ann/a.map" << false << "/srv"
                                     << "/srv/a.map";
    QTest::newRow("no separator") << "a.map" << false << "/out"
                                  << "";
    QTest::newRow("no separator, beside the source") << "a.map" << true << "/out"
                                                     << "a.map";
}

void TestTargetPaths::lineTargets() {
    QFETCH(QString, rowTarget);
    QFETCH(bool, sameDirectory);
    QFETCH(QString, directory);
    QFETCH(QString, written);
    const OutputChoice output{sameDirectory, directory};
    const JobRow row{true, QString(rowTarget).replace(".map", ".png"), rowTarget,
                     Status::Unprocessed};
    const ImageRoots roots;
    QCOMPARE(commandTargetPath(row, roots, output).value_or(QString()), written);
    if (const std::optional<LineTarget> pieces = lineTarget(row, roots, output)) {
        QVERIFY(pieces->folders.isEmpty()); // an image's own folder mirrors nothing
        QCOMPARE(pieces->directory.toString() + pieces->rest.toString(), written);
    }
}

void TestTargetPaths::mirroredTargets_data() {
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("folder"); // the one to make; "" when nothing is mirrored
    auto row = [](const char* name, const char* image, const char* root, const char* directory,
                  const char* target, const char* folder) {
        QTest::newRow(name) << image << root << directory << target << folder;
    };
    row("bash paths", "/lib/assets/characters/hero/body/diffuse.tif", "/lib/assets", "/out",
        "/out/characters/hero/body/diffuse.map", "/out/characters/hero/body");
    row("batch paths", R"(C:\lib\assets\body\diffuse.tif)", R"(C:\lib\assets)", R"(D:\out)",
        R"(D:\out\body\diffuse.map)", R"(D:\out\body)");
    row("mixed separators kept as they are", R"(C:\lib/body\a.png)", R"(C:\lib)", R"(D:\out)",
        R"(D:\out/body\a.map)", R"(D:\out/body)");
    row("a drive as root", R"(E:\tex\stone\wall.png)", R"(E:\)", R"(D:\out)",
        R"(D:\out\tex\stone\wall.map)", R"(D:\out\tex\stone)");
    row("a drive without its separator", R"(E:\tex\wall.png)", "E:", R"(D:\out)",
        R"(D:\out\tex\wall.map)", R"(D:\out\tex)");
    row("a share as root and as directory", R"(\\server\tex\stone\wall.png)", R"(\\server\tex)",
        R"(\\nas\out)", R"(\\nas\out\stone\wall.map)", R"(\\nas\out\stone)");
    row("a share's root with its separator, mixed separators below", R"(\\server\tex\a/wall.png)",
        R"(\\server\tex\)", R"(\\nas\out)", R"(\\nas\out\a/wall.map)", R"(\\nas\out\a)");
    row("the file system's root", "/tex/stone/wall.png", "/", "/out", "/out/tex/stone/wall.map",
        "/out/tex/stone");
    row("a root with its separator", "/lib/x/a.png", "/lib/", "/out", "/out/x/a.map", "/out/x");
    row("names with dots", "/lib/v1.2/set.old/wood.final.png", "/lib", "/out",
        "/out/v1.2/set.old/wood.final.map", "/out/v1.2/set.old");
    // The target of a row directly in its root is the one it always was; its
    // folder is made all the same, as for the rest of its tree.
    row("directly in its root", "/lib/a.png", "/lib", "/out", "/out/a.map", "/out");
    row("a folder that only starts like the root", "/library/x/a.png", "/lib", "/out", "/out/a.map",
        "/out");
    row("not under its root at all", "/elsewhere/x/a.png", "/lib", "/out", "/out/a.map", "/out");
    // Added one by one: as it always was, nothing made.
    row("the image's own folder", "/lib/x/a.png", "", "/out", "/out/a.map", "");
    row("directly in its root, no directory", "/lib/a.png", "/lib", "", "/a.map", "");
    row("trailing separator of the directory kept doubled", R"(C:\lib\body\a.png)", R"(C:\lib)",
        R"(D:\out\)", R"(D:\out\\body\a.map)", R"(D:\out\\body)");
    row("empty directory", "/lib/body/a.png", "/lib", "", "/body/a.map", "/body");
}

void TestTargetPaths::mirroredTargets() {
    QFETCH(QString, image);
    QFETCH(QString, root);
    QFETCH(QString, directory);
    QFETCH(QString, target);
    QFETCH(QString, folder);
    const OutputChoice output{false, directory};
    // The column...
    QCOMPARE(outputDirectoryTarget(image, directory, root).value_or(QString()), target);

    // ...and the line, whether the column was recomputed or still shows the
    // target beside the source (a row added while the directory was in use).
    ImageRoots roots;
    const quint32 index = roots.add(root);
    for (const QString& column : {target, *sameDirectoryTarget(image)}) {
        const JobRow row{true, image, column, Status::Unprocessed, index};
        const std::optional<LineTarget> line = lineTarget(row, roots, output);
        QVERIFY(line);
        QCOMPARE(line->joined(), target);
        QCOMPARE(line->folderToMake(), folder);
    }

    // Beside the source nothing is mirrored: the column is the target.
    const JobRow beside{true, image, *sameDirectoryTarget(image), Status::Unprocessed, index};
    QCOMPARE(commandTargetPath(beside, roots, OutputChoice{true, directory}), beside.newImage);
    QCOMPARE(lineTarget(beside, roots, OutputChoice{true, directory})->folderToMake(), QString());
}

void TestTargetPaths::rootsAreSharedByIndex() {
    ImageRoots roots;
    QCOMPARE(roots.add(""), ImageRoots::OwnFolder);
    const quint32 lib = roots.add("/lib");
    QVERIFY(lib != ImageRoots::OwnFolder);
    QCOMPARE(roots.add("/other"), lib + 1);
    QCOMPARE(roots.add("/lib"), lib); // once, however many rows come from it
    QCOMPARE(roots.at(lib), "/lib");
    QCOMPARE(roots.at(ImageRoots::OwnFolder), QString());
    QCOMPARE(roots.at(99), QString()); // an index of a cleared list mirrors nothing
    const ImageRoots copy = roots;
    roots.clear();
    QCOMPARE(roots.size(), 1);
    QCOMPARE(copy.at(lib), "/lib");
    // The index fits where the tick's padding was: rows cost no more memory.
    struct WithoutRoot {
        bool process;
        QString image, newImage, status;
        QByteArray note;
        std::optional<ExitValues> failureExit;
    };
    QCOMPARE(sizeof(JobRow), sizeof(WithoutRoot));
}

QTEST_MAIN(TestTargetPaths)
// The scan takes the units in blocks: a separator in any place of a block, at
// a block's edge, several in one block, or none must give the last one.
void TestTargetPaths::lastSeparatorAtEveryPlace() {
    for (int length = 0; length <= 34; ++length) {
        for (int at = -1; at < length; ++at) {
            for (const QChar separator : {QChar(u'/'), QChar(u'\\')}) {
                QString path(length, u'a');
                if (at >= 0)
                    path[at] = separator;
                if (at > 2)
                    path[at / 2] = u'/'; // an earlier one that must not win
                QCOMPARE(lastSeparator(path), at < 0 ? -1 : at);
                // A view into the middle of a longer text ends where it ends.
                const QString around = QStringLiteral("/") + path + QStringLiteral("/\\");
                QCOMPARE(lastSeparator(QStringView(around).sliced(1, length)), at < 0 ? -1 : at);
            }
        }
    }
}

#include "test_target_paths.moc"
