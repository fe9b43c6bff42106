// Converter lines: the flag part, the converter token, the paths and their
// quoting in each script flavour.
#include "conversion/rules/CommandLine.h"
#include "conversion/rules/ExportScript.h"
#include "testsupport/TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(FlagOptions)

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void flagStrings_data();
    void flagStrings();
    void converterLines_data();
    void converterLines();
    void quotingLeavesPlainPathsAlone();
    void sharesInBothFlavours();
    void bashLineHandsOddNamesToTheConverterExactly();
};

void TestCommandLine::flagStrings_data() {
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

void TestCommandLine::flagStrings() {
    QFETCH(FlagOptions, options);
    QFETCH(QString, flags);
    QCOMPARE(buildFlagString(options), flags);
}

void TestCommandLine::converterLines_data() {
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

void TestCommandLine::converterLines() {
    QFETCH(QString, converter);
    QFETCH(QString, flags);
    QFETCH(QString, target);
    QFETCH(bool, sameDirectory);
    QFETCH(QString, directory);
    QFETCH(QString, line);
    // The flag part as given: "Custom:" passes its text through unchanged.
    const FlagOptions asGiven{false, false, false, "1.0", false, "1.0", true, flags};
    const OutputChoice output{sameDirectory, directory};
    const JobRow row{true, R"(C:\img\a.png)", target, Status::Unprocessed};
    const auto lineIn = [&](TargetSystem system) {
        const ConverterLines lines(CommandSettings{converter, asGiven, output, system});
        return lines.line(row.image, lines.target(row)->joined());
    };
    // Both flavours give the same bytes for paths without special characters,
    // except that bash must keep a doubled backslash before the quote doubled.
    QCOMPARE(lineIn(TargetSystem::Windows), line);
    if (!line.contains(QStringLiteral("\\\\")))
        QCOMPARE(lineIn(TargetSystem::Mac), line);
}

void TestCommandLine::sharesInBothFlavours() {
    // A library on one share converted into a folder on another: the batch line keeps the
    // paths as they are; bash reads a backslash before a backslash as one, so each share's
    // leading pair is written as three, which bash reads back as the pair.
    const OutputChoice output{false, R"(\\nas\out)"};
    const JobRow row{true, R"(\\server\lib\a.png)", R"(\\server\lib\a.map)", Status::Unprocessed};
    const auto lineIn = [&](TargetSystem system) {
        const ConverterLines lines(CommandSettings{"imf_copy", FlagOptions{}, output, system});
        return lines.line(row.image, lines.target(row)->joined());
    };
    QCOMPARE(lineIn(TargetSystem::Windows),
             R"(imf_copy -p  "\\server\lib\a.png" "\\nas\out\a.map")");
    QCOMPARE(lineIn(TargetSystem::Mac), R"(imf_copy -p  "\\\server\lib\a.png" "\\\nas\out\a.map")");
}

void TestCommandLine::quotingLeavesPlainPathsAlone() {
    for (const QString& path : {QStringLiteral(R"(C:\Program Files (x86)\a b\c.png)"),
                                QStringLiteral("/home/zoë/pics/été 2024/a&b;c'd.png")}) {
        QCOMPARE(quotedPathText(path, TargetSystem::Windows), path);
        QCOMPARE(quotedPathText(path, TargetSystem::Mac), path);
    }
    QCOMPARE(quotedPathText(u"100%done.png", TargetSystem::Windows), "100%%done.png");
    QCOMPARE(quotedPathText(u"100%done.png", TargetSystem::Mac), "100%done.png");
    QCOMPARE(quotedPathText(uR"($(rm -rf ~)`x`"q".png)", TargetSystem::Mac),
             R"(\$(rm -rf ~)\`x\`\"q\".png)");
    QCOMPARE(quotedPathText(uR"(dir\)", TargetSystem::Mac), R"(dir\\)");
    QCOMPARE(quotedPathText(uR"(a\\b\$c)", TargetSystem::Mac), R"(a\\\b\\\$c)");
}

void TestCommandLine::bashLineHandsOddNamesToTheConverterExactly() {
    // An exported bash script, run by bash: every name reaches the converter
    // exactly as it is, and nothing in a name is run.
#ifdef Q_OS_WIN
    QSKIP("needs bash");
#endif
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QStringList names{QStringLiteral("$(touch pwned).png"),
                            QStringLiteral("`touch pwned`.png"),
                            QStringLiteral("a\"b.png"),
                            QStringLiteral("100%done.png"),
                            QStringLiteral("back\\slash\\$x.png"),
                            QStringLiteral("naïve café.png"),
                            QStringLiteral("$HOME ${PATH}.png")};
    std::vector<JobRow> rows;
    QStringList expected;
    for (const QString& name : names) {
        const QString source = dir.filePath(name);
        const QString target = *sameDirectoryTarget(source);
        rows.push_back({true, source, target, Status::Unprocessed});
        expected << QStringLiteral("-p") << source << target;
    }
    const CommandSettings settings{
        TestFiles::fakeConverter(), FlagOptions{}, {}, TargetSystem::Mac};
    QBuffer script;
    script.open(QIODevice::WriteOnly);
    QVERIFY(writeExportScript(script, rows, settings, "1.0"));
    QVERIFY(TestFiles::writeFile(dir.filePath("run.sh"), script.data()));

    QProcess bash;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("CORVANE_FAKE_IMF_COPY_LOG", dir.filePath("log"));
    bash.setProcessEnvironment(env);
    bash.setWorkingDirectory(dir.path());
    bash.start("bash", {dir.filePath("run.sh")});
    QVERIFY(bash.waitForFinished());
    QVERIFY(!QFile::exists(dir.filePath("pwned")));

    // The stand-in logs its arguments before it looks at the (missing) images.
    QStringList received;
    for (const QByteArray& line : TestFiles::readAll(dir.filePath("log")).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        for (qsizetype i = 1; i < fields.size(); ++i)
            received << QString::fromUtf8(QByteArray::fromPercentEncoding(fields[i]));
    }
    QCOMPARE(received, expected);
}

QTEST_MAIN(TestCommandLine)
#include "test_command_line.moc"
