// The converter found among the 3D package's install locations, and the check
// that the converter field names something that can run here.
#include "conversion/rules/ConverterCheck.h"
#include "conversion/rules/ConverterLocation.h"
#include "testsupport/TestFiles.h"

#include <QDir>
#include <QHash>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString win = QStringLiteral(R"(C:\Program Files\Autodesk\Maya%1\bin\imf_copy.exe)");
const QString win32 = QStringLiteral(R"(C:\Program Files (x86)\Autodesk\Maya%1\bin\imf_copy.exe)");
const QString mac = QStringLiteral("/Applications/Autodesk/maya%1/Maya.app/Contents/bin/imf_copy");
const QString linuxPath = QStringLiteral("/usr/autodesk/maya%1/bin/imf_copy");

using Listing = QHash<QString, QStringList>; // folder -> its folders
} // namespace

class TestConverterLocation : public QObject {
    Q_OBJECT
private slots:
    void knownReleases_data();
    void knownReleases();
    void listedReleases_data();
    void listedReleases();
    void mayaLocation_data();
    void mayaLocation();
    void converterCheck_data();
    void converterCheck();
};

void TestConverterLocation::knownReleases_data() {
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("newest wins") << QStringList{win.arg(2009), win.arg(2012)} << win.arg(2012);
    QTest::newRow("only a 32-bit install") << QStringList{win32.arg(2010)} << win32.arg(2010);
    QTest::newRow("Program Files beats x86")
        << QStringList{win.arg(2011), win32.arg(2011)} << win.arg(2011);
    QTest::newRow("mac") << QStringList{mac.arg(2009), mac.arg(2011)} << mac.arg(2011);
    QTest::newRow("nothing installed") << QStringList{} << "imf_copy";
}

void TestConverterLocation::knownReleases() {
    // The first releases are found without listing any folder.
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    QCOMPARE(converterCandidates().size(), 12);
    QCOMPARE(locateConverter([&](const QString& path) { return installed.contains(path); }),
             chosen);
}

void TestConverterLocation::listedReleases_data() {
    QTest::addColumn<Listing>("listing");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    const QString pf = R"(C:\Program Files\Autodesk)";
    const QString pf86 = R"(C:\Program Files (x86)\Autodesk)";
    const QString apps = "/Applications/Autodesk";
    const QString usr = "/usr/autodesk";

    QTest::newRow("several releases, compared as numbers")
        << Listing{{pf, {"Maya2016", "Maya2016.5", "Maya2018", "Maya2012", "Maya2100"}}}
        << QStringList{win.arg(2016), win.arg("2016.5"), win.arg(2018), win.arg(2012)}
        << win.arg(2018); // Maya2100 is listed but has no converter
    QTest::newRow("2016.5 is newer than 2016")
        << Listing{{pf, {"Maya2016.5", "Maya2016"}}}
        << QStringList{win.arg(2016), win.arg("2016.5")} << win.arg("2016.5");
    QTest::newRow("a listed release beats the known ones")
        << Listing{{pf86, {"Maya2014"}}} << QStringList{win.arg(2012), win32.arg(2014)}
        << win32.arg(2014);
    QTest::newRow("Program Files beats x86 in a later release too")
        << Listing{{pf, {"Maya2019"}}, {pf86, {"Maya2019"}}}
        << QStringList{win.arg(2019), win32.arg(2019)} << win.arg(2019);
    QTest::newRow("mac") << Listing{{apps, {"maya2017", "maya2015", "Maya.app"}}}
                         << QStringList{mac.arg(2015), mac.arg(2017)} << mac.arg(2017);
    QTest::newRow("linux, -x64 folders")
        << Listing{{usr, {"maya2013-x64", "maya2014-x64", "maya2012"}}}
        << QStringList{linuxPath.arg("2013-x64"), linuxPath.arg("2014-x64"), linuxPath.arg("2012")}
        << linuxPath.arg("2014-x64");
    QTest::newRow("linux, newest plain folder")
        << Listing{{usr, {"maya2014-x64", "maya2022"}}}
        << QStringList{linuxPath.arg("2014-x64"), linuxPath.arg("2022")} << linuxPath.arg("2022");
    QTest::newRow("names that are no release are left alone")
        << Listing{{usr, {"maya2020_old", "mayaX", "maya", "maya2020-x86", "bifrost"}}}
        << QStringList{linuxPath.arg("2020_old"), linuxPath.arg("2020-x86")} << "imf_copy";
    QTest::newRow("-x64 only on Linux")
        << Listing{{pf, {"Maya2020-x64"}}} << QStringList{win.arg("2020-x64")} << "imf_copy";
    QTest::newRow("nothing found") << Listing{{usr, {"maya2020"}}} << QStringList{} << "imf_copy";
}

void TestConverterLocation::listedReleases() {
    QFETCH(Listing, listing);
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    QStringList listed;
    const ConverterProbe probe{[&](const QString& path) { return installed.contains(path); },
                               [&](const QString& folder) {
                                   listed << folder;
                                   return listing.value(folder);
                               },
                               {}};
    QCOMPARE(locateConverter(probe), chosen);
    // Every install folder is looked at, on every system.
    for (const char* root : {R"(C:\Program Files\Autodesk)", R"(C:\Program Files (x86)\Autodesk)",
                             "/Applications/Autodesk", "/usr/autodesk"})
        QVERIFY2(listed.contains(QLatin1String(root)), root);
}

void TestConverterLocation::mayaLocation_data() {
    QTest::addColumn<QString>("location");
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("chosen");
    const QString maya2024 = R"(D:\Autodesk\Maya2024\bin\imf_copy.exe)";
    QTest::newRow("Windows: beats a newer release")
        << R"(D:\Autodesk\Maya2024\)" << QStringList{maya2024, win.arg(2025)} << maya2024;
    QTest::newRow("forward slashes on Windows")
        << "D:/Autodesk/Maya2024" << QStringList{"D:/Autodesk/Maya2024/bin/imf_copy.exe"}
        << "D:/Autodesk/Maya2024/bin/imf_copy.exe";
    QTest::newRow("Linux") << "/usr/autodesk/maya2024"
                           << QStringList{linuxPath.arg(2024), linuxPath.arg(2025)}
                           << linuxPath.arg(2024);
    QTest::newRow("no converter there: the newest release")
        << R"(D:\Autodesk\Maya2024)" << QStringList{win.arg(2025)} << win.arg(2025);
    QTest::newRow("blank") << "  " << QStringList{"/bin/imf_copy"} << "imf_copy";
}

void TestConverterLocation::mayaLocation() {
    QFETCH(QString, location);
    QFETCH(QStringList, installed);
    QFETCH(QString, chosen);
    const ConverterProbe probe{[&](const QString& path) { return installed.contains(path); },
                               [](const QString& folder) {
                                   return folder == R"(C:\Program Files\Autodesk)"
                                              ? QStringList{"Maya2025"}
                                              : QStringList{};
                               },
                               location};
    QCOMPARE(locateConverter(probe), chosen);
}

namespace {
// What makes a file a program: its extension on Windows, its permission elsewhere.
#ifdef Q_OS_WIN
const QString programName = "imf_copy.exe";
#else
const QString programName = "imf_copy";
#endif
} // namespace

void TestConverterLocation::converterCheck_data() {
    QTest::addColumn<QString>("converter"); // "@" stands for the test's folder
    QTest::addColumn<int>("state");
    QTest::newRow("an executable file") << "@/bin/" + programName << int(ConverterState::Found);
    QTest::newRow("no such file") << "@/bin/nowhere" << int(ConverterState::Missing);
    QTest::newRow("a folder") << "@/bin" << int(ConverterState::Folder);
    QTest::newRow("a file that may not run") << "@/plain" << int(ConverterState::NotExecutable);
    QTest::newRow("a bare name on PATH") << "imf_copy" << int(ConverterState::Found);
    QTest::newRow("a bare name not on PATH") << "imf_other" << int(ConverterState::Missing);
    QTest::newRow("a Windows path here")
        << R"(C:\Maya\bin\imf_copy.exe)" << int(ConverterState::Missing);
    QTest::newRow("empty") << "" << int(ConverterState::Empty);
}

void TestConverterLocation::converterCheck() {
    QFETCH(QString, converter);
    QFETCH(int, state);
    QTemporaryDir dir;
    QVERIFY(dir.isValid() && QDir(dir.path()).mkdir("bin"));
    QVERIFY(TestFiles::writeFile(dir.filePath("bin/" + programName), "#!/bin/sh\n", true));
    QVERIFY(TestFiles::writeFile(dir.filePath("plain"), "#!/bin/sh\n", false));
    converter.replace("@", dir.path());
    // The search path as the lookup sees it: only "imf_copy" is on it.
    QStringList asked;
    const ProgramLookup lookup = [&](const QString& name) {
        asked << name;
        return name == "imf_copy" ? dir.filePath("bin/" + programName) : QString();
    };
    QCOMPARE(int(checkConverter(converter, lookup)), state);
    // Only bare names go to the search path.
    const bool bare = !converter.isEmpty() && !converter.contains('/') && !converter.contains('\\');
    QCOMPARE(asked, bare ? QStringList{converter} : QStringList());
    // The machine's own lookup finds the same on a PATH holding only that folder.
    if (bare) {
        const QByteArray oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.filePath("bin")));
        const ConverterState found = checkConverter(converter);
        qputenv("PATH", oldPath);
        QCOMPARE(int(found), state);
    }
}

QTEST_MAIN(TestConverterLocation)
#include "test_converter_location.moc"
