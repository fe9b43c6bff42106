// The bytes scripts are written in: batch files in the code page the batch
// interpreter reads, or in UTF-8 behind a "chcp 65001" line when that page
// lacks a character; bash scripts always in UTF-8.
#include "conversion/rules/BatchCodePage.h"
#include "conversion/rules/CommandLine.h"
#include "conversion/rules/ExportScript.h"
#include "conversion/rules/ScriptText.h"
#include "joblist/rules/TargetPaths.h"

#include <QBuffer>
#include <QStringDecoder>
#include <QTest>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
const QByteArray end = hostLineSeparator().toLatin1();
const QByteArray chcp = "@chcp 65001 >nul" + end;

QByteArray lines(std::initializer_list<QByteArray> texts, const QByteArray& lineEnd = end) {
    QByteArray bytes;
    for (const QByteArray& text : texts)
        bytes += text + lineEnd;
    return bytes;
}

// Batch files go in code page 850 off Windows, in the machine's own OEM code page on it: the
// expected bytes below are 850's (Western European Windows, or Wine under a German locale).
bool batchCodePageIs850() {
#ifdef Q_OS_WIN
    return GetOEMCP() == 850;
#else
    return true;
#endif
}

JobRow row(const QString& image) {
    return {true, image, *sameDirectoryTarget(image), Status::Unprocessed};
}

QByteArray exported(const std::vector<JobRow>& rows, const CommandSettings& settings) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    return writeExportScript(buffer, rows, settings, "1.0") ? buffer.data() : "failed";
}

// What the whole-text path gives for the same export.
QByteArray wholeText(const std::vector<JobRow>& rows, const CommandSettings& settings) {
    const ConverterLines composer(settings);
    QStringList all = exportScriptHeader(settings.system, "1.0");
    for (const JobRow& row : rows)
        all << composer.line(row.image, composer.target(row)->joined());
    return scriptBytes(settings.system, all + exportScriptFooter(settings.system));
}
} // namespace

class TestScriptEncoding : public QObject {
    Q_OBJECT
private slots:
    void codePage850IsReachable();
    void batchLinesGoInTheCodePageOrInUtf8();
    void exportDecidesBeforeItWrites();
};

void TestScriptEncoding::codePage850IsReachable() {
#ifdef Q_OS_WIN
    QSKIP("Windows hosts use their own OEM code page");
#endif
    BatchCodePage codePage;
    QVERIFY2(codePage.holds(u"ü"),
             "Qt's QStringEncoder does not reach code page 850 (\"IBM850\", through ICU): batch "
             "files with names such as \"Jürgen\" would all be written in UTF-8");
    // Every byte of the upper half reads back as itself.
    QStringDecoder decoder("IBM850");
    for (int byte = 0x80; byte < 0x100; ++byte) {
        const QByteArray one(1, static_cast<char>(byte));
        const QString character = decoder.decode(one);
        QVERIFY2(codePage.holds(character), qPrintable(character));
        char out[4];
        QCOMPARE(QByteArray(out, codePage.encode(character, out) - out), one);
    }
    QVERIFY(codePage.holds(u"C:\\Users\\Jürgen\\ünï cødé.png"));
    QVERIFY(!codePage.holds(u"Ελληνικά"));
    QVERIFY(!codePage.holds(u"日本"));
    QVERIFY(!codePage.holds(u"€")); // 858 has it, 850 does not
    QVERIFY(!codePage.holds(u"\xd800"));
}

void TestScriptEncoding::batchLinesGoInTheCodePageOrInUtf8() {
    if (!batchCodePageIs850())
        QSKIP("this Windows host's OEM code page is not 850");
    const TargetSystem batch = TargetSystem::Windows;
    const TargetSystem shell = TargetSystem::Mac;
    // "ü" is 0x81 in code page 850; control characters stay as they are.
    const QString western = QString::fromUtf8("\"C:\\Jürgen\\ünï\x7f\x1a.png\"");
    const QByteArray western850 = "\"C:\\J\x81rgen\\\x81n\x8b\x7f\x1a.png\"";
    QCOMPARE(scriptBytes(batch, {"@echo.", western}), lines({"@echo.", western850}));

    // One character outside the page puts the whole script in UTF-8.
    const QString greek = QString::fromUtf8("\"C:\\Jürgen\\Ελληνικά 日本.png\"");
    QCOMPARE(scriptBytes(batch, {"@echo.", western, greek}),
             chcp + lines({"@echo.", western.toUtf8(), greek.toUtf8()}));

    // Pure ASCII is the same in every encoding, and gets no chcp line.
    const QString ascii = QStringLiteral(R"(imf_copy -p  "C:\maps\a.png" "C:\maps\a.map")");
    QCOMPARE(scriptBytes(batch, {"@echo.", ascii}), lines({"@echo.", ascii.toLatin1()}));

    // Bash reads UTF-8 lines ending in a line feed, whatever the names and the host.
    QCOMPARE(scriptBytes(shell, {"#!/bin/bash", western, greek, ascii}),
             lines({"#!/bin/bash", western.toUtf8(), greek.toUtf8(), ascii.toLatin1()}, "\n"));
    QCOMPARE(scriptBytes(shell, {western}), lines({western.toUtf8()}, "\n"));
}

void TestScriptEncoding::exportDecidesBeforeItWrites() {
    if (!batchCodePageIs850())
        QSKIP("this Windows host's OEM code page is not 850");
    CommandSettings settings;
    settings.system = TargetSystem::Windows;
    std::vector<JobRow> rows{row(QString::fromUtf8("C:\\Jürgen\\ünï cødé.png"))};
    const QByteArray western = exported(rows, settings);
    QVERIFY(western.startsWith("@echo." + end));
    QVERIFY(western.contains("\"C:\\J\x81rgen\\\x81n\x8b c\x9b"
                             "d\x82.map\""));
    QCOMPARE(western, wholeText(rows, settings));

    // A row far past the first piece the export streams out still decides
    // the first line.
    for (int i = 0; i < 20000; ++i)
        rows.push_back(row(QStringLiteral("C:\\maps\\set\\texture_%1.png").arg(i)));
    rows.push_back(row(QString::fromUtf8("C:\\maps\\日本.png")));
    const QByteArray japanese = exported(rows, settings);
    QVERIFY(japanese.size() > 512 * 1024);
    QVERIFY(japanese.startsWith(chcp + "@echo." + end));
    QVERIFY(japanese.contains(QString::fromUtf8("\"C:\\Jürgen\\ünï cødé.map\"").toUtf8()));
    QCOMPARE(japanese, wholeText(rows, settings));

    // So do the output directory and the converter's own path.
    rows.resize(2);
    settings.output = {false, QString::fromUtf8("D:\\Ελληνικά")};
    QVERIFY(exported(rows, settings).startsWith(chcp));
    settings.output.directory = QStringLiteral("D:\\out");
    QVERIFY(!exported(rows, settings).contains(chcp));
    settings.converterPath = QString::fromUtf8("C:\\Программы\\imf_copy.exe");
    QVERIFY(exported(rows, settings).startsWith(chcp));
    QCOMPARE(exported(rows, settings), wholeText(rows, settings));

    // Shell scripts never get the line.
    settings.system = TargetSystem::Mac;
    const QByteArray shell = exported(rows, settings);
    QVERIFY(shell.startsWith("#!/bin/bash\n"));
    QVERIFY(shell.contains(QString::fromUtf8("Программы").toUtf8()));
    QVERIFY(!shell.contains("chcp"));
}

QTEST_GUILESS_MAIN(TestScriptEncoding)
#include "test_script_encoding.moc"
