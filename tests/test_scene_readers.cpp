// Reading scenes and lists for the textures they use, from their bytes alone.
#include "joblist/scene/MayaAscii.h"
#include "joblist/scene/SceneReading.h"
#include "testsupport/SceneFixtures.h"

#include <QStringEncoder>
#include <QTest>

namespace {
const QString root = QStringLiteral("/r");

// "line|node|tiling|path", one a reference: a difference reads at a glance.
QStringList described(const SceneReading& reading) {
    QStringList lines;
    for (const TextureReference& r : reading.references)
        lines << QStringLiteral("%1|%2|%3|%4")
                     .arg(r.line)
                     .arg(r.node)
                     .arg(static_cast<int>(r.tiling))
                     .arg(r.path);
    return lines;
}

const QString wood =
    QStringLiteral("C:/Users/someone/Documents/maya/projects/GSP//sourceimages/wood.jpg");
} // namespace

Q_DECLARE_METATYPE(SceneFormat)
Q_DECLARE_METATYPE(ReadProblem)

class TestSceneReaders : public QObject {
    Q_OBJECT
private slots:
    void fixtures_data();
    void fixtures();
    void problems_data();
    void problems();
    void aFileCutShortNeverGivesPartOfItsTextures_data();
    void aFileCutShortNeverGivesPartOfItsTextures();
    void listsInOtherEncodingsAndLineEnds();
    void sourceImagesRule_data();
    void sourceImagesRule();
    void formatsByExtension();
};

void TestSceneReaders::fixtures_data() {
    QTest::addColumn<SceneFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("references");
    QTest::newRow("maya ascii")
        << SceneFormat::MayaAscii << SceneFixtures::mayaAscii(root)
        << QStringList{"10|woodFile|0|" + wood,
                       "12|skinFile|3|sourceimages\\skin\\skin.1001.tif",
                       "15|metalFile|0|/r/library/metal.tga",
                       "17|rockImage|0|/r/library/rock.<UVTILE>.png",
                       "19|decalTexture|0|/r/desktop/" + SceneFixtures::decalName(),
                       "21|longFile|0|sourceimages/some/very/long/folder/café texture.png",
                       "24|goneFile|0|sourceimages/gone.tif",
                       "26|woodAgain|0|" + wood,
                       "33|noteFile|0|note.png",
                       "30|barkFile|0|sourceimages/bark.<UDIM>.tif"};
    QTest::newRow("usd ascii") << SceneFormat::UsdAscii << SceneFixtures::usdAscii(root)
                               << QStringList{"10||0|../sourceimages/wood.jpg",
                                              "11||0|/r/library/metal.tga",
                                              "14||0|/r/desktop/" + SceneFixtures::decalName(),
                                              "15||0|..\\sourceimages\\skin\\skin.<UDIM>.tif",
                                              "16||0|../sourceimages/some/very/long/folder/"
                                              "café texture.png",
                                              "17||0|../sourceimages/gone.tif",
                                              "18||0|../sourceimages/wood.jpg"};
    QTest::newRow("materialx") << SceneFormat::MaterialX << SceneFixtures::materialX(root)
                               << QStringList{"5||0|../sourceimages/wood.jpg",
                                              "8||0|../sourceimages/skin\\skin.<UDIM>.tif",
                                              "12||0|/r/library/metal.tga",
                                              "15||0|/r/desktop/" + SceneFixtures::decalName(),
                                              "19||0|../sourceimages/some/very/long/folder/"
                                              "café texture.png",
                                              "20||0|../sourceimages/gone.tif",
                                              "21||0|../sourceimages/wood.jpg"};
    QTest::newRow("path list") << SceneFormat::PathList << SceneFixtures::pathList(root)
                               << QStringList{"2||0|../sourceimages/wood.jpg",
                                              "3||0|/r/library/metal.tga",
                                              "4||0|/r/desktop/" + SceneFixtures::decalName(),
                                              "5||0|..\\sourceimages\\skin\\skin.<UDIM>.tif",
                                              "7||0|../sourceimages/some/very/long/folder/"
                                              "café texture.png",
                                              "8||0|../sourceimages/gone.tif",
                                              "9||0|../sourceimages/wood.jpg"};
}

void TestSceneReaders::fixtures() {
    QFETCH(SceneFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, references);
    const SceneReading reading = readScene(bytes, format);
    QCOMPARE(reading.problem, ReadProblem::None);
    QCOMPARE(described(reading), references);
}

void TestSceneReaders::problems_data() {
    QTest::addColumn<SceneFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<ReadProblem>("problem");
    QTest::addColumn<int>("line");
    const QByteArray ma = SceneFixtures::mayaAscii(root);
    const QByteArray mtlx = SceneFixtures::materialX(root);
    const QByteArray header = "//Maya ASCII 2024 scene\n";
    using F = SceneFormat;
    using P = ReadProblem;
    QTest::newRow(".mb") << F::MayaBinary << QByteArray("FOR8\0\0\0\0", 8) << P::MayaBinary << 0;
    QTest::newRow(".ma that is binary")
        << F::MayaAscii << QByteArray("FOR4\0\0\0\x10", 8) << P::MayaBinary << 0;
    QTest::newRow(".ma of garbage")
        << F::MayaAscii << QByteArray("\x89PNG\r\n\x1a\n") << P::WrongHeader << 1;
    QTest::newRow(".ma, empty") << F::MayaAscii << QByteArray() << P::WrongHeader << 1;
    QTest::newRow(".ma with NUL bytes")
        << F::MayaAscii << header + QByteArray("x\0y;", 4) << P::NotText << 0;
    QTest::newRow(".ma cut in a split string")
        << F::MayaAscii << ma.left(ma.indexOf("folder/caf")) << P::Truncated << 22;
    QTest::newRow(".ma cut in a statement")
        << F::MayaAscii << ma.left(ma.indexOf("gone.tif") + 9) << P::Truncated << 24;
    QTest::newRow(".ma cut between statements")
        << F::MayaAscii << ma.left(ma.indexOf("createNode file -n \"goneFile\"")) << P::NoEndLine
        << 0;
    QTest::newRow(".ma with an open comment")
        << F::MayaAscii << header + "/* never closed\n// End of x.ma\n"
        << P::Truncated << 2;
    QTest::newRow(".usda in the binary format")
        << F::UsdAscii << QByteArray("PXR-USDC\x08\0\0\0", 12) << P::UsdBinary << 0;
    QTest::newRow(".usda of garbage") << F::UsdAscii << QByteArray("{}") << P::WrongHeader << 1;
    QTest::newRow(".usda, a prim left open")
        << F::UsdAscii << QByteArray("#usda 1.0\n\ndef X {\n") << P::Truncated << 3;
    QTest::newRow(".usda, an asset left open")
        << F::UsdAscii << QByteArray("#usda 1.0\nasset a = @@@x.png") << P::Truncated << 2;
    QTest::newRow(".usda, a string over lines")
        << F::UsdAscii << QByteArray("#usda 1.0\n\"a\nb\"\n") << P::Malformed << 2;
    QTest::newRow(".usda, a stray bracket")
        << F::UsdAscii << QByteArray("#usda 1.0\n(\n]\n") << P::Malformed << 3;
    QTest::newRow(".mtlx cut short")
        << F::MaterialX << mtlx.left(mtlx.size() / 2) << P::Truncated << 12;
    QTest::newRow(".mtlx, another root")
        << F::MaterialX << QByteArray("<?xml version=\"1.0\"?>\n<x/>") << P::WrongHeader << 2;
    QTest::newRow(".mtlx of garbage")
        << F::MaterialX << QByteArray("<materialx><<</materialx>") << P::Malformed << 1;
    QTest::newRow(".mtlx, empty") << F::MaterialX << QByteArray() << P::WrongHeader << 1;
    QTest::newRow(".txt that is binary")
        << F::PathList << QByteArray("a.png\n\0\x01", 8) << P::NotText << 0;
}

void TestSceneReaders::problems() {
    QFETCH(SceneFormat, format);
    QFETCH(QByteArray, bytes);
    QFETCH(ReadProblem, problem);
    QFETCH(int, line);
    const SceneReading reading = readScene(bytes, format);
    QCOMPARE(reading.problem, problem);
    QCOMPARE(reading.problemLine, line);
    QVERIFY(reading.references.empty());
}

void TestSceneReaders::aFileCutShortNeverGivesPartOfItsTextures_data() {
    QTest::addColumn<SceneFormat>("format");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("maya ascii") << SceneFormat::MayaAscii << SceneFixtures::mayaAscii(root);
    QTest::newRow("materialx") << SceneFormat::MaterialX << SceneFixtures::materialX(root);
}

void TestSceneReaders::aFileCutShortNeverGivesPartOfItsTextures() {
    QFETCH(SceneFormat, format);
    QFETCH(QByteArray, bytes);
    const QStringList whole = described(readScene(bytes, format));
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        const SceneReading cut = readScene(bytes.left(length), format);
        if (cut.problem == ReadProblem::None && described(cut) != whole)
            QFAIL(qPrintable(QStringLiteral("cut after %1 bytes: %2 of %3 textures, no problem")
                                 .arg(length)
                                 .arg(cut.references.size())
                                 .arg(whole.size())));
    }
}

void TestSceneReaders::listsInOtherEncodingsAndLineEnds() {
    const QString list =
        QStringLiteral("# PowerShell writes UTF-16\r\nC:\\Textures\\Jürgen.tif\r\n");
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const QByteArray bytes = utf16(list);
    QCOMPARE(described(readScene(bytes, SceneFormat::PathList)),
             QStringList{"2||0|C:\\Textures\\Jürgen.tif"});
    // A line that is not UTF-8 is read as Latin-1, another line as UTF-8.
    QCOMPARE(described(readScene("J\xFCrgen.tif\nJ\xC3\xBCrgen.png", SceneFormat::PathList)),
             QStringList({"1||0|Jürgen.tif", "2||0|Jürgen.png"}));
    // Lines end in LF, CR LF, or a lone CR as old Mac editors write them.
    QCOMPARE(described(readScene("a.png\rb.png\r\nc.png\n", SceneFormat::PathList)),
             QStringList({"1||0|a.png", "2||0|b.png", "3||0|c.png"}));
}

void TestSceneReaders::sourceImagesRule_data() {
    QTest::addColumn<QByteArray>("workspace");
    QTest::addColumn<QString>("rule");
    QTest::newRow("the fixture's") << SceneFixtures::workspaceMel() << "sourceimages";
    QTest::newRow("none set") << QByteArray("workspace -fr \"scene\" \"scenes\";")
                              << "sourceimages";
    QTest::newRow("own folder, long flag")
        << QByteArray("workspace -fileRule \"sourceImages\" \"assets/textures\";")
        << "assets/textures";
    QTest::newRow("absolute, the last counts")
        << QByteArray("workspace -fr \"sourceImages\" \"a\";\n"
                      "workspace -fr \"sourceImages\"\n    \"D:\\\\lib\\\\tex\";")
        << "D:\\lib\\tex";
    QTest::newRow("garbage") << QByteArray("\"\xff\0") << "sourceimages";
}

void TestSceneReaders::sourceImagesRule() {
    QFETCH(QByteArray, workspace);
    QFETCH(QString, rule);
    QCOMPARE(::sourceImagesRule(workspace), rule);
}

void TestSceneReaders::formatsByExtension() {
    QCOMPARE(sceneFormatOf("shot010.MA"), SceneFormat::MayaAscii);
    QCOMPARE(sceneFormatOf("/p/shot010.mb"), SceneFormat::MayaBinary);
    QCOMPARE(sceneFormatOf("a.usda"), SceneFormat::UsdAscii);
    QCOMPARE(sceneFormatOf("a.mtlx"), SceneFormat::MaterialX);
    QCOMPARE(sceneFormatOf("a.txt"), SceneFormat::PathList);
    QVERIFY(!sceneFormatOf("a.usd") && !sceneFormatOf("ma") && !sceneFormatOf("a.ma.png"));
}

QTEST_GUILESS_MAIN(TestSceneReaders)
#include "test_scene_readers.moc"
