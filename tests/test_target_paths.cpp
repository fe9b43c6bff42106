// Where a row's .map file goes: the "New Image" column beside the source or
// in the output directory, and the file a converter line writes.
#include "joblist/rules/TargetPaths.h"

#include <QTest>

class TestTargetPaths : public QObject {
    Q_OBJECT
private slots:
    void targets_data();
    void targets();
    void lineTargets_data();
    void lineTargets();
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
    QCOMPARE(commandTargetPath(rowTarget, output).value_or(QString()), written);
    if (const std::optional<LineTarget> pieces = lineTarget(rowTarget, output))
        QCOMPARE(pieces->directory.toString() + pieces->rest.toString(), written);
}

QTEST_MAIN(TestTargetPaths)
#include "test_target_paths.moc"
