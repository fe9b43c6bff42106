// Textures of scenes looked for on disk as their hosts look for them: the
// fixtures' project, a scene outside any project, and a large tile set.
#include "joblist/scan/FolderNames.h"
#include "joblist/scan/SceneScan.h"
#include "testsupport/SceneFixtures.h"
#include "testsupport/TestFiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {
// "state how files", files relative to `root` with '/': one line a texture.
QStringList described(const SceneTextures& scene, const QString& root) {
    static const char* const hows[] = {"as-written", "under-project", "beside-scene",
                                       "in-this-project", "by-name-beside-scene"};
    QStringList lines;
    for (const SceneTexture& texture : scene.textures) {
        if (texture.state != TextureState::Found) {
            lines << (texture.state == TextureState::Missing ? "missing " : "unreadable ") +
                         texture.written;
            continue;
        }
        QStringList files;
        for (const QString& file : texture.files)
            files << QDir(root).relativeFilePath(QDir::fromNativeSeparators(file));
        lines << QLatin1String(hows[static_cast<int>(texture.how)]) + QLatin1Char(' ') +
                     files.join(QLatin1Char(','));
    }
    return lines;
}

const QStringList foundBesideTheFile{
    "beside-scene project/sourceimages/wood.jpg", "as-written library/metal.tga",
    "as-written desktop/" + SceneFixtures::decalName(),
    "beside-scene project/sourceimages/skin/skin.1001.tif,project/sourceimages/skin/"
    "skin.1002.tif,project/sourceimages/skin/skin.1004.tif",
    "beside-scene project/sourceimages/some/very/long/folder/café texture.png"};
} // namespace

class TestSceneScan : public QObject {
    Q_OBJECT
private slots:
    void init();
    void fixturesInTheirProject_data();
    void fixturesInTheirProject();
    void aSceneOutsideAnyProject();
    void aThousandTilesAreOneListing();
    void filesThatCannotBeRead();

private:
    SceneTextures find(const QString& path, FolderNames* folders = nullptr) {
        FolderNames own;
        ScanCounters counters;
        return findSceneTextures(path, *sceneFormatOf(path), folders ? *folders : own, counters);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_root;
};

void TestSceneScan::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_root = m_dir->path();
    QVERIFY(SceneFixtures::writeProject(m_root));
}

void TestSceneScan::fixturesInTheirProject_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("textures");
    QTest::newRow("maya ascii")
        << "shot010.ma"
        << QStringList{"in-this-project project/sourceimages/wood.jpg",
                       "under-project project/sourceimages/skin/skin.1001.tif,project/"
                       "sourceimages/skin/skin.1002.tif,project/sourceimages/skin/skin.1004.tif",
                       "as-written library/metal.tga",
                       "as-written library/rock.u1_v1.png,library/rock.u2_v1.png,library/"
                       "rock.u1_v2.png",
                       "as-written desktop/" + SceneFixtures::decalName(),
                       "under-project project/sourceimages/some/very/long/folder/café texture.png",
                       "missing sourceimages/gone.tif",
                       "beside-scene project/scenes/note.png",
                       "missing sourceimages/bark.<UDIM>.tif"};
    const QStringList others = foundBesideTheFile + QStringList{"missing ../sourceimages/gone.tif"};
    QTest::newRow("usd ascii") << "shot010.usda" << others;
    QTest::newRow("path list") << "textures.txt" << others;
    QStringList mtlx = others; // the skin's tiles come second in the document
    mtlx.move(3, 1);
    QTest::newRow("materialx") << "shot010.mtlx" << mtlx;
}

void TestSceneScan::fixturesInTheirProject() {
    QFETCH(QString, file);
    QFETCH(QStringList, textures);
    const SceneTextures scene = find(m_root + "/project/scenes/" + file);
    QCOMPARE(scene.problem, ReadProblem::None);
    QCOMPARE(described(scene, m_root), textures);
}

void TestSceneScan::aSceneOutsideAnyProject() {
    // Without workspace.mel above it, relative paths count from the scene alone.
    QVERIFY(QDir(m_root).mkpath("loose"));
    QVERIFY(QFile::copy(m_root + "/project/scenes/shot010.ma", m_root + "/loose/shot010.ma"));
    QVERIFY(TestFiles::writeFile(m_root + "/loose/wood.jpg", "x"));
    const QStringList got = described(find(m_root + "/loose/shot010.ma"), m_root);
    QCOMPARE(got, (QStringList{"by-name-beside-scene loose/wood.jpg",
                               "missing sourceimages\\skin\\skin.1001.tif",
                               "as-written library/metal.tga",
                               "as-written library/rock.u1_v1.png,library/rock.u2_v1.png,library/"
                               "rock.u1_v2.png",
                               "as-written desktop/" + SceneFixtures::decalName(),
                               "missing sourceimages/some/very/long/folder/café texture.png",
                               "missing sourceimages/gone.tif", "missing note.png",
                               "missing sourceimages/bark.<UDIM>.tif"}));
}

void TestSceneScan::aThousandTilesAreOneListing() {
    QVERIFY(QDir(m_root).mkpath("tiles"));
    QStringList expected;
    for (int tile = 1001; tile <= 2000; ++tile) {
        const QString name = QStringLiteral("tiles/big.%1.tif").arg(tile);
        QVERIFY(TestFiles::writeFile(m_root + '/' + name, ""));
        expected << name;
    }
    // A second set in the same folder costs no second listing.
    QVERIFY(TestFiles::writeFile(m_root + "/tiles/small.1001.tif", ""));
    QVERIFY(TestFiles::writeFile(m_root + "/big.txt",
                                 "tiles/big.<UDIM>.tif\ntiles/small.<UDIM>.tif\n"));
    FolderNames folders;
    const SceneTextures scene = find(m_root + "/big.txt", &folders);
    QCOMPARE(described(scene, m_root), QStringList({"beside-scene " + expected.join(','),
                                                    "beside-scene tiles/small.1001.tif"}));
    QCOMPARE(folders.listings(), 1);
    QCOMPARE(folders.lookups(), 0);
}

void TestSceneScan::filesThatCannotBeRead() {
    QVERIFY(TestFiles::writeFile(m_root + "/old.mb", QByteArray("FOR8\0\0\0\0", 8)));
    QCOMPARE(find(m_root + "/old.mb").problem, ReadProblem::MayaBinary);
    QCOMPARE(find(m_root + "/gone.ma").problem, ReadProblem::CannotOpen);
    QVERIFY(TestFiles::writeFile(m_root + "/empty.txt", ""));
    const SceneTextures empty = find(m_root + "/empty.txt");
    QVERIFY(empty.problem == ReadProblem::None && empty.textures.empty());
}

QTEST_GUILESS_MAIN(TestSceneScan)
#include "test_scene_scan.moc"
