// The window as start-up leaves it: controls, menus, where each control shows,
// start-up steps.
#include "app/CorvaneGUI.h"
#include "app/Startup.h"
#include "joblist/customTable.h"
#include "testsupport/TestSupport.h"
#include "theme/Look.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

static void initResources() {
    Q_INIT_RESOURCE(corvane);
}
static void cleanupResources() {
    Q_CLEANUP_RESOURCE(corvane);
}

namespace {
QStringList actionTexts(const QWidget* menuOrBar) {
    QStringList texts;
    for (const QAction* action : menuOrBar->actions())
        texts << action->text();
    return texts;
}
} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Look::rememberSystemLook(); }
    void defaultsAfterStartUp();
    void menus();
    void layoutAsSeen();
    void targetSystemFromOsName_data();
    void targetSystemFromOsName();
    void converterProbedAtStartUp();
    void noListenerRunsForTheDefaults();
    void showingTheWindow();
    void showingTheWindowWithoutATheme();
    void attribCommandIsHandedOverAsWritten();
    void closingTheWindowEndsTheProgram();
};

void TestWindow::defaultsAfterStartUp() {
    auto window = TestSupport::makeWindow();
    using G = CorvaneGUI;
    QCOMPARE(G::frame, window.get());
    QVERIFY(G::checkPyramid->isChecked() && G::checkSameDirectory->isChecked());
    for (QCheckBox* box : {G::checkTile, G::checkGamma, G::checkFilter, G::checkCustom})
        QVERIFY2(!box->isChecked(), qPrintable(box->text()));
    for (QCheckBox* box : {G::checkPyramid, G::checkTile, G::checkGamma, G::checkFilter,
                           G::checkCustom, G::checkSameDirectory})
        QVERIFY(box->isEnabled());
    QCOMPARE(G::fieldGamma->text(), "1.0");
    QCOMPARE(G::fieldFilter->text(), "1.0");
    QVERIFY(G::fieldCustom->text().isEmpty() && G::fieldDirectory->text().isEmpty());
    for (QWidget* off : std::initializer_list<QWidget*>{
             G::fieldGamma, G::fieldFilter, G::fieldCustom, G::fieldDirectory, G::labelDirectory,
             G::buttonDirectoryBrowse})
        QVERIFY(!off->isEnabled());
    QVERIFY(G::fieldImfCopy->isEnabled() && !G::fieldImfCopy->isReadOnly());

    const QList<QPair<QPushButton*, QString>> buttons{
        {G::buttonAddImages, "Add Images"},
        {G::buttonAddDirectory, "Add Directory"},
        {G::buttonOpenFile, "Open File"},
        {G::buttonOpenFolder, "Open Folder"},
        {G::buttonRemoveSelected, "Remove Selected"},
        {G::buttonRemoveConverted, "Remove All Converted"},
        {G::buttonReset, "Reset"},
        {G::buttonImfCopyBrowse, ""},
        {G::buttonDirectoryBrowse, ""},
        {G::buttonProcess, "Process"},
        {G::buttonCreateScript, "Create Script"}};
    for (const auto& [button, text] : buttons)
        QCOMPARE(button->text(), text);
    for (QPushButton* withIcon : {G::buttonAddImages, G::buttonAddDirectory, G::buttonImfCopyBrowse,
                                  G::buttonDirectoryBrowse, G::buttonProcess})
        QVERIFY(!withIcon->icon().isNull());
    QVERIFY(G::buttonOpenFile->icon().isNull() && G::buttonCreateScript->icon().isNull());
    QCOMPARE(G::labelFlags->text(), " Flags");
    QCOMPARE(G::labelImfCopy->text(), " imf_copy");
    QCOMPARE(G::labelDirectory->text(), " Directory");

    const QList<QPair<QPixmap*, QSize>> pictures{{G::logoImage, {32, 32}},
                                                 {G::iconBanner, {600, 60}},
                                                 {G::iconMaker, {640, 200}},
                                                 {G::iconOpen, {24, 24}},
                                                 {G::iconArrow, {40, 24}}};
    for (const auto& [picture, size] : pictures)
        QCOMPARE(picture->size(), size);
    QCOMPARE(G::columnNames, QStringList({"Process", "Image", "New Image", "Status"}));
    QCOMPARE(G::version, "1.0");
}

void TestWindow::menus() {
    auto window = TestSupport::makeWindow();
    using G = CorvaneGUI;
    QCOMPARE(window->QMainWindow::menuBar(), G::menuBar);
    QCOMPARE(actionTexts(G::menuBar), QStringList({"&File", "&Edit", "&Help"}));
    QCOMPARE(actionTexts(G::menuFile), QStringList({"Add From &Scene...", "", "&Export Farm Job...",
                                                    "Save Report...", "", "E&xit"}));
    QVERIFY(!G::itemSaveReport->isEnabled()); // until a run has ended
    QCOMPARE(actionTexts(G::menuEdit),
             QStringList({"Theme", "System", "Conversions at Once", "Skip Up-to-Date Images",
                          "Include Subfolders", "", "Select Failed", "Select Unprocessed"}));
    QVERIFY(G::itemSkipUpToDate->isCheckable() && !G::itemSkipUpToDate->isChecked());
    QVERIFY(G::itemIncludeSubfolders->isCheckable() && !G::itemIncludeSubfolders->isChecked());
    QVERIFY(!G::includeSubfolders);
    QVERIFY(G::itemSkipUpToDate->toolTip().contains("the flags, the converter and the .map"));
    QCOMPARE(actionTexts(G::menuTheme), QStringList({"&Quillmere", "System &Default"}));
    QCOMPARE(actionTexts(G::menuSystem), QStringList({"Windows", "Mac"}));
    QCOMPARE(actionTexts(G::menuHelp), QStringList({"&About", "&Update", "&Donate", "&Forums"}));
    QVERIFY(!G::itemLookThemed->isCheckable() && !G::itemLookSystem->isCheckable());
    QVERIFY(G::groupSystem->isExclusive());
    QCOMPARE(G::groupSystem->actions(), QList<QAction*>({G::itemSystemWindows, G::itemSystemMac}));

    // Conversions at once: powers of two up to the cores, then all of them, the default.
    QCOMPARE(G::conversionChoices(1), QList<int>{1});
    QCOMPARE(G::conversionChoices(6), QList<int>({1, 2, 4}));
    QCOMPARE(G::conversionChoices(8), QList<int>({1, 2, 4, 8}));
    const int cores = QThread::idealThreadCount();
    QStringList expected;
    for (int count : G::conversionChoices(cores))
        expected << QString::number(count);
    expected << QStringLiteral("All Cores (%1)").arg(cores);
    QCOMPARE(actionTexts(G::menuConversions), expected);
    QVERIFY(G::groupConversions->isExclusive());
    QVERIFY(G::groupConversions->actions().last()->isChecked());
    QCOMPARE(G::conversionsAtOnce, cores);
    G::groupConversions->actions().first()->trigger();
    QCOMPARE(G::conversionsAtOnce, 1);
}

void TestWindow::layoutAsSeen() {
    // Where each control shows, as a user reads the window: top to bottom,
    // left to right, and what takes up the room when the window grows.
    auto window = TestSupport::makeWindow();
    using G = CorvaneGUI;
    window->resize(640, 720);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const auto at = [&](QWidget* w) { return QRect(w->mapTo(window.get(), QPoint()), w->size()); };
    const auto sameLine = [&](QWidget* a, QWidget* b) {
        return std::abs(at(a).center().y() - at(b).center().y()) <= at(a).height() / 2;
    };
    const auto leftOf = [&](QWidget* a, QWidget* b) {
        return sameLine(a, b) && at(a).right() < at(b).left();
    };
    const auto above = [&](QWidget* a, QWidget* b) { return at(a).bottom() < at(b).top(); };
    const auto sameColumn = [&](QWidget* a, QWidget* b) { return at(a).left() == at(b).left(); };

    // Top to bottom: banner, add buttons, table, its buttons, flags, converter, output, run.
    const QList<QWidget*> column{G::labelBanner,    G::buttonAddImages,    G::table,
                                 G::buttonOpenFile, G::labelFlags,         G::checkPyramid,
                                 G::fieldImfCopy,   G::checkSameDirectory, G::fieldDirectory,
                                 G::buttonProcess};
    for (qsizetype i = 1; i < column.size(); ++i)
        QVERIFY2(above(column[i - 1], column[i]), qPrintable(QString::number(i)));
    // The banner spans the window; the table is as wide as the controls under it.
    QCOMPARE(at(G::panelBanner).width(), window->centralWidget()->width());
    QCOMPARE(at(G::table).left(),
             at(G::fieldImfCopy).left() - at(G::labelImfCopy).width() - G::hgap);
    QVERIFY(leftOf(G::buttonAddImages, G::buttonAddDirectory));
    const QList<QWidget*> tableButtons{G::buttonOpenFile, G::buttonOpenFolder,
                                       G::buttonRemoveSelected, G::buttonRemoveConverted,
                                       G::buttonReset};
    for (qsizetype i = 1; i < tableButtons.size(); ++i)
        QVERIFY(leftOf(tableButtons[i - 1], tableButtons[i]));

    // The flags: two columns of boxes, each value field right under its box.
    QVERIFY(above(G::labelFlags, G::checkPyramid) && sameColumn(G::labelFlags, G::checkPyramid));
    QVERIFY(above(G::checkPyramid, G::checkTile) && sameColumn(G::checkPyramid, G::checkTile));
    QVERIFY(above(G::checkTile, G::checkCustom) && sameColumn(G::checkTile, G::checkCustom));
    QVERIFY(above(G::checkCustom, G::fieldCustom) && sameColumn(G::checkCustom, G::fieldCustom));
    QVERIFY(leftOf(G::checkPyramid, G::checkGamma));
    QVERIFY(above(G::checkGamma, G::fieldGamma) && sameColumn(G::checkGamma, G::fieldGamma));
    QVERIFY(above(G::fieldGamma, G::checkFilter) && sameColumn(G::fieldGamma, G::checkFilter));
    QVERIFY(above(G::checkFilter, G::fieldFilter) && sameColumn(G::checkFilter, G::fieldFilter));
    QVERIFY(sameLine(G::checkTile, G::fieldGamma) && sameLine(G::checkCustom, G::checkFilter));

    // The converter and output rows: label, field, browse button; Process, Create Script.
    QVERIFY(leftOf(G::labelImfCopy, G::fieldImfCopy));
    QVERIFY(leftOf(G::fieldImfCopy, G::buttonImfCopyBrowse));
    QVERIFY(leftOf(G::labelDirectory, G::fieldDirectory));
    QVERIFY(leftOf(G::fieldDirectory, G::buttonDirectoryBrowse));
    QVERIFY(leftOf(G::buttonProcess, G::buttonCreateScript));
    QVERIFY(at(G::buttonProcess).width() > at(G::buttonCreateScript).width());
    QVERIFY(!G::labelMaker->isVisible());

    // A taller window gives its room to the table alone.
    const int tableHeight = G::table->height();
    const int processTop = at(G::buttonProcess).top();
    const int addHeight = G::buttonAddImages->height();
    window->resize(640, 900);
    QTRY_COMPARE(G::table->height(), tableHeight + 180);
    QCOMPARE(at(G::buttonProcess).top(), processTop + 180);
    QCOMPARE(G::buttonAddImages->height(), addHeight);
}

void TestWindow::targetSystemFromOsName_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("system");
    QTest::newRow("Windows 10") << "Windows 10" << 0;
    QTest::newRow("Windows XP") << "Windows XP" << 0;
    QTest::newRow("lower case windows") << "windows 10" << 1;
    QTest::newRow("Mac OS X") << "Mac OS X" << 1;
    QTest::newRow("Linux") << "Linux" << 1;
    QTest::newRow("empty") << "" << 1;
}

void TestWindow::targetSystemFromOsName() {
    QFETCH(QString, name);
    QFETCH(int, system);
    auto window = TestSupport::makeWindow(name);
    QCOMPARE(int(CorvaneGUI::system), system);
    QCOMPARE(CorvaneGUI::osName, name);
    QCOMPARE(CorvaneGUI::itemSystemWindows->isChecked(), system == 0);
    QCOMPARE(CorvaneGUI::itemSystemMac->isChecked(), system == 1);
}

void TestWindow::converterProbedAtStartUp() {
    const QString maya2011 = R"(C:\Program Files\Autodesk\Maya2011\bin\imf_copy.exe)";
    {
        auto window =
            TestSupport::makeWindow("Linux", [&](const QString& p) { return p == maya2011; });
        QCOMPARE(CorvaneGUI::fieldImfCopy->text(), maya2011);
        QCOMPARE(CorvaneGUI::imfCopyDefault, maya2011);
    }
    {
        // Later releases come from the folder listing start-up is given.
        const QString maya2024 = "/usr/autodesk/maya2024/bin/imf_copy";
        auto window = TestSupport::makeWindow(
            "Linux", [&](const QString& p) { return p == maya2011 || p == maya2024; },
            [](const QString& folder) {
                return folder == "/usr/autodesk" ? QStringList{"maya2024", "maya2023"}
                                                 : QStringList();
            });
        QCOMPARE(CorvaneGUI::fieldImfCopy->text(), maya2024);
        QCOMPARE(CorvaneGUI::imfCopyDefault, maya2024);
    }
    auto window = TestSupport::makeWindow();
    QCOMPARE(CorvaneGUI::fieldImfCopy->text(), "imf_copy");
    QCOMPARE(CorvaneGUI::imfCopyDefault, "imf_copy");
    CorvaneGUI::fieldImfCopy->clear(); // an emptied field stays empty
    QCOMPARE(CorvaneGUI::fieldImfCopy->text(), "");
    QCOMPARE(CorvaneGUI::imfCopyDefault, "imf_copy");
}

void TestWindow::noListenerRunsForTheDefaults() {
    // Had the directory listener run for the default tick, the field would
    // be enabled; the listeners must only be attached afterwards, and then work.
    auto window = TestSupport::makeWindow();
    QVERIFY(!CorvaneGUI::fieldDirectory->isEnabled());
    CorvaneGUI::checkSameDirectory->setChecked(false);
    QVERIFY(CorvaneGUI::fieldDirectory->isEnabled());
}

void TestWindow::showingTheWindow() {
    auto window = TestSupport::makeWindow();
    showMainWindow(*window);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->windowTitle(), "Corvane v1.0 - Quillmere Software");
    QVERIFY(!window->windowIcon().isNull());
    QVERIFY(Look::themedLookActive());
    QRect centred(QPoint(), QSize(400, 700));
    centred.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    QCOMPARE(window->pos(), centred.topLeft());
    QCOMPARE(window->size(), window->sizeHint()); // packed to its contents
    QVERIFY(window->width() >= 600);
    QVERIFY(window->minimumWidth() < window->width() || window->maximumWidth() > window->width());
    Look::installSystem();
}

void TestWindow::showingTheWindowWithoutATheme() {
    auto window = TestSupport::makeWindow(); // the pictures are loaded by now
    // Hide every place a theme could come from: the resources, home and the
    // working folder. Without a theme nothing packs the window, so the
    // start-up size itself shows.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray oldHome = qgetenv("HOME");
    const QString oldCurrent = QDir::currentPath();
    cleanupResources();
    qputenv("HOME", QFile::encodeName(dir.path()));
    QDir::setCurrent(dir.path());
    const auto restore = qScopeGuard([&] {
        initResources();
        qputenv("HOME", oldHome);
        QDir::setCurrent(oldCurrent);
    });
    QVERIFY(!QFile::exists(":/Default.theme"));
    // Qt keeps a window at least as large as its layout's minimum, which is
    // wider than 400 here; with that minimum lifted the size asked for shows.
    window->setMinimumSize(100, 100);

    showMainWindow(*window);
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(!Look::themedLookActive());
    QCOMPARE(window->size(), QSize(400, 700));
    QRect centred(QPoint(), QSize(400, 700));
    centred.moveCenter(QGuiApplication::primaryScreen()->availableGeometry().center());
    QCOMPARE(window->pos(), centred.topLeft());
}

void TestWindow::attribCommandIsHandedOverAsWritten() {
    QCOMPARE(attribCommand(), R"(attrib -r "%USERPROFILE%\My Documents")");
    QCOMPARE(QProcess::splitCommand(attribCommand()),
             QStringList({"attrib", "-r", R"(%USERPROFILE%\My Documents)"}));
#ifndef Q_OS_WIN
    QVERIFY(!startAttribCommand()); // no such program here: ignored, nothing raised
#endif
}

void TestWindow::closingTheWindowEndsTheProgram() {
    auto window = TestSupport::makeWindow();
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QCOMPARE(QApplication::exec(), 0);
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
