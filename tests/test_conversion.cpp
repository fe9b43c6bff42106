// Converting for real: "Process" with the stand-in converter, and "Create Script".
#include "app/CorvaneGUI.h"
#include "conversion/rules/ScriptText.h"
#include "conversion/run/RunSession.h"
#include "joblist/JobTableModel.h"
#include "joblist/rules/FileFilter.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;
using Kind = Dialogs::MessageKind;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

using TestSupport::statuses;
using TestSupport::ticks;

bool lastMessageIs(Kind kind, const QString& title, const QString& text) {
    if (T::messages().empty())
        return false;
    const T::Message& m = T::messages().back();
    if (m.kind != kind || m.title != title || m.text != text)
        qWarning() << "last message:" << int(m.kind) << m.title << m.text;
    return m.kind == kind && m.title == title && m.text == text;
}

QStringList lines(const QString& path) {
    QStringList all =
        QString::fromLocal8Bit(TestSupport::readAll(path)).split('\n', Qt::SkipEmptyParts);
#ifdef Q_OS_WIN
    for (QString& line : all)
        line.remove(QRegularExpression("\r$")); // a batch file's line ends
#endif
    return all;
}

// The names a stand-in converter goes by here, and the search path's separator.
#ifdef Q_OS_WIN
const QString converterName = "imf_copy.exe";
const QByteArray pathSeparator = ";";
#else
const QString converterName = "imf_copy";
const QByteArray pathSeparator = ":";
#endif

// A window set up to convert with the stand-in, in the host's flavour: bash
// scripts, or batch files through cmd on Windows.
std::unique_ptr<CorvaneGUI> converterWindow() {
    auto window = TestSupport::makeWindow();
    G::system = TestSupport::hostFlavour();
    G::fieldImfCopy->setText(TestSupport::fakeConverter());
    return window;
}
} // namespace

class TestConversion : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void convertsTickedRowsOnly();
    void onlyTheUnreadableSourceFails();
    void runWithNoTickedRow();
    void outputDirectory();
    void oddFileNamesReachTheConverterIntact();
    void targetsPastWindowsClassicPathLimit();
    void converterMissing_data();
    void converterMissing();
    void convertersThatMisbehave_data();
    void convertersThatMisbehave();
    void windowsFlavourOnThisHost();
    void permissionCommandFailing();
    void unplaceableTargetStopsBeforeRunning();
    void noPrivateFolderForTheScript();
    void exportDialogFollowsTheTargetSystem();
    void exportBothFlavours();
    void exportFailuresLeaveFilesAlone();
    void clashingTargetsAskBeforeAnythingIsWritten();
    void exportedScriptConverts();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDirectory;
    QString path(const QString& name) const { return native(m_dir->filePath(name)); }
    QString image(const QString& name) const {
        const QString p = path(name);
        TestSupport::writeImage(p);
        return p;
    }
};

void TestConversion::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    // The run must not touch the working folder: make it one we can watch.
    m_previousDirectory = QDir::currentPath();
    QVERIFY(QDir(m_dir->path()).mkdir("work"));
    QDir::setCurrent(m_dir->filePath("work"));
    TestSupport::useCacheFolder(m_dir->filePath("cache"));
}

void TestConversion::cleanup() {
    QDir::setCurrent(m_previousDirectory);
    m_dir.reset();
}

void TestConversion::convertsTickedRowsOnly() {
    auto window = converterWindow();
    // A file of the script's name in the working folder is the user's own.
    const QString scriptName = runScriptName(G::system);
    QVERIFY(TestSupport::writeFile(scriptName, "keep me\n"));

    G::addImageRows({image("a.png"), image("b.jpg"), image("c.png")});
    G::model->setProcess(1, false);
    QTest::mouseClick(G::buttonProcess, Qt::LeftButton);
    QVERIFY(TestSupport::finishRun());

    QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));
    QCOMPARE(statuses(), QStringList({"Converted", "Unprocessed", "Converted"}));
    QCOMPARE(ticks(), QList<bool>({false, false, false}));
    QVERIFY(QFileInfo(path("a.map")).size() > 0);
    QVERIFY(!QFile::exists(path("b.map")));
    QVERIFY(QFileInfo(path("c.map")).size() > 0);
    QCOMPARE(TestSupport::readAll(scriptName), QByteArray("keep me\n"));
    QCOMPARE(QDir(".").entryList(QDir::Files), QStringList{scriptName});

    // Converted rows are left alone: the next run is empty and changes nothing.
    QTest::mouseClick(G::buttonProcess, Qt::LeftButton);
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));
    QCOMPARE(statuses(), QStringList({"Converted", "Unprocessed", "Converted"}));
}

void TestConversion::onlyTheUnreadableSourceFails() {
    auto window = converterWindow();
    QVERIFY(TestSupport::writeFile(path("broken.png"), "not a picture"));
    // The broken row comes first: a later success must not hide its failure.
    G::addImageRows({path("broken.png"), image("good.png")});
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Error, "Corvane", TestSupport::failedRunText(1)));
    QCOMPARE(statuses(), QStringList({"Failed", "Converted"}));
    QCOMPARE(ticks(), QList<bool>({true, false}));
}

void TestConversion::runWithNoTickedRow() {
    auto window = converterWindow();
    G::addImageRow(image("a.png"));
    G::model->setProcess(0, false);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));
    QCOMPARE(statuses(), QStringList{"Unprocessed"});
    QVERIFY(!QFile::exists(path("a.map")));
}

void TestConversion::outputDirectory() {
    auto window = converterWindow();
    QVERIFY(QDir(m_dir->path()).mkdir("out"));
    G::addImageRow(image("a.png"));
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(path("out"));
    G::addImageRow(image("late.png")); // still shows its old target, converts into "out"
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));
    QVERIFY(QFileInfo(path("out/a.map")).size() > 0);
    QVERIFY(QFileInfo(path("out/late.map")).size() > 0);
    QVERIFY(!QFile::exists(path("a.map")) && !QFile::exists(path("late.map")));
    QCOMPARE(statuses(), QStringList({"Converted", "Converted"}));
}

void TestConversion::oddFileNamesReachTheConverterIntact() {
    auto window = converterWindow();
#ifdef Q_OS_WIN
    // Windows names hold no quote or backslash; batch files go in the machine's code page,
    // whose Western European pages (437, 850) both hold these letters.
    const QStringList names{"with space.png", "$(touch pwned).png", "`touch pwned`.png",
                            "100%done.png",   "%PATH%.png",         "ünïcé & (b) ^!.png"};
#else
    const QStringList names{"with space.png",    "quote\"d.png",   "$(touch pwned).png",
                            "`touch pwned`.png", "100%done.png",   "ünïcødé ĳ.png",
                            "$HOME.png",         "back\\slash.png"};
#endif
    QStringList sources;
    for (const QString& name : names)
        sources << image(name);
    G::addImageRows(sources);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));
    QCOMPARE(statuses(), QStringList(names.size(), "Converted"));
    for (const JobRow& row : G::model->rows())
        QVERIFY2(QFileInfo(row.newImage).size() > 0, qPrintable(row.newImage));
    QVERIFY(!QFile::exists("pwned") && !QFile::exists(path("pwned")));
}

void TestConversion::targetsPastWindowsClassicPathLimit() {
    // A texture library's tree goes deeper than Windows' classic limit of 260 characters: a
    // row beside its deep source, and one whose mirrored folders are made deep below the
    // output directory. Each converts, or fails with its reason: never silently.
    auto window = converterWindow();
    QString deep = path("long");
    while (deep.size() < 280)
        deep += native("/a folder of wood textures");
    QVERIFY(QDir().mkpath(deep + native("/tree/below")));
    const QString beside = deep + native("/tree/diffuse.png");
    const QString mirrored = deep + native("/tree/below/normal.png");
    QVERIFY(TestSupport::writeImage(beside) && TestSupport::writeImage(mirrored));
    G::addImageRow(beside);
    G::itemIncludeSubfolders->trigger();
    G::scanAndAdd({deep + native("/tree/below")});
    QVERIFY(TestSupport::finishScan());
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList({"Converted", "Converted"}));
    QVERIFY(QFileInfo(deep + native("/tree/diffuse.map")).size() > 0);

    // Into an output directory as deep: its mirrored folder is made on the way.
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(deep + native("/out"));
    G::model->clear();
    G::scanAndAdd({deep + native("/tree")});
    QVERIFY(TestSupport::finishScan());
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(statuses(), QStringList({"Converted", "Converted"}));
    const QString target = deep + native("/out/below/normal.map");
    QVERIFY2(target.size() > 300, qPrintable(QString::number(target.size())));
    QVERIFY(QFileInfo(target).size() > 0);
}

void TestConversion::converterMissing_data() {
    QTest::addColumn<QString>("converter"); // "@" stands for the test folder
    QTest::addColumn<QString>("warning");   // empty: the converter is found and runs
    const QString choose = " Choose it with the button beside the imf_copy field.";
    QTest::newRow("no such file") << "@nowhere/imf_copy"
                                  << "The converter \"%1\" was not found." + choose;
    QTest::newRow("a folder") << "@bin"
                              << "The converter \"%1\" is a folder, not a program." + choose;
    QTest::newRow("not executable")
        << "@plain/imf_copy"
        << "The converter \"%1\" is not allowed to run: make it executable, or choose another "
           "with the button beside the imf_copy field.";
    QTest::newRow("bare name not on PATH")
        << "imf_copy_elsewhere"
        << "The converter \"imf_copy_elsewhere\" was not found." + choose;
    QTest::newRow("empty field") << ""
                                 << "No converter is set." + choose;
    QTest::newRow("bare name on PATH") << "imf_copy"
                                       << "";
}

void TestConversion::converterMissing() {
    QFETCH(QString, converter);
    QFETCH(QString, warning);
    auto window = converterWindow();
    // A PATH holding the stand-in as "imf_copy", and a copy without permission to run (on
    // Windows: without the extension that makes a file a program).
    QVERIFY(QDir(m_dir->path()).mkpath("bin") && QDir(m_dir->path()).mkpath("plain"));
#ifdef Q_OS_WIN
    QVERIFY(QFile::copy(TestSupport::fakeConverter(), path("bin/" + converterName)));
    const QByteArray searched = qgetenv("PATH"); // Qt's own libraries, which it needs
#else
    QVERIFY(QFile::link(TestSupport::fakeConverter(), path("bin/" + converterName)));
    const QByteArray searched = "/usr/bin:/bin";
#endif
    QVERIFY(TestSupport::writeFile(path("plain/imf_copy"),
                                   TestSupport::readAll(TestSupport::fakeConverter())));
    const auto restorePath = qScopeGuard([old = qgetenv("PATH")] { qputenv("PATH", old); });
    qputenv("PATH", path("bin").toLocal8Bit() + pathSeparator + searched);
    const QString field = converter.startsWith('@') ? path(converter.mid(1)) : converter;
    G::fieldImfCopy->setText(field);
    G::addImageRows({image("a.png"), image("b.png")});

    G::processImages();
    QVERIFY(TestSupport::finishRun());
    if (warning.isEmpty()) {
        QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));
        QCOMPARE(statuses(), QStringList({"Converted", "Converted"}));
        return;
    }
    // One warning, and nothing run: a run would have stamped every row "Failed".
    QCOMPARE(T::messages().size(), size_t(1));
    QVERIFY(lastMessageIs(Kind::Warning, "Corvane", warning.arg(native(field))));
    QVERIFY(!G::activeRun);
    QCOMPARE(statuses(), QStringList({"Unprocessed", "Unprocessed"}));
    QCOMPARE(ticks(), QList<bool>({true, true}));

    // Create Script still writes, for the machine the script will run on, and says so.
    T::queueFiles(Dialogs::FileAnswer{{path("later.txt")}, 1});
    G::createScript();
    QVERIFY(QFileInfo(path("later.txt")).size() > 0);
    QCOMPARE(T::messages().back().text.section('\n', 0, 0), "Script created!");
    QVERIFY(T::messages().back().text.endsWith(" was not found on this machine."));
}

void TestConversion::convertersThatMisbehave_data() {
    QTest::addColumn<QByteArray>("converter");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("detail");
    QTest::newRow("claims success, writes nothing")
        << QByteArray("exit 0") << "Error Processing Files"
        << "but the .map file is missing";
    // The out-of-memory killer, say: the row did not run to its end.
    QTest::newRow("its script killed under it")
        << QByteArray("kill -KILL $PPID") << "Exception Error"
        << "crashed or was killed";
}

void TestConversion::convertersThatMisbehave() {
    QFETCH(QByteArray, converter);
    QFETCH(QString, box);
    QFETCH(QString, detail);
    auto window = converterWindow();
#ifdef Q_OS_WIN
    // A batch file cannot end the interpreter running it as the shell's kill can.
    if (converter.startsWith("kill"))
        QSKIP("needs a POSIX shell");
    QVERIFY(TestSupport::writeFile(path("lazy.bat"), "@exit /b 0\r\n")); // as "exit 0" does
    G::fieldImfCopy->setText(path("lazy.bat"));
#else
    QVERIFY(TestSupport::writeFile(path("lazy.sh"), "#!/bin/sh\n" + converter + "\n", true));
    G::fieldImfCopy->setText(path("lazy.sh"));
#endif
    // A stale target left from an earlier run is no conversion either, and stays as it was.
    QVERIFY(TestSupport::writeFile(path("old.map"), "from last week"));
    G::addImageRows({image("old.png"), image("new.png")});
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Error, "Corvane", box));
    QVERIFY2(T::messages().back().details.contains(detail),
             qPrintable(T::messages().back().details));
    QCOMPARE(statuses(), QStringList({"Failed", "Failed"}));
    QCOMPARE(TestSupport::readAll(path("old.map")), "from last week");
}

void TestConversion::windowsFlavourOnThisHost() {
#ifdef Q_OS_WIN
    QSKIP("a batch file runs for real on Windows");
#endif
    auto window = converterWindow();
    G::itemSystemWindows->trigger();
    G::addImageRows({image("a.png"), image("b.png")});
    G::model->setProcess(1, false);
    QVERIFY(TestSupport::writeFile(path("a.map"), "an earlier conversion"));
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Error, "Corvane", "Exception Error"));
    QCOMPARE(statuses(), QStringList({"Failed", "Unprocessed"}));
    // Nothing ran, so nothing of the earlier conversion is taken for unfinished work.
    QCOMPARE(TestSupport::readAll(path("a.map")), "an earlier conversion");
    QCOMPARE(QDir(".").entryList(QDir::Files), QStringList());
}

void TestConversion::permissionCommandFailing() {
#ifdef Q_OS_WIN
    QSKIP("needs a POSIX shell");
#endif
    auto window = converterWindow();
    QVERIFY(QDir(m_dir->path()).mkdir("bin"));
    QVERIFY(TestSupport::writeFile(path("bin/chmod"), "#!/bin/sh\nexit 1\n", true));
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", path("bin").toLocal8Bit() + ":" + oldPath);
    G::addImageRow(image("a.png"));
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    qputenv("PATH", oldPath);
    QVERIFY(lastMessageIs(Kind::Error, "Corvane", "Error Processing Files. Code: 10"));
    QCOMPARE(statuses(), QStringList{"Failed"});
}

void TestConversion::unplaceableTargetStopsBeforeRunning() {
    auto window = converterWindow();
    G::addImageRows({image("a.png"), "relative.png"});
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(path("out"));
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QVERIFY(lastMessageIs(Kind::Error, "Corvane", "Error Writing File"));
    QCOMPARE(T::messages().size(), size_t(1));
    QCOMPARE(statuses(), QStringList({"Unprocessed", "Unprocessed"}));
    QVERIFY(!QFile::exists(path("a.map")));
}

void TestConversion::noPrivateFolderForTheScript() {
    auto window = converterWindow();
    G::addImageRow(image("a.png"));
    // A cache and a temporary folder that are plain files: no folder can be made inside them.
    QVERIFY(TestSupport::writeFile(path("not-a-folder"), ""));
#ifdef Q_OS_WIN
    const char* temp = "TMP"; // then TEMP, which Windows asks after it
    const QByteArray oldTempToo = qgetenv("TEMP");
    qputenv("TEMP", path("not-a-folder").toLocal8Bit());
#else
    const char* temp = "TMPDIR";
#endif
    const QByteArray oldTemp = qgetenv(temp);
    qputenv(temp, path("not-a-folder").toLocal8Bit());
    TestSupport::useCacheFolder(path("not-a-folder"));
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    qputenv(temp, oldTemp);
#ifdef Q_OS_WIN
    qputenv("TEMP", oldTempToo);
#endif
    QVERIFY(lastMessageIs(Kind::Error, "Corvane", "Error Writing File"));
    QCOMPARE(statuses(), QStringList{"Unprocessed"});
    QVERIFY(!QFile::exists(path("a.map")));
}

void TestConversion::exportDialogFollowsTheTargetSystem() {
    auto window = converterWindow();
    for (TargetSystem system : {TargetSystem::Windows, TargetSystem::Mac}) {
        G::system = system;
        G::ListenerCreateScript{}.actionPerformed(); // cancelled: nothing queued
        const Dialogs::FileRequest& request = T::fileRequests().back();
        QCOMPARE(request.title, "Create Script File");
        QCOMPARE(request.mode, Dialogs::FileMode::Save);
        QVERIFY(request.allFilesChoice);
        QCOMPARE(request.filters.size(), size_t(2));
        QCOMPARE(request.currentFilter, 1);
        const QString current = request.filters[1]->description();
        QCOMPARE(current, system == TargetSystem::Windows ? "Batch File (Windows .bat)"
                                                          : "Shell Script (Mac .sh)");
        QCOMPARE(request.startDirectory, QString());
    }
    QVERIFY(T::messages().empty());
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(m_dir->path());
    G::ListenerCreateScript{}.actionPerformed();
    QCOMPARE(T::fileRequests().back().startDirectory, m_dir->path());
    G::fieldDirectory->setText(path("missing"));
    G::ListenerCreateScript{}.actionPerformed();
    QCOMPARE(T::fileRequests().back().startDirectory, QString());
}

void TestConversion::exportBothFlavours() {
    auto window = converterWindow();
    G::fieldImfCopy->setText("imf_copy");
    G::addImageRows({"/pics/a.png", "/pics/b.png", "/pics/c.png"});
    TestSupport::setStatus(*G::model, 0, Status::Converted);
    G::model->setProcess(1, false);
    const QStringList commands{R"(imf_copy -p  "/pics/a.png" "/pics/a.map")",
                               R"(imf_copy -p  "/pics/c.png" "/pics/c.map")"};
    const auto restorePath = qScopeGuard([old = qgetenv("PATH")] { qputenv("PATH", old); });
    qputenv("PATH", path("empty").toLocal8Bit()); // no imf_copy on this machine
    const QString notHere =
        "Script created!\n\nThe converter \"imf_copy\" was not found on this machine.";

    G::system = TargetSystem::Windows;
    T::queueFiles(Dialogs::FileAnswer{{path("convert")}, 1}); // batch filter current
    QTest::mouseClick(G::buttonCreateScript, Qt::LeftButton);
    // Written all the same, for the machine it will run on.
    QVERIFY(lastMessageIs(Kind::Information, "Success", notHere));
    QCOMPARE(lines(path("convert.bat")),
             QStringList({"@echo.",
                          "@echo Generated by Quillmere Software - www.quillmere-software.example",
                          "@echo Corvane v1.0", "@echo.", "@pause"}) +
                 commands + QStringList({"@echo.", "@echo Processing completed", "@pause"}));
    QVERIFY(TestSupport::readAll(path("convert.bat"))
                .endsWith("@pause" + hostLineSeparator().toLatin1()));

    // The file name follows the filter, the content the target system.
    T::queueFiles(Dialogs::FileAnswer{{path("convert")}, 0}); // shell filter on Windows
    G::createScript();
    QCOMPARE(lines(path("convert.sh")).first(), "@echo.");
    T::queueFiles(Dialogs::FileAnswer{{path("everything")}, -1});
    G::createScript();
    QVERIFY(QFile::exists(path("everything.bat")));

    G::system = TargetSystem::Mac;
    T::queueFiles(Dialogs::FileAnswer{{path("convert.txt")}, 1});
    G::createScript();
    QCOMPARE(lines(path("convert.txt")), QStringList{"#!/bin/bash"} + commands);
    QVERIFY(!(QFile::permissions(path("convert.txt")) & QFile::ExeOwner));

    G::model->updateAll([](int, JobRow& row) { row.process = false; });
    T::queueFiles(Dialogs::FileAnswer{{path("convert.txt")}, 1}); // replaced, not appended
    G::createScript();
    QCOMPARE(lines(path("convert.txt")), QStringList{"#!/bin/bash"});
    QVERIFY(lastMessageIs(Kind::Information, "Success", notHere));
}

void TestConversion::exportFailuresLeaveFilesAlone() {
    auto window = converterWindow();
    G::addImageRows({"/pics/a.png", "relative.png"});
    QVERIFY(TestSupport::writeFile(path("kept.sh"), "precious\n"));

    // A row that cannot be placed into the output folder fails the export.
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText("/out");
    T::queueFiles(Dialogs::FileAnswer{{path("kept.sh")}, 1});
    G::createScript();
    QVERIFY(lastMessageIs(Kind::Warning, "Error", "Error Creating File"));
    QCOMPARE(T::messages().size(), size_t(1));
    QCOMPARE(TestSupport::readAll(path("kept.sh")), QByteArray("precious\n"));

    // A new file given up is not left behind empty.
    T::queueFiles(Dialogs::FileAnswer{{path("new.sh")}, 1});
    G::createScript();
    QCOMPARE(T::messages().size(), size_t(2));
    QVERIFY(!QFile::exists(path("new.sh")));

    // A folder that does not exist: reported for the creation and the writing.
    G::checkSameDirectory->setChecked(true);
    T::queueFiles(Dialogs::FileAnswer{{path("missing/run.sh")}, 1});
    G::createScript();
    QCOMPARE(T::messages().size(), size_t(4));
    QVERIFY(lastMessageIs(Kind::Warning, "Error", "Error Creating File"));
    QVERIFY(!QFile::exists(path("missing")));

#ifdef Q_OS_UNIX
    // A read-only file stays as it was (root may write anyway, so only as a user).
    if (geteuid() != 0) {
        QFile::setPermissions(path("kept.sh"), QFile::ReadOwner);
        T::queueFiles(Dialogs::FileAnswer{{path("kept.sh")}, 1});
        G::createScript();
        QVERIFY(lastMessageIs(Kind::Warning, "Error", "Error Creating File"));
        QCOMPARE(TestSupport::readAll(path("kept.sh")), QByteArray("precious\n"));
        QFile::setPermissions(path("kept.sh"), QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(QFile::remove(path("kept.sh")));
    }
#endif
    const size_t before = T::messages().size();
    // A name that is taken by a folder cannot be written either.
    QVERIFY(QDir(m_dir->path()).mkdir("taken.sh"));
    T::queueFiles(Dialogs::FileAnswer{{path("taken.sh")}, 1});
    G::createScript();
    QCOMPARE(T::messages().size(), before + 1);
    QVERIFY(lastMessageIs(Kind::Warning, "Error", "Error Creating File"));
    QVERIFY(QFileInfo(path("taken.sh")).isDir());
}

void TestConversion::clashingTargetsAskBeforeAnythingIsWritten() {
    auto window = converterWindow();
    G::addImageRows({image("a.jpg"), image("b.png"), image("A.png")});
    const QString question =
        "Some images would write the same .map file:\n" + path("a.map") + "\nContinue?";
    QCOMPARE(G::model->row(0).newImage, path("a.map"));

    // No (the default answer here): nothing runs, nothing is written.
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(T::questions(), std::vector<QString>{question});
    QCOMPARE(T::questionTitles(), std::vector<QString>{"Corvane"});
    QVERIFY(T::messages().empty());
    QCOMPARE(statuses(), QStringList({"Unprocessed", "Unprocessed", "Unprocessed"}));
    QVERIFY(QDir(m_dir->path()).entryList({"*.map"}).isEmpty());
    T::queueFiles(Dialogs::FileAnswer{{path("later.sh")}, 1});
    G::createScript();
    QCOMPARE(T::questions().size(), size_t(2));
    QVERIFY(T::fileRequests().empty()); // not even the dialog
    QVERIFY(!QFile::exists(path("later.sh")));
    QVERIFY(T::messages().empty());

    // Unticking one of the two leaves nothing to ask.
    G::model->setProcess(2, false);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(T::questions().size(), size_t(2));
    QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));

    // Two folders into one output directory; Yes goes ahead as before.
    QVERIFY(QDir(m_dir->path()).mkpath("one") && QDir(m_dir->path()).mkpath("two") &&
            QDir(m_dir->path()).mkpath("out"));
    G::model->clear();
    G::addImageRows({image("one/x.png"), image("two/x.png")});
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(path("out"));
    T::queueAnswer(true);
    T::queueFiles(Dialogs::FileAnswer{{path("later.sh")}, 1});
    G::createScript();
    QCOMPARE(T::questions().back(),
             "Some images would write the same .map file:\n" + path("out/x.map") + "\nContinue?");
    QVERIFY(lastMessageIs(Kind::Information, "Success", "Script created!"));
    T::queueAnswer(true);
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QCOMPARE(T::questions().size(), size_t(4));
    QVERIFY(lastMessageIs(Kind::Information, "Corvane", "Processed Successfully"));
    QVERIFY(QFileInfo(path("out/x.map")).size() > 0);
}

void TestConversion::exportedScriptConverts() {
    auto window = converterWindow();
    G::addImageRows({image("one.png"), image("two $x.png")});
    T::queueFiles(Dialogs::FileAnswer{{path("later")}, 1});
    G::createScript();
    QVERIFY(lastMessageIs(Kind::Information, "Success", "Script created!"));
    QVERIFY(!QFile::exists(path("one.map")));
    QCOMPARE(statuses(), QStringList({"Unprocessed", "Unprocessed"}));

    QCOMPARE(TestSupport::runSavedScript(path("later")), 0);
    QVERIFY(QFileInfo(path("one.map")).size() > 0);
    QVERIFY(QFileInfo(path("two $x.map")).size() > 0);
}

QTEST_MAIN(TestConversion)
#include "test_conversion.moc"
