// The committed pictures (the program's resources and the desktop icons) are what
// resources/images/draw_pictures.cpp draws: a drawing changed without its PNGs rewritten, or a
// picture that was never committed, shows up here.
#include <QDir>
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

QTEST_GUILESS_MAIN(TestPictures)
#include "test_pictures.moc"
