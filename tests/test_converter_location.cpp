// The converter found among the 3D package's install locations.
#include "conversion/rules/ConverterLocation.h"

#include <QTest>

class TestConverterLocation : public QObject {
    Q_OBJECT
private slots:
    void converterLocation_data();
    void converterLocation();
};

void TestConverterLocation::converterLocation_data() {
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

void TestConverterLocation::converterLocation() {
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

QTEST_MAIN(TestConverterLocation)
#include "test_converter_location.moc"
