// File > "Add From Scene..." and dropped scenes, through the window: the rows
// a scene's textures give, and the one box that says what happened.
#include "app/CorvaneGUI.h"
#include "joblist/JobTableModel.h"
#include "joblist/customTable.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/SceneFixtures.h"
#include "testsupport/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;

using TestSupport::column;

void drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QWidget* viewport = G::table->viewport();
    const QPoint at = viewport->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &dropped);
    QVERIFY(dropped.isAccepted());
    QVERIFY(TestSupport::finishScan());
}
} // namespace

class TestAddFromScene : public QObject {
    Q_OBJECT
private slots:
    void init();
    void aMayaSceneFromTheFileMenu();
    void droppedScenesAsIfChosen();

private:
    QString path(const QString& relative) const {
        return QDir::toNativeSeparators(m_dir->filePath(relative));
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAddFromScene::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(SceneFixtures::writeProject(m_dir->path()));
}

void TestAddFromScene::aMayaSceneFromTheFileMenu() {
    auto window = TestSupport::makeWindow();
    G::model->appendRow(
        JobRow{true, path("library/metal.tga"), path("library/metal.map"), Status::Unprocessed});
    T::queueFiles(Dialogs::FileAnswer{{path("project/scenes/shot010.ma")}, 0});
    G::itemAddFromScene->trigger();
    QVERIFY(TestSupport::finishScan());

    QCOMPARE(T::fileRequests().size(), size_t(1));
    const Dialogs::FileRequest& request = T::fileRequests().back();
    QCOMPARE(request.title, "Select Scene or Texture List");
    QCOMPARE(request.filters.size(), size_t(1));
    QCOMPARE(request.filters[0]->description(),
             "Scenes and texture lists (ma, mb, usda, mtlx, txt)");
    QVERIFY(request.mode == Dialogs::FileMode::OpenFiles && !request.allFilesChoice);

    const QStringList rows{path("library/metal.tga"), // there before: not added again
                           path("project/sourceimages/wood.jpg"),
                           path("project/sourceimages/skin/skin.1001.tif"),
                           path("project/sourceimages/skin/skin.1002.tif"),
                           path("project/sourceimages/skin/skin.1004.tif"),
                           path("library/rock.u1_v1.png"),
                           path("library/rock.u2_v1.png"),
                           path("library/rock.u1_v2.png"),
                           path("desktop/" + SceneFixtures::decalName()),
                           path("project/sourceimages/some/very/long/folder/café texture.png"),
                           path("project/scenes/note.png")};
    QCOMPARE(column(JobTableModel::ImageColumn), rows);
    QCOMPARE(column(JobTableModel::NewImageColumn)[3],
             path("project/sourceimages/skin/skin.1002.map"));
    QCOMPARE(T::messages().size(), size_t(1));
    const T::Message& box = T::messages().back();
    QCOMPARE(box.kind, Dialogs::MessageKind::Warning);
    QCOMPARE(box.title, "Add From Scene");
    QCOMPARE(box.text, "shot010.ma uses 9 textures (13 files with their UDIM tiles): 10 added, 1 "
                       "already in the list, 2 missing. 1 texture was found in this project "
                       "rather than at the path saved in the scene.");
    QCOMPARE(box.details,
             "shot010.ma\nMissing:\nsourceimages/gone.tif: node \"goneFile\", line 24\n"
             "sourceimages/bark.<UDIM>.tif (no tile on disk): node \"barkFile\", "
             "line 30");

    // Again: every texture is in the list already.
    T::queueFiles(Dialogs::FileAnswer{{path("project/scenes/shot010.ma")}, 0});
    G::itemAddFromScene->trigger();
    QVERIFY(TestSupport::finishScan());
    QCOMPARE(G::model->rowCount(), rows.size());
    QVERIFY(T::messages().back().text.startsWith(
        "shot010.ma uses 9 textures (13 files with their UDIM tiles): 0 added, 11 already in "
        "the list, 2 missing."));
}

void TestAddFromScene::droppedScenesAsIfChosen() {
    QVERIFY(TestSupport::writeFile(path("project/scenes/shot009.mb"), "FOR8 binary"));
    auto window = TestSupport::makeWindow();
    drop({QUrl::fromLocalFile(path("project/scenes/shot009.mb")),
          QUrl::fromLocalFile(path("project/scenes/shot010.usda"))});
    QCOMPARE(G::model->rowCount(), 7); // the binary scene adds nothing, the layer its textures
    QCOMPARE(T::messages().size(), size_t(1));
    QCOMPARE(T::messages().back().text.split("\n\n"),
             QStringList({"shot009.mb is a Maya Binary scene, which Corvane cannot read. Save it "
                          "as Maya ASCII (.ma) in Maya and add that file. Nothing was added from "
                          "it.",
                          "shot010.usda uses 6 textures (8 files with their UDIM tiles): 7 added, "
                          "1 missing."}));
}

QTEST_MAIN(TestAddFromScene)
#include "test_add_from_scene.moc"
