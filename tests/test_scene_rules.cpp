// The rules of "Add From Scene" without a disk: tile names, where a texture
// is looked for, what is added, and what the box says.
#include "joblist/scene/SceneAdding.h"
#include "joblist/scene/SceneTexts.h"
#include "joblist/scene/TexturePlaces.h"
#include "joblist/scene/TileNames.h"

#include <QTest>

Q_DECLARE_METATYPE(UvTiling)
Q_DECLARE_METATYPE(Qt::CaseSensitivity)
Q_DECLARE_METATYPE(SceneTally)

namespace {
// "how path" for each place, in order.
QStringList described(const std::vector<TextureCandidate>& candidates) {
    static const char* const hows[] = {"as-written", "under-project", "beside-scene",
                                       "in-this-project", "by-name-beside-scene"};
    QStringList lines;
    for (const TextureCandidate& c : candidates)
        lines << QLatin1String(hows[static_cast<int>(c.how)]) + QLatin1Char(' ') + c.path;
    return lines;
}

SceneTexture found(QStringList files, TextureFound how = TextureFound::AsWritten) {
    SceneTexture texture;
    texture.written = files.front();
    texture.places = {TexturePlace{QStringLiteral("file1"), 7}};
    texture.state = TextureState::Found;
    texture.how = how;
    texture.tileSet = files.size() > 1;
    texture.files = std::move(files);
    return texture;
}

SceneTexture notFound(const QString& written, TextureState state,
                      std::vector<TexturePlace> places = {{QStringLiteral("gone"), 12}}) {
    SceneTexture texture;
    texture.written = written;
    texture.places = std::move(places);
    texture.state = state;
    return texture;
}
} // namespace

class TestSceneRules : public QObject {
    Q_OBJECT
private slots:
    void tileSets_data();
    void tileSets();
    void placesInTheHostsOrder_data();
    void placesInTheHostsOrder();
    void referencesToOneTextureAreOne();
    void whatIsAdded();
    void theBox();
    void summaries_data();
    void summaries();
    void problemsSayWhatToDo();
};

void TestSceneRules::tileSets_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<UvTiling>("tiling");
    QTest::addColumn<Qt::CaseSensitivity>("cs");
    QTest::addColumn<QStringList>("tiles"); // of the listing below, in tile order
    const QStringList udims{"skin.1001.tif", "skin.1004.tif",   "skin.1002.tif",
                            "skin.1000.tif", "skin.10050.tif",  "skin.1003.tif.bak",
                            "skin.abcd.tif", "skinny.1001.tif", "SKIN.1005.TIF"};
    const QStringList skin{"skin.1001.tif", "skin.1002.tif", "skin.1004.tif"};
    using T = UvTiling;
    QTest::newRow("<UDIM>, gaps and decoys")
        << "skin.<UDIM>.tif" << T::Off << Qt::CaseSensitive << skin;
    QTest::newRow("<udim>") << "skin.<udim>.tif" << T::Off << Qt::CaseSensitive << skin;
    QTest::newRow("maya udim mode") << "skin.1002.tif" << T::Udim << Qt::CaseSensitive << skin;
    QTest::newRow("maya udim mode, last number")
        << "1001_skin.1004.tif" << T::Udim << Qt::CaseSensitive << QStringList{};
    QTest::newRow("no tiling: one file")
        << "skin.1001.tif" << T::Off << Qt::CaseSensitive << QStringList{};
    QTest::newRow("letter case aside")
        << "Skin.<UDIM>.tif" << T::Off << Qt::CaseInsensitive
        << QStringList{"skin.1001.tif", "skin.1002.tif", "skin.1004.tif", "SKIN.1005.TIF"};
    QTest::newRow("<UVTILE>, by rows of v")
        << "rock.<UVTILE>.png" << T::Off << Qt::CaseSensitive
        << QStringList{"rock.u1_v1.png", "rock.u2_v1.png", "rock.u10_v1.png", "rock.u1_v2.png"};
    QTest::newRow("mudbox mode") << "rock.u2_v1.png" << T::Mudbox << Qt::CaseSensitive
                                 << QStringList{"rock.u1_v1.png", "rock.u2_v1.png",
                                                "rock.u10_v1.png", "rock.u1_v2.png"};
}

void TestSceneRules::tileSets() {
    QFETCH(QString, name);
    QFETCH(UvTiling, tiling);
    QFETCH(Qt::CaseSensitivity, cs);
    QFETCH(QStringList, tiles);
    QStringList listing{
        "skin.1001.tif",  "skin.1004.tif",     "skin.1002.tif",      "skin.1000.tif",
        "skin.10050.tif", "skin.1003.tif.bak", "skin.abcd.tif",      "skinny.1001.tif",
        "SKIN.1005.TIF",  "rock.u1_v2.png",    "rock.u10_v1.png",    "rock.u2_v1.png",
        "rock.u1_v1.png", "rock.u_v1.png",     "rock.u1_v1.png.tmp", "a.png"};
    std::sort(listing.begin(), listing.end(),
              [cs](const QString& a, const QString& b) { return a.compare(b, cs) < 0; });
    const std::optional<TilePattern> pattern = tilePatternOf(name, tiling);
    QCOMPARE(pattern.has_value(), !tiles.isEmpty() || tiling == UvTiling::Udim);
    if (pattern)
        QCOMPARE(tilesIn(*pattern, listing, cs), tiles);
}

void TestSceneRules::placesInTheHostsOrder_data() {
    QTest::addColumn<QString>("written");
    QTest::addColumn<bool>("maya");
    QTest::addColumn<bool>("windows");
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QStringList>("places");
    const QString saved = "C:/Users/someone/Documents/maya/projects/GSP//sourceimages/set/wood.jpg";
    QTest::newRow("saved elsewhere, here on Linux")
        << saved << true << false << "sourceimages"
        << QStringList{"in-this-project /p/sourceimages/set/wood.jpg",
                       "by-name-beside-scene /p/scenes/wood.jpg"};
    QTest::newRow("saved elsewhere, here on Windows")
        << QString(saved).replace('/', '\\') << true << true << "sourceimages"
        << QStringList{
               "as-written C:/Users/someone/Documents/maya/projects/GSP/sourceimages/set/wood.jpg",
               "in-this-project /p/sourceimages/set/wood.jpg",
               "by-name-beside-scene /p/scenes/wood.jpg"};
    QTest::newRow("absolute, outside any source images")
        << "/lib/metal.tga" << true << false << "sourceimages"
        << QStringList{"as-written /lib/metal.tga", "by-name-beside-scene /p/scenes/metal.tga"};
    QTest::newRow("the project's own rule")
        << "/old/Assets/Tex/a/b.png" << true << false << "assets/tex"
        << QStringList{"as-written /old/Assets/Tex/a/b.png",
                       "in-this-project /p/assets/tex/a/b.png",
                       "by-name-beside-scene /p/scenes/b.png"};
    QTest::newRow("an absolute rule")
        << "//server/share/textures/x.png" << true << false << "/mnt/lib/textures"
        << QStringList{"as-written //server/share/textures/x.png",
                       "in-this-project /mnt/lib/textures/x.png",
                       "by-name-beside-scene /p/scenes/x.png"};
    QTest::newRow("relative: project, then scene")
        << "sourceimages\\skin.1001.tif" << true << false << "sourceimages"
        << QStringList{"under-project /p/sourceimages/skin.1001.tif",
                       "beside-scene /p/scenes/sourceimages/skin.1001.tif"};
    QTest::newRow("usd: beside the file only") << "../tex/a.png" << false << false << "sourceimages"
                                               << QStringList{"beside-scene /p/tex/a.png"};
    QTest::newRow("usd: absolute, as it is")
        << "C:/Users/x/sourceimages/a.png" << false << true << "sourceimages"
        << QStringList{"as-written C:/Users/x/sourceimages/a.png"};
    QTest::newRow("drive-relative names nothing")
        << "C:a.png" << true << true << "sourceimages" << QStringList{};
    QTest::newRow("empty") << "" << true << false << "sourceimages" << QStringList{};
}

void TestSceneRules::placesInTheHostsOrder() {
    QFETCH(QString, written);
    QFETCH(bool, maya);
    QFETCH(bool, windows);
    QFETCH(QString, rule);
    QFETCH(QStringList, places);
    SceneLocation location;
    location.folder = "/p/scenes";
    location.projectRoot = "/p";
    location.sourceImages = rule;
    location.mayaProject = maya;
    location.windowsHost = windows;
    QCOMPARE(described(textureCandidates(written, location)), places);
    // Without a project, only the scene's folder is left for relative paths.
    location.projectRoot.clear();
    if (written.startsWith("sourceimages"))
        QCOMPARE(described(textureCandidates(written, location)),
                 QStringList{"beside-scene /p/scenes/sourceimages/skin.1001.tif"});
}

void TestSceneRules::referencesToOneTextureAreOne() {
    const std::vector<SceneTexture> textures =
        texturesOf({{"C:\\pics\\\\a.tif", "file1", 3, UvTiling::Off},
                    {"C:/pics/a.tif", "file2", 9, UvTiling::Off},
                    {"C:/pics/a.tif", "file3", 11, UvTiling::Udim},
                    {"C:/pics/a.1001.tif", "file4", 12, UvTiling::Udim}});
    QCOMPARE(textures.size(), size_t(3));
    QCOMPARE(textures[0].places, (std::vector<TexturePlace>{{"file1", 3}, {"file2", 9}}));
    QVERIFY(!textures[0].tileSet && !textures[1].tileSet && textures[2].tileSet);
}

void TestSceneRules::whatIsAdded() {
    SceneTextures scene;
    scene.path = "/p/scenes/shot.ma";
    scene.textures = {found({"/p/a.1001.tif", "/p/a.1002.tif"}),
                      found({"/p/listed.png"}),
                      found({"/p/A.1001.tif"}, TextureFound::InThisProject), // same as the first?
                      found({"/p/sky.exr"}),
                      notFound("gone.tif", TextureState::Missing),
                      notFound("locked.tif", TextureState::Unreadable)};
    for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
        QSet<QString> listed{sceneFileKey("/p/LISTED.png", cs)};
        const SceneAddition addition = sceneAddition(scene, listed, cs);
        const bool folded = cs == Qt::CaseInsensitive;
        const QStringList added = folded ? QStringList{"/p/a.1001.tif", "/p/a.1002.tif"}
                                         : QStringList{"/p/a.1001.tif", "/p/a.1002.tif",
                                                       "/p/listed.png", "/p/A.1001.tif"};
        QCOMPARE(addition.newFiles, added);
        SceneTally tally{6, folded ? 6 : 7, int(added.size()), folded ? 1 : 0, 1, 1, 1, 1, true};
        QCOMPARE(addition.tally, tally);
        // What was added is listed now, for the next scene of the same addition.
        QVERIFY(listed.contains(sceneFileKey("/p/a.1002.tif", cs)));
    }
}

void TestSceneRules::theBox() {
    SceneTextures shot;
    shot.path = "/p/scenes/shot.ma";
    shot.format = SceneFormat::MayaAscii;
    std::vector<TexturePlace> places;
    for (int line = 1; line <= 5; ++line)
        places.push_back({QStringLiteral("file%1").arg(line), line * 10});
    shot.textures = {found({"/p/a.png"}), found({"/p/b.png"}),
                     notFound("sourceimages/bark.<UDIM>.tif", TextureState::Missing, places)};
    shot.textures[2].tileSet = true;
    SceneTextures list;
    list.path = "/p/list.txt";
    list.textures = {found({"/p/b.png"}), found({"/p/sky.hdr"})};
    list.textures[1].places = {{QString(), 4}};
    SceneTextures binary;
    binary.path = "/p/old.mb";
    binary.format = SceneFormat::MayaBinary;
    binary.problem = ReadProblem::MayaBinary;

    const std::vector<JobRow> rows{JobRow{true, "/p/a.png", "/p/a.map", Status::Unprocessed}};
    const SceneBox box = sceneBox({shot, list, binary}, rows, Qt::CaseSensitive);
    QCOMPARE(box.newFiles, QStringList{"/p/b.png"});
    QVERIFY(box.warning);
    QCOMPARE(box.text.split("\n\n"),
             QStringList({"shot.ma uses 3 textures: 1 added, 1 already in the list, 1 missing.",
                          "list.txt lists 2 textures: 0 added, 1 already in the list, 1 not an "
                          "image Corvane converts.",
                          sceneProblemText("old.mb", SceneFormat::MayaBinary,
                                           ReadProblem::MayaBinary, 0)}));
    QCOMPARE(box.details, QString("shot.ma\nMissing:\nsourceimages/bark.<UDIM>.tif (no tile on "
                                  "disk): node \"file1\", line 10; node \"file2\", line 20; node "
                                  "\"file3\", line 30 and 2 more places\n\n"
                                  "list.txt\nNot images Corvane converts:\n/p/sky.hdr: line 4"));
    // Nothing missing and nothing unreadable: no warning.
    QVERIFY(!sceneBox({list}, rows, Qt::CaseSensitive).warning);
}

void TestSceneRules::summaries_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<SceneTally>("tally");
    QTest::addColumn<QString>("text");
    QTest::newRow("the issue's") << "shot010.ma" << SceneTally{14, 52, 49, 2, 0, 1, 0, 0, true}
                                 << "shot010.ma uses 14 textures (52 files with their UDIM tiles): "
                                    "49 added, 2 already in the list, 1 missing.";
    QTest::newRow("one") << "wood.usda" << SceneTally{1, 1, 1, 0, 0, 0, 0, 0, false}
                         << "wood.usda uses 1 texture: 1 added.";
    QTest::newRow("none") << "empty.mtlx" << SceneTally{} << "empty.mtlx uses no textures.";
    QTest::newRow("a list, nothing new")
        << "textures.txt" << SceneTally{3, 3, 0, 3, 0, 0, 0, 0, false}
        << "textures.txt lists 3 textures: 0 added, 3 already in "
           "the list.";
    QTest::newRow("all kinds, thousands")
        << "big.ma" << SceneTally{12345, 12000, 9000, 1000, 1997, 2, 1, 2, false}
        << "big.ma uses 12,345 textures (12,000 files): 9,000 added, 1,000 already in the list, "
           "1,997 not images Corvane converts, 2 missing, 1 unreadable. 2 textures were found in "
           "this project rather than at the paths saved in the scene.";
    QTest::newRow("found elsewhere, one") << "a.ma" << SceneTally{1, 1, 1, 0, 0, 0, 0, 1, false}
                                          << "a.ma uses 1 texture: 1 added. 1 texture was found "
                                             "in this project rather than at the path saved in "
                                             "the scene.";
}

void TestSceneRules::summaries() {
    QFETCH(QString, fileName);
    QFETCH(SceneTally, tally);
    QFETCH(QString, text);
    const SceneFormat format =
        fileName.endsWith(".txt") ? SceneFormat::PathList : SceneFormat::MayaAscii;
    QCOMPARE(sceneSummaryText(fileName, format, tally), text);
}

void TestSceneRules::problemsSayWhatToDo() {
    QCOMPARE(sceneProblemText("shot010.mb", SceneFormat::MayaBinary, ReadProblem::MayaBinary, 0),
             "shot010.mb is a Maya Binary scene, which Corvane cannot read. Save it as Maya ASCII "
             "(.ma) in Maya and add that file. Nothing was added from it.");
    QCOMPARE(sceneProblemText("shot.ma", SceneFormat::MayaAscii, ReadProblem::Truncated, 1204),
             "shot.ma ends inside what begins at line 1,204: it seems to be cut short. Nothing "
             "was added from it.");
    QCOMPARE(sceneProblemText("a.usda", SceneFormat::UsdAscii, ReadProblem::WrongHeader, 1),
             "a.usda is not a USD ASCII file: it does not begin with \"#usda\". Nothing was added "
             "from it.");
}

QTEST_GUILESS_MAIN(TestSceneRules)
#include "test_scene_rules.moc"
