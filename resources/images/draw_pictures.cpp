// Rerun from the repo root after changing a picture, and commit what it writes:
//   cmake --build build --target draw_pictures &&
//   QT_QPA_PLATFORM=offscreen build/tests/draw_pictures resources/images

#include <QColor>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QTransform>
#include <cmath>
#include <cstdio>

namespace {

// Shared palette; the banner background must match the window panel exactly.
const QColor kSlate("#22303c");
const QColor kSlateDeep("#17212a");
const QColor kCream("#f2efe6");
const QColor kAmber("#e0a43a");
const QColor kAmberLight("#f0c46a");
const QColor kAmberDark("#a8701a");
const QColor kPaper("#f4f1ea");
const QColor kInk("#24405e");
const QColor kInkLight("#4f7ea6");
const QColor kSepia("#9a6a3a");

QString gSans = "DejaVu Sans";
QString gSerif = "DejaVu Serif";

// Load the fonts from file when available so the output does not depend on
// whatever fontconfig happens to prefer on the build machine.
void loadFonts() {
    const QString dir = "/usr/share/fonts/truetype/dejavu/";
    for (const char* f :
         {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"}) {
        QFontDatabase::addApplicationFont(dir + f);
    }
}

QImage blank(int w, int h, const QColor& fill = Qt::transparent) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

bool save(const QImage& img, const QString& dir, const QString& name) {
    const QString path = QDir(dir).filePath(name);
    if (!img.convertToFormat(QImage::Format_ARGB32).save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s (%dx%d)\n", qPrintable(path), img.width(), img.height());
    return true;
}

// The Corvane emblem in a 100x100 design box: an amber texture tile with a
// folded corner and a raven head in profile. Used by the logo and the banner.
void drawEmblem(QPainter& p, const QRectF& box) {
    p.save();
    p.translate(box.topLeft());
    p.scale(box.width() / 100.0, box.height() / 100.0);

    // Tile with the top-right corner folded over, like a page of texture.
    const qreal fold = 24;
    QPainterPath tile;
    tile.moveTo(14, 4);
    tile.lineTo(96 - fold, 4);
    tile.lineTo(96, 4 + fold);
    tile.lineTo(96, 86);
    tile.quadTo(96, 96, 86, 96);
    tile.lineTo(14, 96);
    tile.quadTo(4, 96, 4, 86);
    tile.lineTo(4, 14);
    tile.quadTo(4, 4, 14, 4);
    tile.closeSubpath();

    QLinearGradient tileGrad(0, 4, 0, 96);
    tileGrad.setColorAt(0, kAmberLight);
    tileGrad.setColorAt(1, kAmber);
    p.setPen(Qt::NoPen);
    p.setBrush(tileGrad);
    p.drawPath(tile);

    // Raven head rising from the bottom edge, facing right, clipped to the tile.
    p.save();
    p.setClipPath(tile);
    QPainterPath raven;
    raven.moveTo(12, 100);
    raven.cubicTo(10, 74, 16, 42, 38, 32); // back of the neck up to the crown
    raven.cubicTo(52, 25, 64, 28, 70, 38); // crown over to the forehead
    raven.cubicTo(78, 41, 90, 47, 95, 60); // heavy upper beak, hooked at the tip
    raven.cubicTo(86, 59, 76, 60, 68, 62); // underside of the beak
    raven.lineTo(76, 71);                  // shaggy throat hackles
    raven.lineTo(65, 70);
    raven.lineTo(72, 81);
    raven.lineTo(61, 80);
    raven.cubicTo(61, 88, 64, 94, 68, 100); // front of the neck
    raven.closeSubpath();
    p.setBrush(kSlate);
    p.drawPath(raven);

    // A light line separating the two halves of the beak.
    QPen beakLine(kAmberLight, 2.2, Qt::SolidLine, Qt::RoundCap);
    p.setPen(beakLine);
    p.setBrush(Qt::NoBrush);
    QPainterPath gape;
    gape.moveTo(70, 50);
    gape.quadTo(80, 53, 90, 56);
    p.drawPath(gape);

    // Eye.
    p.setPen(Qt::NoPen);
    p.setBrush(kCream);
    p.drawEllipse(QPointF(54, 44), 6.5, 6.5);
    p.setBrush(kSlateDeep);
    p.drawEllipse(QPointF(55.5, 44), 3.2, 3.2);
    p.restore();

    // The folded-over flap.
    QPainterPath flap;
    flap.moveTo(96 - fold, 4);
    flap.lineTo(96 - fold, 4 + fold - 4);
    flap.quadTo(96 - fold, 4 + fold, 96 - fold + 4, 4 + fold);
    flap.lineTo(96, 4 + fold);
    flap.closeSubpath();
    p.setBrush(kAmberDark);
    p.drawPath(flap);

    p.restore();
}

// The emblem drawn afresh at each size, so the large desktop icons get crisp
// edges instead of a scaled-up 32-pixel bitmap.
QImage drawLogo(int size) {
    QImage img = blank(size, size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    drawEmblem(p, QRectF(0, 0, size, size));
    return img;
}

QImage drawBanner() {
    const int w = 600, h = 60;
    QImage img = blank(w, h, kSlate);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    drawEmblem(p, QRectF(14, 8, 44, 44));

    QFont title(gSans, 1, QFont::Bold);
    title.setPixelSize(30);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    const qreal baseline = 41;
    const qreal titleX = 70;
    p.setFont(title);
    p.setPen(kCream);
    p.drawText(QPointF(titleX, baseline), "Corvane");
    const qreal titleEnd = titleX + QFontMetricsF(title).horizontalAdvance("Corvane");

    // Thin amber divider, then the subtitle on the same baseline.
    const qreal divX = titleEnd + 14;
    p.setPen(QPen(kAmber, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(divX, 22), QPointF(divX, 42));

    QFont sub(gSans);
    sub.setPixelSize(14);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    p.setFont(sub);
    p.setPen(QColor(0xc9, 0xd1, 0xd8));
    p.drawText(QPointF(divX + 14, baseline - 1), "image to .map batch converter");

    // A fading mip chain of tiles on the right; it stays clear of the edges so
    // the banner blends into the panel around it.
    qreal size = 32;
    qreal x = w - 24 - size;
    int alpha = 150;
    while (size >= 4) {
        QColor c = kAmber;
        c.setAlpha(alpha);
        p.setPen(QPen(c, 1.5));
        p.setBrush(Qt::NoBrush);
        const QRectF r(x, h / 2.0 + 16 - size, size, size);
        p.drawRoundedRect(r.adjusted(0.75, 0.75, -0.75, -0.75), size / 8, size / 8);
        size /= 2;
        x -= size + 8;
        alpha = alpha * 2 / 3;
    }
    return img;
}

// A quill along the +x axis with the nib at the origin; the caller rotates it
// into place. The outline is sampled so the vane can be bent and split.
void drawQuill(QPainter& p) {
    const qreal len = 192; // nib to feather tip
    const qreal vaneStart = 48;
    const qreal upperWidth = 30, lowerWidth = 19;
    const qreal bend = -14; // sideways sag at the tip

    auto bent = [&](qreal x, qreal y) {
        const qreal t = x / len;
        return QPointF(x, y + bend * t * t);
    };
    // Vane half-width: starts thin, widest about two thirds along, round tip.
    auto width = [&](qreal x, qreal full) {
        const qreal t = qBound<qreal>(0, (x - vaneStart) / (len - vaneStart), 1);
        return full * std::pow(std::sin(M_PI * std::pow(t, 1.6)), 0.55);
    };

    // Splits in the vane, as fractions of the vane length.
    const qreal upperSplits[] = {0.42, 0.72};
    const qreal lowerSplits[] = {0.33, 0.60};
    auto splitAt = [&](qreal f) { return vaneStart + f * (len - vaneStart); };

    QPolygonF outline;
    int nextUpper = 0;
    for (qreal x = vaneStart; x <= len; x += 1) {
        if (nextUpper < 2 && x >= splitAt(upperSplits[nextUpper])) {
            const qreal xs = splitAt(upperSplits[nextUpper++]);
            const qreal w = width(xs, upperWidth);
            outline << bent(xs, -w) << bent(xs - 11, -0.42 * w)
                    << bent(xs + 5, -1.05 * width(xs + 5, upperWidth));
            x = xs + 6;
        }
        outline << bent(x, -width(x, upperWidth));
    }
    int nextLower = 1;
    for (qreal x = len; x >= vaneStart; x -= 1) {
        if (nextLower >= 0 && x <= splitAt(lowerSplits[nextLower]) + 5) {
            const qreal xs = splitAt(lowerSplits[nextLower--]);
            outline << bent(xs + 5, 1.05 * width(xs + 5, lowerWidth))
                    << bent(xs - 11, 0.42 * width(xs, lowerWidth))
                    << bent(xs, width(xs, lowerWidth));
            x = xs - 1;
        }
        outline << bent(x, width(x, lowerWidth));
    }
    QPainterPath vane;
    vane.addPolygon(outline);
    vane.closeSubpath();

    QLinearGradient g(vaneStart, 0, len, 0);
    g.setColorAt(0, kInk);
    g.setColorAt(1, kInkLight);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPath(vane);

    // Faint barbs sweeping towards the tip, kept inside the vane.
    p.save();
    p.setClipPath(vane);
    QColor barb = kPaper;
    barb.setAlpha(48);
    p.setPen(QPen(barb, 1.0, Qt::SolidLine, Qt::RoundCap));
    for (qreal x = vaneStart; x < len; x += 5) {
        p.drawLine(bent(x, 0), bent(x + 16, -upperWidth * 1.2));
        p.drawLine(bent(x, 0), bent(x + 13, lowerWidth * 1.2));
    }
    p.restore();

    // Shaft, tapering towards the tip.
    QPainterPath shaft;
    shaft.moveTo(bent(14, 0));
    for (qreal x = 20; x <= len - 6; x += 4)
        shaft.lineTo(bent(x, 0));
    p.setPen(QPen(QColor("#eadfc8"), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shaft);

    // Hollow barrel below the vane, then the ink-dipped nib.
    QPainterPath barrel;
    barrel.moveTo(14, -2.2);
    barrel.lineTo(vaneStart + 6, -3.2);
    barrel.lineTo(vaneStart + 6, 3.2);
    barrel.lineTo(14, 2.2);
    barrel.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor("#d8c39b"));
    p.drawPath(barrel);

    QPainterPath nib;
    nib.moveTo(0, 0);
    nib.lineTo(16, -2.6);
    nib.lineTo(16, 2.6);
    nib.closeSubpath();
    p.setBrush(kSlateDeep);
    p.drawPath(nib);
    p.setPen(QPen(QColor("#d8c39b"), 0.8));
    p.drawLine(QPointF(5, 0), QPointF(13, 0));
}

QImage drawQuillmere() {
    const int w = 640, h = 200;
    QImage img = blank(w, h, kPaper);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Ink pool under the nib.
    p.setPen(Qt::NoPen);
    QColor pool = kInk;
    pool.setAlpha(40);
    p.setBrush(pool);
    p.drawEllipse(QPointF(76, 182), 24, 4.5);
    p.setBrush(kInk);
    p.drawEllipse(QPointF(80, 180), 3, 2);

    p.save();
    p.translate(80, 179);
    p.rotate(-55);
    drawQuill(p);
    p.restore();

    QFont name(gSerif, 1, QFont::Bold);
    name.setPixelSize(64);
    p.setFont(name);
    p.setPen(kInk);
    const qreal textX = 216;
    p.drawText(QPointF(textX, 106), "Quillmere");
    const qreal nameW = QFontMetricsF(name).horizontalAdvance("Quillmere");

    // Hairline rule with a small diamond, then the spaced-out word.
    p.setPen(QPen(kSepia, 1.5));
    p.drawLine(QPointF(textX + 2, 124), QPointF(textX + nameW, 124));
    p.setPen(Qt::NoPen);
    p.setBrush(kSepia);
    QPainterPath diamond;
    const QPointF c(textX + nameW / 2, 124);
    diamond.moveTo(c + QPointF(0, -5));
    diamond.lineTo(c + QPointF(5, 0));
    diamond.lineTo(c + QPointF(0, 5));
    diamond.lineTo(c + QPointF(-5, 0));
    diamond.closeSubpath();
    p.setPen(QPen(kPaper, 3));
    p.drawPath(diamond);

    QFont sub(gSans);
    sub.setPixelSize(18);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 9);
    p.setFont(sub);
    p.setPen(kSepia);
    const QString word = "SOFTWARE";
    // Letter spacing adds a trailing gap after the last letter; drop it to centre.
    const qreal subW = QFontMetricsF(sub).horizontalAdvance(word) - 9;
    p.drawText(QPointF(textX + (nameW - subW) / 2, 156), word);
    return img;
}

QImage drawOpenIcon() {
    QImage img = blank(24, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline("#7a5414");

    // Back of the folder with its tab.
    QPainterPath back;
    back.moveTo(2.5, 19.5);
    back.lineTo(2.5, 5.5);
    back.quadTo(2.5, 4.5, 3.5, 4.5);
    back.lineTo(8.5, 4.5);
    back.lineTo(10.5, 6.5);
    back.lineTo(18.5, 6.5);
    back.quadTo(19.5, 6.5, 19.5, 7.5);
    back.lineTo(19.5, 10.5);
    p.setPen(QPen(outline, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor("#c98f2e"));
    p.drawPath(back);

    // A sheet peeking out.
    p.setBrush(QColor("#fbf8f0"));
    p.setPen(QPen(QColor("#9a9080"), 1));
    p.drawRect(QRectF(5.5, 8.5, 11, 6));

    // Front flap swung open towards the viewer.
    QPainterPath front;
    front.moveTo(2.5, 19.5);
    front.lineTo(5.5, 10.5);
    front.lineTo(22.0, 10.5);
    front.lineTo(18.5, 19.5);
    front.closeSubpath();
    QLinearGradient g(0, 10.5, 0, 19.5);
    g.setColorAt(0, QColor("#f7d27a"));
    g.setColorAt(1, QColor("#e4ad44"));
    p.setPen(QPen(outline, 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(front);
    return img;
}

QImage drawArrowIcon() {
    QImage img = blank(40, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);

    QPainterPath arrow;
    arrow.moveTo(3.5, 8.5);
    arrow.lineTo(22.5, 8.5);
    arrow.lineTo(22.5, 2.5);
    arrow.lineTo(37.5, 12);
    arrow.lineTo(22.5, 21.5);
    arrow.lineTo(22.5, 15.5);
    arrow.lineTo(3.5, 15.5);
    arrow.closeSubpath();

    QLinearGradient g(0, 3, 0, 21);
    g.setColorAt(0, kAmberLight);
    g.setColorAt(1, QColor("#d48f22"));
    p.setPen(QPen(QColor("#8a5a10"), 1, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(g);
    p.drawPath(arrow);
    return img;
}

} // namespace

// The Windows program icon: the drawn logos as they were saved, each an entry of the .ico
// (Windows reads PNG entries since Vista; 256 pixels is written as 0).
bool saveIcon(const QString& dir, const QStringList& pngs, const QString& name) {
    QByteArray entries, images;
    const int headerSize = 6 + 16 * int(pngs.size());
    for (const QString& png : pngs) {
        QFile file(QDir(dir).filePath(png));
        const QImage image(file.fileName());
        if (!file.open(QIODevice::ReadOnly) || image.isNull() || image.width() > 256)
            return false;
        const QByteArray bytes = file.readAll();
        QDataStream entry(&entries, QIODevice::Append);
        entry.setByteOrder(QDataStream::LittleEndian);
        entry << quint8(image.width() % 256) << quint8(image.height() % 256) << quint8(0)
              << quint8(0) << quint16(1) << quint16(32) << quint32(bytes.size())
              << quint32(headerSize + images.size());
        images += bytes;
    }
    QByteArray icon;
    QDataStream header(&icon, QIODevice::WriteOnly);
    header.setByteOrder(QDataStream::LittleEndian);
    header << quint16(0) << quint16(1) << quint16(pngs.size());
    icon += entries + images;
    QFile out(QDir(dir).filePath(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(icon) != icon.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
        return false;
    }
    std::printf("wrote %s (%d sizes)\n", qPrintable(out.fileName()), int(pngs.size()));
    return true;
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    loadFonts();
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);

    bool ok = true;
    ok &= save(drawLogo(32), out, "logo.png"); // window icon, and the 32-pixel desktop icon
    for (int size : {48, 64, 128, 256})
        ok &= save(drawLogo(size), out, QStringLiteral("logo-%1.png").arg(size));
    ok &= save(drawBanner(), out, "banner-corvane.png");
    ok &= save(drawQuillmere(), out, "quillmere.png");
    ok &= save(drawOpenIcon(), out, "iconOpen.png");
    ok &= save(drawArrowIcon(), out, "iconArrow.png");
    ok &= saveIcon(out, {"logo.png", "logo-48.png", "logo-64.png", "logo-128.png", "logo-256.png"},
                   "corvane.ico");
    return ok ? 0 : 1;
}
