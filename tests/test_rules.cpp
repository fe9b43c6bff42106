// The rules that need no window: extensions and filters, target paths, flag
// strings, converter lines and their quoting, script text, converter location.
#include "conversion/CommandLine.h"
#include "conversion/ConversionResult.h"
#include "conversion/ConverterLocation.h"
#include "conversion/FileFilter.h"
#include "conversion/ScriptText.h"
#include "conversion/TargetClashes.h"
#include "conversion/Utils.h"
#include "joblist/ColumnShares.h"
#include "joblist/ImagesFilter.h"
#include "joblist/TargetPaths.h"
#include "testsupport/TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

Q_DECLARE_METATYPE(FlagOptions)

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void extensions_data();
    void extensions();
    void filtersAcceptDirectoriesAndTheirExtensions_data();
    void filtersAcceptDirectoriesAndTheirExtensions();
    void targets_data();
    void targets();
    void flagStrings_data();
    void flagStrings();
    void converterLines_data();
    void converterLines();
    void quotingLeavesPlainPathsAlone();
    void bashLineHandsOddNamesToTheConverterExactly();
    void scriptFrames();
    void scriptFileNames_data();
    void scriptFileNames();
    void converterLocation_data();
    void converterLocation();
    void resultTexts();
    void targetClashes_data();
    void targetClashes();
    void rowsClashByTheirCommandTargets();
    void clashQuestionListsTheFirstFew();
    void columnShares();
};

void TestRules::extensions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("extension");
    QTest::newRow("plain") << "photo.png"
                           << "png";
    QTest::newRow("upper case") << "PHOTO.JPG"
                                << "jpg";
    QTest::newRow("only the last dot counts") << "archive.tar.Gz"
                                              << "gz";
    QTest::newRow("no dot") << "README"
                            << "";
    QTest::newRow("dot first") << ".png"
                               << "";
    QTest::newRow("dot last") << "photo."
                              << "";
    QTest::newRow("one letter") << "a.b"
                                << "b";
}

void TestRules::extensions() {
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QCOMPARE(Utils::getExtension(name), extension);
}

void TestRules::filtersAcceptDirectoriesAndTheirExtensions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("image");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<bool>("shell");
    QTest::addColumn<bool>("exe");
    QTest::newRow("png") << "a.png" << true << false << false << false;
    QTest::newRow("mixed-case jpg") << "b.JpG" << true << false << false << false;
    QTest::newRow("every image kind") << "c.iff" << true << false << false << false;
    QTest::newRow("jpeg is not one") << "c.jpeg" << false << false << false << false;
    QTest::newRow("tiff is not one") << "d.tiff" << false << false << false << false;
    QTest::newRow("RUN.BAT") << "RUN.BAT" << false << true << false << false;
    QTest::newRow(".bat has no extension") << ".bat" << false << false << false << false;
    QTest::newRow("run. has no extension") << "run." << false << false << false << false;
    QTest::newRow("script") << "go.sh" << false << false << true << false;
    QTest::newRow("converter") << "imf_copy.exe" << false << false << false << true;
    QTest::newRow("no extension") << "imf_copy" << false << false << false << false;
}

void TestRules::filtersAcceptDirectoriesAndTheirExtensions() {
    QFETCH(QString, name);
    QFETCH(bool, image);
    QFETCH(bool, batch);
    QFETCH(bool, shell);
    QFETCH(bool, exe);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(name);
    QFile(file).open(QIODevice::WriteOnly);
    QCOMPARE(ImagesFilter().accept(QFileInfo(file)), image);
    QCOMPARE(BatFilter().accept(QFileInfo(file)), batch);
    QCOMPARE(ShFilter().accept(QFileInfo(file)), shell);
    QCOMPARE(ExeFilter().accept(QFileInfo(file)), exe);

    // The same name as a folder always passes, so the user can move through it.
    QTemporaryDir folders;
    QVERIFY(QDir(folders.path()).mkdir(name));
    const QFileInfo folder(folders.filePath(name));
    QVERIFY(ImagesFilter().accept(folder) && BatFilter().accept(folder) &&
            ShFilter().accept(folder) && ExeFilter().accept(folder));
}

void TestRules::targets_data() {
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

void TestRules::targets() {
    QFETCH(QString, source);
    QFETCH(QString, directory);
    QFETCH(QString, beside);
    QFETCH(QString, inFolder);
    QCOMPARE(sameDirectoryTarget(source).value_or(QString()), beside);
    QCOMPARE(outputDirectoryTarget(source, directory).value_or(QString()), inFolder);
}

void TestRules::flagStrings_data() {
    QTest::addColumn<FlagOptions>("options");
    QTest::addColumn<QString>("flags");
    FlagOptions all{true, true, true, "2.2", true, "1.0", false, ""};
    QTest::newRow("all boxes, fixed order") << all << "-p -r -g 2.2 -f 1.0 ";
    FlagOptions none{false, false, false, "1.0", false, "1.0", false, ""};
    QTest::newRow("nothing") << none << "";
    FlagOptions emptyGamma{false, false, true, "", false, "1.0", false, ""};
    QTest::newRow("empty gamma value") << emptyGamma << "-g  ";
    FlagOptions unusedValues{true, false, false, "9", false, "9", false, "x"};
    QTest::newRow("values of unticked boxes unused") << unusedValues << "-p ";
    FlagOptions custom = all;
    custom.custom = true;
    custom.customText = "-r";
    QTest::newRow("custom replaces the boxes") << custom << "-r";
    custom.customText = "";
    QTest::newRow("empty custom text") << custom << "";
}

void TestRules::flagStrings() {
    QFETCH(FlagOptions, options);
    QFETCH(QString, flags);
    QCOMPARE(buildFlagString(options), flags);
}

void TestRules::converterLines_data() {
    QTest::addColumn<QString>("converter");
    QTest::addColumn<QString>("flags");
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("sameDirectory");
    QTest::addColumn<QString>("directory");
    QTest::addColumn<QString>("line");
    QTest::newRow("installed converter, every flag, output folder")
        << R"(C:\Maya\bin\imf_copy.exe)"
        << "-p -r -g 2.2 -f 1.0 "
        << R"(C:\img\a.map)" << false << R"(D:\out)"
        << R"("C:\Maya\bin\imf_copy.exe" -p -r -g 2.2 -f 1.0  "C:\img\a.png" "D:\out\a.map")";
    QTest::newRow("custom flag beside the source")
        << "imf_copy"
        << "-r"
        << R"(C:\img\a.map)" << true << ""
        << R"(imf_copy -r "C:\img\a.png" "C:\img\a.map")";
    QTest::newRow("no flag") << "imf_copy"
                             << ""
                             << R"(C:\img\a.map)" << true << ""
                             << R"(imf_copy  "C:\img\a.png" "C:\img\a.map")";
    QTest::newRow("only the exact bare name stays bare")
        << "imf_copy "
        << ""
        << R"(C:\img\a.map)" << true << ""
        << R"("imf_copy "  "C:\img\a.png" "C:\img\a.map")";
    QTest::newRow("capitals are quoted") << "IMF_COPY"
                                         << ""
                                         << R"(C:\img\a.map)" << true << ""
                                         << R"("IMF_COPY"  "C:\img\a.png" "C:\img\a.map")";
    QTest::newRow("empty converter") << ""
                                     << ""
                                     << R"(C:\img\a.map)" << true << ""
                                     << R"(""  "C:\img\a.png" "C:\img\a.map")";
    QTest::newRow("output folder with trailing separator")
        << "imf_copy"
        << "-p "
        << R"(C:\img\a.map)" << false << R"(D:\out\)"
        << R"(imf_copy -p  "C:\img\a.png" "D:\out\\a.map")";
}

void TestRules::converterLines() {
    QFETCH(QString, converter);
    QFETCH(QString, flags);
    QFETCH(QString, target);
    QFETCH(bool, sameDirectory);
    QFETCH(QString, directory);
    QFETCH(QString, line);
    const std::optional<QString> placed = commandTargetPath(target, sameDirectory, directory);
    QVERIFY(placed);
    // Both flavours give the same bytes for paths without special characters,
    // except that bash must keep a doubled backslash before the quote doubled.
    const QString windows =
        buildConverterCommand(converter, flags, R"(C:\img\a.png)", *placed, TargetSystem::Windows);
    QCOMPARE(windows, line);
    if (!placed->contains(QStringLiteral("\\\\")))
        QCOMPARE(
            buildConverterCommand(converter, flags, R"(C:\img\a.png)", *placed, TargetSystem::Mac),
            line);
    QVERIFY(!commandTargetPath(QStringLiteral("a.map"), false, directory));
}

void TestRules::quotingLeavesPlainPathsAlone() {
    for (const QString& path : {QStringLiteral(R"(C:\Program Files (x86)\a b\c.png)"),
                                QStringLiteral("/home/zoë/pics/été 2024/a&b;c'd.png")}) {
        QCOMPARE(quotedPathText(path, TargetSystem::Windows), path);
        QCOMPARE(quotedPathText(path, TargetSystem::Mac), path);
    }
    QCOMPARE(quotedPathText("100%done.png", TargetSystem::Windows), "100%%done.png");
    QCOMPARE(quotedPathText("100%done.png", TargetSystem::Mac), "100%done.png");
    QCOMPARE(quotedPathText(R"($(rm -rf ~)`x`"q".png)", TargetSystem::Mac),
             R"(\$(rm -rf ~)\`x\`\"q\".png)");
    QCOMPARE(quotedPathText(R"(dir\)", TargetSystem::Mac), R"(dir\\)");
    QCOMPARE(quotedPathText(R"(a\\b\$c)", TargetSystem::Mac), R"(a\\\b\\\$c)");
}

void TestRules::bashLineHandsOddNamesToTheConverterExactly() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList names{QStringLiteral("$(touch pwned).png"),
                            QStringLiteral("`touch pwned`.png"),
                            QStringLiteral("a\"b.png"),
                            QStringLiteral("100%done.png"),
                            QStringLiteral("back\\slash\\$x.png"),
                            QStringLiteral("naïve café.png"),
                            QStringLiteral("$HOME ${PATH}.png")};
    QStringList lines{QStringLiteral("#!/bin/bash")};
    QStringList expected;
    for (const QString& name : names) {
        const QString source = dir.filePath(name);
        QVERIFY(TestSupport::writeImage(source) ||
                QFile::copy(dir.filePath(names.first()), source));
        const QString target = *sameDirectoryTarget(source);
        lines << buildConverterCommand(TestSupport::fakeConverter(), "-p ", source, target,
                                       TargetSystem::Mac);
        expected << QStringLiteral("-p") << source << target;
    }
    const QString script = dir.filePath("run.sh");
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(scriptBytes(TargetSystem::Mac, lines));
    file.close();

    QProcess bash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_FAKE_IMF_COPY_LOG", dir.filePath("log"));
    bash.setProcessEnvironment(env);
    bash.setWorkingDirectory(dir.path());
    bash.start("bash", {script});
    QVERIFY(bash.waitForFinished());
    QCOMPARE(bash.exitCode(), 0);
    QVERIFY(!QFile::exists(dir.filePath("pwned")));

    QStringList received;
    for (const QByteArray& line : TestSupport::readAll(dir.filePath("log")).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        for (qsizetype i = 1; i < fields.size(); ++i)
            received << QString::fromUtf8(QByteArray::fromPercentEncoding(fields[i]));
    }
    QCOMPARE(received, expected);
    for (const QString& name : names)
        QVERIFY2(QFileInfo(*sameDirectoryTarget(dir.filePath(name))).size() > 0, qPrintable(name));
}

void TestRules::scriptFrames() {
    const QStringList commands{QStringLiteral("imf_copy -p  \"a.png\" \"a.map\"")};
    QCOMPARE(runScriptLines(TargetSystem::Windows, commands), commands);
    QCOMPARE(runScriptLines(TargetSystem::Mac, commands),
             QStringList({QStringLiteral("#!/bin/bash"), commands.first()}));
    QCOMPARE(exportScriptLines(TargetSystem::Mac, "1.0", {}), QStringList{"#!/bin/bash"});
    const QStringList batch = exportScriptLines(TargetSystem::Windows, "1.0", commands);
    QCOMPARE(batch.size(), 9);
    QCOMPARE(batch.mid(0, 5),
             QStringList({"@echo.", "@echo Generated by Quillmere Software - " + makerWebHost(),
                          "@echo Corvane v1.0", "@echo.", "@pause"}));
    QCOMPARE(batch[5], commands.first());
    QCOMPARE(batch.mid(6), QStringList({"@echo.", "@echo Processing completed", "@pause"}));
    QCOMPARE(exportScriptLines(TargetSystem::Windows, "1.0", {}).size(), 8);
    // Every line, the last too, ends with the host's line end.
    const QByteArray end = hostLineSeparator().toLatin1();
    QCOMPARE(scriptBytes(TargetSystem::Mac, {"a", "b"}), "a" + end + "b" + end);
    QCOMPARE(runScriptName(TargetSystem::Mac), "temp.sh");
    QCOMPARE(runScriptName(TargetSystem::Windows), "temp.bat");
}

void TestRules::scriptFileNames_data() {
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("shell");
    QTest::addColumn<QString>("file");
    QTest::newRow("batch filter") << "/tmp/convert" << false << "/tmp/convert.bat";
    QTest::newRow("shell filter") << "/tmp/convert" << true << "/tmp/convert.sh";
    QTest::newRow("own extension kept") << "/tmp/convert.txt" << true << "/tmp/convert.txt";
    QTest::newRow("any dot keeps the name") << "/tmp/my.script" << false << "/tmp/my.script";
    QTest::newRow("dot in a folder only")
        << "/tmp/maps.old/convert" << true << "/tmp/maps.old/convert.sh";
}

void TestRules::scriptFileNames() {
    QFETCH(QString, chosen);
    QFETCH(bool, shell);
    QFETCH(QString, file);
    QCOMPARE(scriptFileName(QDir::toNativeSeparators(chosen), shell),
             QDir::toNativeSeparators(file));
}

void TestRules::converterLocation_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    const QString win = QStringLiteral(R"(C:\Program Files\Autodesk\Maya%1\bin\imf_copy.exe)");
    const QString win32 =
        QStringLiteral(R"(C:\Program Files (x86)\Autodesk\Maya%1\bin\imf_copy.exe)");
    const QString mac =
        QStringLiteral("/Applications/Autodesk/maya%1/Maya.app/Contents/bin/imf_copy");
    QTest::newRow("newest wins") << QStringList{win.arg(2009), win.arg(2012)} << win.arg(2012);
    QTest::newRow("only a 32-bit install") << QStringList{win32.arg(2010)} << win32.arg(2010);
    QTest::newRow("Program Files beats x86")
        << QStringList{win.arg(2011), win32.arg(2011)} << win.arg(2011);
    QTest::newRow("mac") << QStringList{mac.arg(2009), mac.arg(2011)} << mac.arg(2011);
    QTest::newRow("nothing installed") << QStringList{} << "imf_copy";
}

void TestRules::converterLocation() {
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    QCOMPARE(converterCandidates().size(), 12);
    QStringList probed;
    const QString found = locateConverter([&](const QString& path) {
        probed << path;
        return installed.contains(path);
    });
    QCOMPARE(found, chosen);
    QCOMPARE(probed, converterCandidates()); // all twelve, in order, on every system
}

void TestRules::resultTexts() {
    QCOMPARE(ConversionResult::processingErrorWithCodes(1, 0), "Error Processing Files. Code: 10");
    QVERIFY(ConversionResult::isSuccess(ConversionResult::Success));
    QVERIFY(ConversionResult::isSuccess(QString()));
    for (const QString& failure : {ConversionResult::ProcessingError,
                                   ConversionResult::ExceptionError, ConversionResult::WriteError})
        QVERIFY(!ConversionResult::isSuccess(failure));
}

void TestRules::targetClashes_data() {
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

void TestRules::targetClashes() {
    QFETCH(QStringList, targets);
    QFETCH(QStringList, clashing);
    const TargetClashes clashes =
        findTargetClashes(std::vector<QString>(targets.begin(), targets.end()));
    QCOMPARE(clashes.examples, clashing);
    QCOMPARE(clashes.count, int(clashing.size()));
}

void TestRules::rowsClashByTheirCommandTargets() {
    // The rows' check must see exactly the targets their converter lines write.
    const std::vector<JobRow> rows{
        {true, "/a/x.png", "/a/x.map", Status::Unprocessed},
        {true, R"(C:\b\X.png)", R"(C:\b\X.map)", Status::Unprocessed},
        {false, "/c/x.png", "/c/x.map", Status::Unprocessed}, // unticked: never written
        {true, "relative.png", "relative.map", Status::Unprocessed},
        {true, "/d/y.png", "/d/y.map", Status::Converted},
        {true, "/e/y.tga", "/e/y.map", Status::Failed},
        {true, "/f/Relative.png", "/f/Relative.map", Status::Unprocessed}};
    for (const QString& directory : {QString("/out"), QString(R"(D:\out\)"), QString()}) {
        for (bool same : {true, false}) {
            std::vector<QString> targets;
            for (const JobRow& row : rows)
                if (row.process)
                    if (const auto target = commandTargetPath(row.newImage, same, directory))
                        targets.push_back(*target);
            const TargetClashes fromRows = findTargetClashes(rows, same, directory);
            const TargetClashes fromTargets = findTargetClashes(targets);
            QCOMPARE(fromRows.examples, fromTargets.examples);
            QCOMPARE(fromRows.count, same ? 0 : 2);
        }
    }
}

void TestRules::clashQuestionListsTheFirstFew() {
    std::vector<QString> targets;
    for (int i = 0; i < 6; ++i)
        targets.insert(targets.end(), 2, QString("/maps/t%1.map").arg(i));
    targets.push_back("/maps/alone.map");
    const TargetClashes clashes = findTargetClashes(targets);
    QCOMPARE(clashes.count, 6);
    QCOMPARE(clashes.examples.size(), 5);
    QCOMPARE(clashQuestionText(clashes), "Some images would write the same .map file:\n" +
                                             QDir::toNativeSeparators("/maps/t0.map") + "\n" +
                                             QDir::toNativeSeparators("/maps/t1.map") + "\n" +
                                             QDir::toNativeSeparators("/maps/t2.map") + "\n" +
                                             QDir::toNativeSeparators("/maps/t3.map") + "\n" +
                                             QDir::toNativeSeparators("/maps/t4.map") +
                                             "\nand 1 more\nContinue?");
    QCOMPARE(clashQuestionText(findTargetClashes({"/a.map", "/a.map"})),
             "Some images would write the same .map file:\n" + QDir::toNativeSeparators("/a.map") +
                 "\nContinue?");
}

void TestRules::columnShares() {
    // The view's width, whole pixels, shared as the weights say and never
    // a pixel more or less.
    for (int total : {520, 600, 601, 599, 1000, 33, 1}) {
        const std::vector<int> widths = shareWidths({30, 200, 200, 90}, total);
        QCOMPARE(std::accumulate(widths.begin(), widths.end(), 0), total);
        const double exact[] = {30.0 * total / 520, 200.0 * total / 520, 200.0 * total / 520,
                                90.0 * total / 520};
        for (size_t i = 0; i < 4; ++i)
            QVERIFY(std::abs(widths[i] - exact[i]) < 1.0);
    }
    QCOMPARE(shareWidths({30, 200, 200, 90}, 520), std::vector<int>({30, 200, 200, 90}));
    QCOMPARE(shareWidths({1, 1, 1}, 10), std::vector<int>({4, 3, 3}));
    QCOMPARE(shareWidths({1, 1}, 0), std::vector<int>({0, 0}));
    QCOMPARE(shareWidths({0, 0}, 10), std::vector<int>({0, 0}));
}

QTEST_MAIN(TestRules)
#include "test_rules.moc"
