// File names by their extension: the shared extension rule and every file
// dialog filter, for files and for folders of the same name.
#include "conversion/rules/ConverterLocation.h"
#include "conversion/rules/ScriptFilters.h"
#include "joblist/rules/ImagesFilter.h"
#include "joblist/rules/Utils.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

class TestFileFilters : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void extensions_data();
    void extensions();
    void filtersAcceptDirectoriesAndTheirExtensions_data();
    void filtersAcceptDirectoriesAndTheirExtensions();
};

// CTest also runs this suite under Turkish and German locales; make sure the
// language really is in force there, or those runs would prove nothing.
void TestFileFilters::initTestCase() {
    if (qEnvironmentVariable("LC_ALL").startsWith(u"tr_TR"))
        QCOMPARE(QLocale().toLower(QStringLiteral("TIF")), QStringLiteral("t\u0131f"));
    if (qEnvironmentVariable("LC_ALL").startsWith(u"de_DE"))
        QCOMPARE(QLocale().language(), QLocale::German);
}

void TestFileFilters::extensions_data() {
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
    // Letters are lowered as ASCII, never by the language's own rules.
    QTest::newRow("Turkish I") << "SKIN.IFF"
                               << "iff";
    QTest::newRow("dotted capital I is no ASCII")
        << QStringLiteral("x.T\u0130F") << QStringLiteral("t\u0130f");
    QTest::newRow("German sharp s stays")
        << QStringLiteral("x.\u00dfT") << QStringLiteral("\u00dft");
}

void TestFileFilters::extensions() {
    QFETCH(QString, name);
    QFETCH(QString, extension);
    QCOMPARE(Utils::getExtension(name), extension);
}

void TestFileFilters::filtersAcceptDirectoriesAndTheirExtensions_data() {
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
    QTest::newRow("PHOTO.TIF") << "PHOTO.TIF" << true << false << false << false;
    QTest::newRow("LOGO.GIF") << "LOGO.GIF" << true << false << false << false;
    QTest::newRow("SKIN.IFF") << "SKIN.IFF" << true << false << false << false;
    QTest::newRow("IMF_COPY.EXE") << "IMF_COPY.EXE" << false << false << false << true;
    QTest::newRow("RUN.BAT") << "RUN.BAT" << false << true << false << false;
    QTest::newRow(".bat has no extension") << ".bat" << false << false << false << false;
    QTest::newRow("run. has no extension") << "run." << false << false << false << false;
    QTest::newRow("script") << "go.sh" << false << false << true << false;
    QTest::newRow("converter") << "imf_copy.exe" << false << false << false << true;
    QTest::newRow("no extension") << "imf_copy" << false << false << false << false;
}

void TestFileFilters::filtersAcceptDirectoriesAndTheirExtensions() {
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

QTEST_MAIN(TestFileFilters)
#include "test_file_filters.moc"
