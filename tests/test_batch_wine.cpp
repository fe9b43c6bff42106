// Exported batch files run by a real batch interpreter: wine's cmd, with a
// Windows build of a stand-in converter that logs the names it receives.
#include "conversion/rules/CommandLine.h"
#include "conversion/rules/ExportScript.h"
#include "conversion/run/SaveFile.h"
#include "joblist/rules/TargetPaths.h"
#include "testsupport/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <locale.h>

// A missing tool fails the run on CI, which installs them all, and skips it
// elsewhere.
#define REQUIRE(condition, what)                                                                   \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            if (qEnvironmentVariableIsSet("CI"))                                                   \
                QFAIL(what);                                                                       \
            QSKIP(what);                                                                           \
        }                                                                                          \
    } while (false)

namespace {
// The German locale gives wine code page 850, the interpreter's page on
// Western European Windows. Wine's cmd reads batch files in that page whatever
// "chcp" says, and without a console "chcp" cannot switch anyway, so the UTF-8
// scripts run under a locale whose Windows code page is UTF-8 (Hindi has no
// other), which reads them as real cmd does after their "chcp 65001" line.
const QString germanLocale = QStringLiteral("de_DE.UTF-8");
const QString utf8Locale = QStringLiteral("hi_IN");

bool localeInstalled(const QString& name) {
    const locale_t locale = newlocale(LC_ALL_MASK, name.toLatin1().constData(), locale_t(nullptr));
    if (locale)
        freelocale(locale);
    return locale != locale_t(nullptr);
}

// Wine's drive Z: is the root folder.
QString windowsPath(QString path) {
    return QStringLiteral("Z:") + path.replace(QLatin1Char('/'), QLatin1Char('\\'));
}

QString unixPath(QString path) {
    return path.mid(2).replace(QLatin1Char('\\'), QLatin1Char('/'));
}
} // namespace

class TestBatchWine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void exportedBatchFileConvertsEveryRow_data();
    void exportedBatchFileConvertsEveryRow();
    void exportedBatchFileMirrorsTheTree_data();
    void exportedBatchFileMirrorsTheTree();

private:
    // Runs an exported batch file under wine's cmd with the stand-in logging
    // what it receives; the lines it logged.
    QStringList runExported(const QString& script, const QString& locale);
    QProcessEnvironment wineEnvironment(const QString& locale) const;
    bool runWine(const QStringList& arguments, const QProcessEnvironment& env, int timeoutMs,
                 QByteArray& output);
    void stopWineServer();

    QTemporaryDir m_dir;
    QString m_wine;
    QString m_wineServer;
    QString m_converter;
    QByteArray m_lastOutput;
};

void TestBatchWine::initTestCase() {
    QVERIFY(m_dir.isValid());
#ifdef WIN_IMF_COPY
    const QString standIn = QStringLiteral(WIN_IMF_COPY);
#else
    const QString standIn;
#endif
    REQUIRE(!standIn.isEmpty(),
            "no Windows stand-in: install gcc-mingw-w64-x86-64-win32 and configure again");
    m_wine = QStandardPaths::findExecutable(QStringLiteral("wine64"));
    if (m_wine.isEmpty())
        m_wine = QStandardPaths::findExecutable(QStringLiteral("wine64"), {"/usr/lib/wine"});
    REQUIRE(!m_wine.isEmpty(), "wine64 not found: install wine64");
    const QString wineFolder = QFileInfo(m_wine).absolutePath();
    m_wineServer = QStandardPaths::findExecutable(QStringLiteral("wineserver"), {wineFolder});
    if (m_wineServer.isEmpty())
        m_wineServer = QStandardPaths::findExecutable(QStringLiteral("wineserver"));
    REQUIRE(!m_wineServer.isEmpty(), "wineserver not found: install wine64");
    REQUIRE(localeInstalled(germanLocale) && localeInstalled(utf8Locale),
            "the de_DE.UTF-8 and hi_IN locales are missing: generate them with locale-gen");

    // The converter lives in a folder of its own, as in a real installation.
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("Programme")));
    m_converter = m_dir.filePath(QStringLiteral("Programme/imf_copy.exe"));
    QVERIFY(QFile::copy(standIn, m_converter));
    QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("home")));

    // The prefix is built, and its set-up left to finish, before any script runs: stopped
    // half way, a first start leaves set-up work to the next starts, beside the scripts.
    QByteArray output;
    QVERIFY2(runWine({"wineboot", "--init"}, wineEnvironment(germanLocale), 240000, output),
             output.constData());
    QProcess server;
    server.setProcessEnvironment(wineEnvironment(germanLocale));
    server.start(m_wineServer, {"-w"});
    if (!server.waitForFinished(240000))
        server.kill();
    server.waitForFinished(5000);
    stopWineServer();
}

void TestBatchWine::cleanupTestCase() {
    if (m_wineServer.isEmpty())
        return;
    stopWineServer();
    // The prefix links drive Z: to the root folder: drop the links before the
    // folder goes, so nothing can ever follow them.
    const QDir devices(m_dir.filePath(QStringLiteral("wineprefix/dosdevices")));
    for (const QString& name :
         devices.entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot))
        QFile::remove(devices.filePath(name));
}

QProcessEnvironment TestBatchWine::wineEnvironment(const QString& locale) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString home = m_dir.filePath(QStringLiteral("home"));
    env.insert("HOME", home);
    env.insert("XDG_CONFIG_HOME", home + "/.config");
    env.insert("XDG_DATA_HOME", home + "/.local/share");
    env.insert("XDG_CACHE_HOME", home + "/.cache");
    env.insert("WINEPREFIX", m_dir.filePath(QStringLiteral("wineprefix")));
    env.insert("WINEDEBUG", "-all");
    // No Mono or Gecko installers and no desktop menu entries in a throw-away prefix.
    env.insert("WINEDLLOVERRIDES", "mscoree,mshtml,winemenubuilder.exe=d");
    // Without a display wine never opens a window nor waits for one.
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.remove("LANGUAGE");
    env.insert("LC_ALL", locale);
    return env;
}

bool TestBatchWine::runWine(const QStringList& arguments, const QProcessEnvironment& env,
                            int timeoutMs, QByteArray& output) {
    QProcess wine;
    wine.setProcessEnvironment(env);
    wine.setWorkingDirectory(m_dir.path());
    wine.setProcessChannelMode(QProcess::MergedChannels);
    wine.start(m_wine, arguments);
    // Every "@pause" of the script reads the end of its input and goes on.
    wine.closeWriteChannel();
    const bool finished = wine.waitForFinished(timeoutMs);
    if (!finished) {
        wine.kill();
        wine.waitForFinished(10000);
    }
    output = wine.readAll();
    return finished && wine.exitStatus() == QProcess::NormalExit;
}

void TestBatchWine::stopWineServer() {
    QProcess server;
    server.setProcessEnvironment(wineEnvironment(germanLocale));
    server.start(m_wineServer, {"-k"});
    if (!server.waitForFinished(30000))
        server.kill();
    server.waitForFinished(5000);
}

void TestBatchWine::exportedBatchFileConvertsEveryRow_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("utf8");
    QTest::newRow("code page 850")
        << germanLocale << QStringList{"plain.png", "ünï cødé.png", "50% & (b) ^!.png"} << false;
    QTest::newRow("outside 850: UTF-8")
        << utf8Locale << QStringList{"ünï cødé.png", "Ελληνικά.png", "日本語 テクスチャ.png"}
        << true;
}

void TestBatchWine::exportedBatchFileConvertsEveryRow() {
    QFETCH(QString, locale);
    QFETCH(QStringList, names);
    QFETCH(bool, utf8);
    const QString folder = m_dir.filePath("Users/Jürgen/" + locale);
    QVERIFY(QDir().mkpath(folder));

    std::vector<JobRow> rows;
    QStringList expected;
    for (const QString& name : names) {
        const QString source = windowsPath(folder + '/' + name);
        const QString target = *sameDirectoryTarget(source);
        rows.push_back({true, source, target, Status::Unprocessed});
        expected << "-p\t" + source + '\t' + target;
    }
    CommandSettings settings;
    settings.converterPath = windowsPath(m_converter);
    settings.system = TargetSystem::Windows;
    const QString script = folder + "/convert.bat";
    QCOMPARE(writeFileAtomically(
                 script,
                 [&](QIODevice& file) { return writeExportScript(file, rows, settings, "1.0"); }),
             QString());
    const QByteArray bytes = TestSupport::readAll(script);
    QCOMPARE(bytes.startsWith("@chcp 65001 >nul\n@echo.\n"), utf8);
    QCOMPARE(bytes.contains("J\x81rgen"), !utf8);

    const QString log = folder + "/arguments.log";
    QProcessEnvironment env = wineEnvironment(locale);
    env.insert("CORVANE_WIN_IMF_COPY_LOG", windowsPath(log));
    QByteArray output;
    const bool ran = runWine({"cmd", "/c", windowsPath(script)}, env, 240000, output);
    stopWineServer();
    QVERIFY2(ran, output.constData());

    const QStringList received =
        QString::fromUtf8(TestSupport::readAll(log)).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(received, expected);
    for (const JobRow& row : rows)
        QVERIFY2(QFileInfo(unixPath(row.newImage)).size() > 0, qPrintable(row.newImage));
}

QStringList TestBatchWine::runExported(const QString& script, const QString& locale) {
    const QString log = QFileInfo(script).absolutePath() + "/arguments.log";
    QProcessEnvironment env = wineEnvironment(locale);
    env.insert("CORVANE_WIN_IMF_COPY_LOG", windowsPath(log));
    QByteArray output;
    const bool ran = runWine({"cmd", "/c", windowsPath(script)}, env, 240000, output);
    stopWineServer();
    m_lastOutput = output;
    if (!ran)
        qWarning().noquote() << output;
    return QString::fromUtf8(TestSupport::readAll(log)).split('\n', Qt::SkipEmptyParts);
}

void TestBatchWine::exportedBatchFileMirrorsTheTree_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("folders");
    QTest::newRow("code page 850")
        << germanLocale
        << QStringList{"plain", "ünï cødé", "50% & (b) ^!", "with space\\deeper still"};
    QTest::newRow("outside 850: UTF-8")
        << utf8Locale << QStringList{"Ελληνικά", "日本語 テクスチャ\\深い", "ünï cødé"};
}

void TestBatchWine::exportedBatchFileMirrorsTheTree() {
    QFETCH(QString, locale);
    QFETCH(QStringList, folders);
    // A library tree in the job list; its output tree does not exist yet.
    const QString top = m_dir.filePath("tree-" + locale);
    const QString root = windowsPath(top + "/library");
    CommandSettings settings;
    settings.converterPath = windowsPath(m_converter);
    settings.system = TargetSystem::Windows;
    settings.output = {false, windowsPath(top + "/out ü")};
    const quint32 index = settings.roots.add(root);
    std::vector<JobRow> rows;
    QStringList expected;
    for (const QString& folder : QStringList{QString()} + folders) {
        const QString source = root + (folder.isEmpty() ? "" : "\\" + folder) + "\\diffuse.png";
        rows.push_back({true, source, *sameDirectoryTarget(source), Status::Unprocessed, index});
        expected << *commandTargetPath(rows.back(), settings.roots, settings.output);
    }
    // A second row into a folder already made.
    const QString again = root + "\\" + folders.first() + "\\normal.png";
    rows.push_back({true, again, *sameDirectoryTarget(again), Status::Unprocessed, index});
    expected << *commandTargetPath(rows.back(), settings.roots, settings.output);

    QVERIFY(QDir().mkpath(top));
    const QString script = top + "/convert.bat";
    QCOMPARE(writeFileAtomically(
                 script,
                 [&](QIODevice& file) { return writeExportScript(file, rows, settings, "1.0"); }),
             QString());
    const QByteArray bytes = TestSupport::readAll(script);
    QCOMPARE(bytes.count("mkdir"), folders.size() + 1);
    QCOMPARE(bytes.startsWith("@chcp 65001 >nul"), locale == utf8Locale);

    QStringList targets;
    for (const QString& line : runExported(script, locale))
        targets << line.section('\t', 2);
    // What the interpreter printed tells a missing line's cause.
    if (targets != expected)
        qWarning().noquote() << m_lastOutput;
    QCOMPARE(targets, expected);
    for (const QString& target : expected)
        QVERIFY2(QFileInfo(unixPath(target)).size() > 0, qPrintable(target));
}

QTEST_GUILESS_MAIN(TestBatchWine)
#include "test_batch_wine.moc"
