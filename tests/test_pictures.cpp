// The committed pictures (the program's resources and the desktop icons) are what
// resources/images/draw_pictures.cpp draws: a drawing changed without its PNGs rewritten, or a
// picture that was never committed, shows up here.
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdlib>

namespace {

// Largest difference of any channel of any pixel; -1 when the sizes differ. Antialiasing may
// round differently from one processor to the next, so callers allow a level or two.
int largestDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int column = 0; column < x.width(); ++column) {
            for (int shift : {0, 8, 16, 24}) {
                const int d =
                    std::abs(int((p[column] >> shift) & 0xff) - int((q[column] >> shift) & 0xff));
                largest = std::max(largest, d);
            }
        }
    }
    return largest;
}

} // namespace

class TestPictures : public QObject {
    Q_OBJECT
private slots:
    void committedPicturesAreDrawn();
    void windowsIconHoldsTheCommittedLogos();
};

void TestPictures::committedPicturesAreDrawn() {
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcess draw;
    draw.start(QStringLiteral(DRAW_PICTURES), {out.path()});
    QVERIFY(draw.waitForFinished(60000));
    QCOMPARE(draw.exitStatus(), QProcess::NormalExit);
    QCOMPARE(draw.exitCode(), 0);

    const QStringList drawn = QDir(out.path()).entryList({QStringLiteral("*.png")});
    // The window icon and the four larger desktop icons at least.
    for (int size : {32, 48, 64, 128, 256}) {
        const QString name =
            size == 32 ? QStringLiteral("logo.png") : QStringLiteral("logo-%1.png").arg(size);
        QVERIFY2(drawn.contains(name), qPrintable(name));
        QCOMPARE(QImage(QDir(out.path()).filePath(name)).size(), QSize(size, size));
    }
    const QDir committed(QStringLiteral(CORVANE_SOURCE_DIR "/resources/images"));
    for (const QString& name : drawn) {
        const QImage fresh(QDir(out.path()).filePath(name));
        const QImage stored(committed.filePath(name));
        QVERIFY2(!stored.isNull(), qPrintable(name + " is drawn but not committed"));
        const int difference = largestDifference(fresh, stored);
        QVERIFY2(difference >= 0 && difference <= 2,
                 qPrintable(name + " differs from its drawing; rerun draw_pictures"));
    }
}

void TestPictures::windowsIconHoldsTheCommittedLogos() {
    // The .ico the Windows program shows is made of the committed logo PNGs, byte for byte,
    // in the order draw_pictures writes them.
    const QDir committed(QStringLiteral(CORVANE_SOURCE_DIR "/resources/images"));
    QFile file(committed.filePath("corvane.ico"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray icon = file.readAll();
    QDataStream in(icon);
    in.setByteOrder(QDataStream::LittleEndian);
    quint16 reserved = 1, type = 0, count = 0;
    in >> reserved >> type >> count;
    QCOMPARE(reserved, quint16(0));
    QCOMPARE(type, quint16(1));
    const QStringList logos{"logo.png", "logo-48.png", "logo-64.png", "logo-128.png",
                            "logo-256.png"};
    QCOMPARE(int(count), int(logos.size()));
    for (const QString& logo : logos) {
        quint8 width = 0, height = 0, colours = 0, zero = 0;
        quint16 planes = 0, bits = 0;
        quint32 size = 0, offset = 0;
        in >> width >> height >> colours >> zero >> planes >> bits >> size >> offset;
        QFile png(committed.filePath(logo));
        QVERIFY(png.open(QIODevice::ReadOnly));
        const QByteArray bytes = png.readAll();
        const int side = QImage::fromData(bytes).width();
        QCOMPARE(int(width), side % 256);
        QCOMPARE(int(height), side % 256);
        QCOMPARE(icon.mid(offset, size), bytes);
    }
}

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"
