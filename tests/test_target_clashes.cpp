// Ticked rows that would write the same .map file, and the question about them.
#include "conversion/rules/TargetClashes.h"

#include <QDir>
#include <QTest>

class TestTargetClashes : public QObject {
    Q_OBJECT
private slots:
    void targetClashes_data();
    void targetClashes();
    void rowsClashByTheirCommandTargets();
    void untickedRowsWriteNothing();
    void mirroredFoldersKeepNamesApart();
    void clashQuestionListsTheFirstFew();
};

void TestTargetClashes::targetClashes_data() {
    QTest::addColumn<QStringList>("targets");
    QTest::addColumn<QStringList>("clashing");
    auto row = [](const char* name, const QStringList& targets, const QStringList& clashing) {
        QTest::newRow(name) << targets << clashing;
    };
    row("none", {"/p/a.map", "/p/b.map", "/q/a.map", "/p/a.map.map"}, {});
    row("empty", {}, {});
    row("two of one", {"/p/a.map", "/p/b.map", "/p/a.map"}, {"/p/a.map"});
    row("three of one count once", {"/x.map", "/x.map", "/x.map"}, {"/x.map"});
    row("letter case", {R"(C:\Pics\Photo.MAP)", R"(c:\pics\photo.map)"}, {R"(C:\Pics\Photo.MAP)"});
    row("non-ASCII letter case", {"/p/Ärger.map", "/p/ärger.map"}, {"/p/Ärger.map"});
    row("either separator", {R"(D:\out\sub/a.map)", R"(D:/out/sub\a.map)"},
        {R"(D:\out\sub/a.map)"});
    row("folded past the first eight characters",
        {"/textures/set_0001/Ärger.map", "/textures/set_0001/äRGER.map"},
        {"/textures/set_0001/Ärger.map"});
    // The Kelvin sign folds to an ASCII "k": the two are one name.
    row("folding into ASCII", {"/maps/\u212Aelvin_map.map", "/maps/kelvin_map.map"},
        {"/maps/\u212Aelvin_map.map"});
    row("a separator is not nothing", {"/out/ab.map", "/outa/b.map", "/out/a/b.map"}, {});
    row("in the order of each clash's first job",
        {"/z.map", "/b.map", "/a.map", "/B.map", "/Z.map", "/a.map"},
        {"/z.map", "/b.map", "/a.map"});
}

void TestTargetClashes::targetClashes() {
    QFETCH(QStringList, targets);
    QFETCH(QStringList, clashing);
    const TargetClashes clashes =
        findTargetClashes(std::vector<QString>(targets.begin(), targets.end()));
    QCOMPARE(clashes.examples, clashing);
    QCOMPARE(clashes.count, int(clashing.size()));
}

void TestTargetClashes::rowsClashByTheirCommandTargets() {
    // The rows' check must see exactly the targets their converter lines write.
    const std::vector<JobRow> rows{
        {true, "/a/x.png", "/a/x.map", Status::Unprocessed},
        {true, R"(C:\b\X.png)", R"(C:\b\X.map)", Status::Unprocessed},
        {false, "/c/x.png", "/c/x.map", Status::Unprocessed}, // unticked: never written
        {true, "relative.png", "relative.map", Status::Unprocessed},
        {true, "/d/y.png", "/d/y.map", Status::Converted},
        {true, "/e/y.tga", "/e/y.map", Status::Failed},
        {true, "/f/Relative.png", "/f/Relative.map", Status::Unprocessed}};
    const ImageRoots roots;
    for (const QString& directory : {QString("/out"), QString(R"(D:\out\)"), QString()}) {
        for (bool same : {true, false}) {
            std::vector<QString> targets;
            for (const JobRow& row : rows)
                if (row.process)
                    if (const auto target = commandTargetPath(row, roots, {same, directory}))
                        targets.push_back(*target);
            const TargetClashes fromRows = findTargetClashes(rows, roots, {same, directory});
            const TargetClashes fromTargets = findTargetClashes(targets);
            QCOMPARE(fromRows.examples, fromTargets.examples);
            QCOMPARE(fromRows.count, same ? 0 : 2);
        }
    }
}

void TestTargetClashes::untickedRowsWriteNothing() {
    const std::vector<JobRow> rows{{true, "/a/x.png", "/a/x.map", Status::Unprocessed},
                                   {false, "/b/x.png", "/b/x.map", Status::Unprocessed},
                                   {false, "/c/x.png", "/c/x.map", Status::Converted}};
    QCOMPARE(findTargetClashes(rows, ImageRoots(), {false, "/out"}).count, 0);
    QCOMPARE(findTargetClashes(rows, ImageRoots(), {true, ""}).count, 0);
}

void TestTargetClashes::mirroredFoldersKeepNamesApart() {
    // A library's folders each hold a "diffuse": apart once mirrored, one file
    // when flattened, and one again where the folders differ in letter case only.
    ImageRoots roots;
    const quint32 library = roots.add("/lib");
    std::vector<JobRow> rows{
        {true, "/lib/body/diffuse.tif", "/lib/body/diffuse.map", Status::Unprocessed, library},
        {true, "/lib/head/diffuse.tif", "/lib/head/diffuse.map", Status::Unprocessed, library}};
    QCOMPARE(findTargetClashes(rows, roots, {false, "/out"}).count, 0);
    QCOMPARE(findTargetClashes(rows, ImageRoots(), {false, "/out"}).examples,
             QStringList{"/out/diffuse.map"});
    rows.push_back(
        {true, "/lib/Body/diffuse.png", "/lib/Body/diffuse.map", Status::Unprocessed, library});
    QCOMPARE(findTargetClashes(rows, roots, {false, "/out"}).examples,
             QStringList{"/out/body/diffuse.map"});
}

void TestTargetClashes::clashQuestionListsTheFirstFew() {
    std::vector<QString> targets;
    for (int i = 0; i < 6; ++i)
        targets.insert(targets.end(), 2, QString("/maps/t%1.map").arg(i));
    targets.push_back("/maps/alone.map");
    const TargetClashes clashes = findTargetClashes(targets);
    QCOMPARE(clashes.count, 6);
    QCOMPARE(clashes.examples.size(), 5);
    QCOMPARE(clashQuestion(clashes).value_or(""),
             "Some images would write the same .map file:\n" +
                 QDir::toNativeSeparators("/maps/t0.map") + "\n" +
                 QDir::toNativeSeparators("/maps/t1.map") + "\n" +
                 QDir::toNativeSeparators("/maps/t2.map") + "\n" +
                 QDir::toNativeSeparators("/maps/t3.map") + "\n" +
                 QDir::toNativeSeparators("/maps/t4.map") + "\nand 1 more\nContinue?");
    QVERIFY(!clashQuestion(findTargetClashes({"/a.map", "/b.map"})));
    QCOMPARE(clashQuestion(findTargetClashes({"/a.map", "/a.map"})).value_or(""),
             "Some images would write the same .map file:\n" + QDir::toNativeSeparators("/a.map") +
                 "\nContinue?");
}

QTEST_MAIN(TestTargetClashes)
#include "test_target_clashes.moc"
