// corvane-cli as a pipeline runs it: a real process, no display, the stand-in
// converter; and the window's engine doing the same rows the same way.
#include "app/CorvaneGUI.h"
#include "conversion/run/Machine.h"
#include "joblist/JobTableModel.h"
#include "testsupport/DialogRecorder.h"
#include "testsupport/TestSupport.h"

#include <QCheckBox>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace {
using G = CorvaneGUI;
namespace T = Dialogs::Testing;

struct Ran {
    int exit = -1;
    QString out;
    QString err;
};

// A converter line that fails, chosen by the image's content as a real
// converter's failure would be.
const QByteArray failingImage = "#imf_copy --exit-code 3\n";
} // namespace

class TestCli : public QObject {
    Q_OBJECT
private slots:
    void init();
    void exitStatus_data();
    void exitStatus();
    void namesFromAPipeAsJson();
#ifdef Q_OS_UNIX
    void interruptedMidWrite();
#endif
    void sameLinesVerdictsAndScriptsAsTheWindow();

private:
    QString path(const QString& name) const {
        return m_dir->filePath(name);
    }
    Ran cli(const QStringList& arguments, const QByteArray& input = {});

    std::unique_ptr<QTemporaryDir> m_dir;
    QProcessEnvironment m_env;
};

void TestCli::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const char* folder : {"lib/sub", "empty", "bad", "twins"})
        QVERIFY(QDir().mkpath(path(folder)));
    QVERIFY(TestSupport::writeImage(path("lib/a.png")));
    QVERIFY(TestSupport::writeImage(path("lib/sub/b c.png")));
    QVERIFY(TestSupport::writeImage(path("lib/sub/\u00fc.tif")));
    QVERIFY(TestSupport::writeFile(path("bad/fail.png"), failingImage));
    QVERIFY(TestSupport::writeImage(path("twins/x.png")) &&
            TestSupport::writeImage(path("twins/x.tif")));
    // What a render node has: no display, no platform named.
    m_env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        m_env.remove(QString::fromLatin1(name));
    m_env.insert("XDG_DATA_HOME", path("data"));
    m_env.insert("XDG_CACHE_HOME", path("cache"));
    m_env.insert("CORVANE_FAKE_IMF_COPY_EVENTS", path("events"));
}

Ran TestCli::cli(const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.setProcessEnvironment(m_env);
    process.setWorkingDirectory(m_dir->path());
    process.start(QStringLiteral(CORVANE_CLI), arguments);
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {};
    // Windows ends the lines of a text stream with CR LF.
    const auto text = [](const QByteArray& bytes) {
        return QString::fromUtf8(bytes).replace(QLatin1String("\r\n"), QLatin1String("\n"));
    };
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            text(process.readAllStandardOutput()), text(process.readAllStandardError())};
}

void TestCli::exitStatus_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exit");
    // A pattern of what is said on standard output, or of the error for 2 and 3.
    QTest::addColumn<QString>("said");
    const QString fake = TestSupport::fakeConverter();
    const QStringList convert{"convert", "--converter", fake, "--custom", "--switches-from-image"};
    QTest::newRow("converted, relative paths")
        << (convert + QStringList{"lib/a.png"}) << 0
        << QRegularExpression::escape(QDir::toNativeSeparators("lib/a.png: converted"));
    QTest::newRow("one fails") << (convert + QStringList{"lib/a.png", "bad"}) << 1
                               << "fail.png: failed: imf_copy: failing with exit code 3";
    QTest::newRow("no image in a folder")
        << (convert + QStringList{"empty"}) << 2 << "no image found";
    QTest::newRow("not there") << (convert + QStringList{"lib/gone.png"}) << 2
                               << "no such file or folder";
    QTest::newRow("bad option") << QStringList{"convert", "--frob", "lib"} << 2 << "'frob'";
    QTest::newRow("clash names both images")
        << QStringList{"script", "--flavour", "sh", "-o", "s.sh", "twins"} << 2
        << "x\\.(png|tif) and .*x\\.(png|tif) would both write";
    QTest::newRow("converter missing")
        << QStringList{"convert", "--converter", "/no/imf_copy", "lib"} << 3 << "--converter";
}

void TestCli::exitStatus() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exit);
    QFETCH(QString, said);
    const Ran ran = cli(arguments);
    QCOMPARE(ran.exit, exit);
    QVERIFY2((exit < 2 ? ran.out : ran.err).contains(QRegularExpression(said)),
             qPrintable(ran.out + ran.err));
    if (exit >= 2) // nothing was started
        QVERIFY(!QFile::exists(path("events")) && !QFile::exists(path("lib/a.map")));
}

void TestCli::namesFromAPipeAsJson() {
    QStringList names{"\u00fcn\u00ef c\u00f6d\u00e9.png", "100% & (b) ^!.png", "it's.png"};
#ifndef Q_OS_WIN
    names << "new\nline.png"
          << "quote\"d.png"; // neither is a Windows name
#endif
    QByteArray input;
    for (const QString& name : names) {
        QVERIFY(TestSupport::writeImage(path(name)));
        input += QFile::encodeName(path(name)) + '\0';
    }
    const Ran ran =
        cli({"convert", "--converter", TestSupport::fakeConverter(), "--json", "-0"}, input);
    QCOMPARE(ran.exit, 0);
    QSet<QString> images;
    for (const QString& line : ran.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        QCOMPARE(object.value("status").toString(), QStringLiteral("converted"));
        QVERIFY(QFile::exists(object.value("target").toString()));
        images << object.value("image").toString();
    }
    QCOMPARE(images.size(), names.size());
    for (const QString& name : names)
        QVERIFY2(images.contains(QDir::toNativeSeparators(path(name))), qPrintable(name));
}

#ifdef Q_OS_UNIX
void TestCli::interruptedMidWrite() {
    QProcess process;
    process.setProcessEnvironment(m_env);
    process.start(QStringLiteral(CORVANE_CLI),
                  {"convert", "--converter", TestSupport::fakeConverter(), "--custom",
                   "--write-partial 100 --sleep-ms 20000", "-j", "2", path("lib/a.png"),
                   path("lib/sub/b c.png")});
    // Both converters have begun their targets.
    QTRY_COMPARE_WITH_TIMEOUT(TestSupport::readAll(path("events")).count("start"), 2, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("lib/a.map")), 20000);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(20000));
    QCOMPARE(process.exitCode(), 130);
    QVERIFY(!QFile::exists(path("lib/a.map")) && !QFile::exists(path("lib/sub/b c.map")));
    QThread::sleep(3);
    for (const QByteArray& line : TestSupport::readAll(path("events")).split('\n')) {
        if (!line.startsWith("start "))
            continue;
        const QByteArray stat = TestSupport::readAll("/proc/" + line.split(' ')[1] + "/stat");
        QVERIFY2(stat.isEmpty() || stat.contains(") Z "), stat.constData()); // gone, or unreaped
    }
}
#endif

void TestCli::sameLinesVerdictsAndScriptsAsTheWindow() {
    const QString fake = TestSupport::fakeConverter();
    QVERIFY(QFile::copy(path("bad/fail.png"), path("lib/sub/fail.png")));
    // The window: a library with its subfolders into a mirrored tree.
    auto window = TestSupport::makeWindow();
    G::system = thisMachinesSystem(); // the command line's flavour
    G::fieldImfCopy->setText(fake);
    G::checkCustom->setChecked(true);
    G::fieldCustom->setText("--switches-from-image");
    G::checkSameDirectory->setChecked(false);
    G::fieldDirectory->setText(
        QDir::toNativeSeparators(path("out"))); // as the folder dialog fills it
    G::includeSubfolders = true;
    G::scanAndAdd({QDir::toNativeSeparators(path("lib"))});
    QVERIFY(TestSupport::finishScan());
    QCOMPARE(G::model->rows().size(), size_t(4));
    // The scripts first: a run unticks the rows it converts.
    for (const auto& [flavour, system] :
         {std::pair("bat", TargetSystem::Windows), std::pair("sh", TargetSystem::Mac)}) {
        G::system = system;
        T::queueFiles(Dialogs::FileAnswer{{path(QString("window.") + flavour)}, 1});
        G::createScript();
    }
    G::system = thisMachinesSystem();
    QVERIFY(QDir().mkpath(path("out")));
    qputenv("CORVANE_FAKE_IMF_COPY_LOG", path("window.log").toLocal8Bit());
    G::processImages();
    QVERIFY(TestSupport::finishRun());
    QStringList windowVerdicts;
    for (const JobRow& row : G::model->rows())
        windowVerdicts << row.image + ": " + row.status.toLower();
    QVERIFY(QDir(path("out")).removeRecursively());

    // The command line, the same rows and choices.
    m_env.insert("CORVANE_FAKE_IMF_COPY_LOG", path("cli.log"));
    const QStringList same{"--converter", fake,       "--custom",  "--switches-from-image",
                           "--recursive", "--output", path("out"), path("lib")};
    const Ran ran = cli(QStringList{"convert"} + same);
    QCOMPARE(ran.exit, 1);
    QStringList cliVerdicts = ran.out.split('\n', Qt::SkipEmptyParts);
    for (QString& line : cliVerdicts)
        line = line.section(": ", 0, 1); // without the failure's reason
    cliVerdicts.sort();
    windowVerdicts.sort();
    QCOMPARE(cliVerdicts, windowVerdicts);
    QStringList windowLines =
        QString::fromUtf8(TestSupport::readAll(path("window.log"))).split('\n');
    QStringList cliLines = QString::fromUtf8(TestSupport::readAll(path("cli.log"))).split('\n');
    windowLines.sort();
    cliLines.sort();
    QCOMPARE(cliLines, windowLines);
    for (const char* flavour : {"sh", "bat"}) {
        const QString file = path(QString("cli.") + flavour);
        QCOMPARE(cli(QStringList{"script", "--flavour", flavour, "-o", file} + same).exit, 0);
        QCOMPARE(TestSupport::readAll(file),
                 TestSupport::readAll(path(QString("window.") + flavour)));
    }
}

QTEST_MAIN(TestCli)
#include "test_cli.moc"
