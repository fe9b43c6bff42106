#include "Look.h"
#include "QuillmereStyle.h"
#include "Theme.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

static void initResources() {
    Q_INIT_RESOURCE(corvane);
}
static void cleanupResources() {
    Q_CLEANUP_RESOURCE(corvane);
}

namespace {

// The fourteen roles a theme must give, one per line after the header, so
// test cases can count lines: the header is line 1, brightText line 15.
const QString kRequiredPalette = QStringLiteral("[palette]\n"
                                                "window = #f0f0f0\n"
                                                "windowText = #101010\n"
                                                "base = #ffffff\n"
                                                "alternateBase = #f8f8f8\n"
                                                "text = #202020\n"
                                                "button = #e0e0e0\n"
                                                "buttonText = #101010\n"
                                                "highlight = #3060a0\n"
                                                "highlightedText = #ffffff\n"
                                                "toolTipBase = #ffffe0\n"
                                                "toolTipText = #000000\n"
                                                "placeholderText = #808080\n"
                                                "link = #0000c0\n"
                                                "brightText = #ffffff\n");

double luminance(const QColor& c) {
    auto channel = [](double v) {
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(bytes), bytes.size());
}

void comparePalettes(const QPalette& actual, const QPalette& expected) {
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto r = QPalette::ColorRole(role);
            QVERIFY2(actual.color(group, r) == expected.color(group, r),
                     qPrintable(QStringLiteral("group %1 role %2").arg(group).arg(role)));
        }
}

} // namespace

class TestTheme : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shippedThemeIsValidAndReadable();
    void parseFillsDefaultsAndDerivedColours();
    void parseRejects_data();
    void parseRejects();
    void loadTakesFirstUsableFile();
    void loadWithoutUsableFileFails();
    void styleAppliesThemeMetrics();
    void installThemedWithoutThemeKeepsLook();
    void lookRoundTrip();
};

void TestTheme::initTestCase() {
    initResources();
}

void TestTheme::shippedThemeIsValidAndReadable() {
    QString path = QStringLiteral(":/Default.theme");
#ifdef CORVANE_SOURCE_DIR
    if (!QFile::exists(path))
        path = QStringLiteral(CORVANE_SOURCE_DIR "/resources/Default.theme");
#endif
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    QString error;
    const auto theme = parseTheme(QString::fromUtf8(file.readAll()), &error);
    QVERIFY2(theme, qPrintable(error));

    const QPalette& p = theme->palette;
    QVERIFY(contrast(p.color(QPalette::Text), p.color(QPalette::Base)) >= 7.0);
    QVERIFY(contrast(p.color(QPalette::WindowText), p.color(QPalette::Window)) >= 7.0);
    QVERIFY(contrast(p.color(QPalette::ButtonText), p.color(QPalette::Button)) >= 7.0);
    QVERIFY(contrast(p.color(QPalette::HighlightedText), p.color(QPalette::Highlight)) >= 4.5);
    QVERIFY(contrast(p.color(QPalette::PlaceholderText), p.color(QPalette::Base)) >= 4.5);
    // Disabled text must look disabled, yet stay legible.
    for (auto [fg, bg] : {std::pair{QPalette::Text, QPalette::Base},
                          std::pair{QPalette::WindowText, QPalette::Window},
                          std::pair{QPalette::ButtonText, QPalette::Button}}) {
        const double c = contrast(p.color(QPalette::Disabled, fg), p.color(QPalette::Disabled, bg));
        QVERIFY2(c >= 2.5 && c <= 4.5, qPrintable(QString::number(c)));
    }
    QVERIFY(theme->font.pointSize() >= 8);
}

void TestTheme::parseFillsDefaultsAndDerivedColours() {
    QString error;
    auto theme = parseTheme(QStringLiteral("# comment\r\n\r\n") + kRequiredPalette, &error);
    QVERIFY2(theme, qPrintable(error));
    const QPalette& p = theme->palette;
    QCOMPARE(p.color(QPalette::Active, QPalette::Text), QColor(0x20, 0x20, 0x20));
    // Unfocused windows keep the same colours.
    QCOMPARE(p.color(QPalette::Inactive, QPalette::Highlight), QColor(0x30, 0x60, 0xa0));
    const double active = contrast(p.color(QPalette::Text), p.color(QPalette::Base));
    const double faded = contrast(p.color(QPalette::Disabled, QPalette::Text),
                                  p.color(QPalette::Disabled, QPalette::Base));
    QVERIFY(faded < active / 2 && faded > 1.5);
    // No [font]: the application font must show through untouched.
    QCOMPARE(theme->font.resolveMask(), 0u);
    QCOMPARE(theme->layoutSpacing, Theme().layoutSpacing);

    theme = parseTheme(kRequiredPalette + QStringLiteral("disabled.text = #999999\n"
                                                         "mid = #777777\n"
                                                         "[font]\n"
                                                         "family = Noto Sans, , DejaVu Sans\n"
                                                         "pointSize = 11\n"
                                                         "[metrics]\n"
                                                         "  layoutSpacing   =   3  \n"),
                       &error);
    QVERIFY2(theme, qPrintable(error));
    QCOMPARE(theme->palette.color(QPalette::Disabled, QPalette::Text), QColor(0x99, 0x99, 0x99));
    QCOMPARE(theme->palette.color(QPalette::Active, QPalette::Mid), QColor(0x77, 0x77, 0x77));
    QCOMPARE(theme->font.families(), QStringList({"Noto Sans", "DejaVu Sans"}));
    QCOMPARE(theme->font.pointSize(), 11);
    QCOMPARE(theme->layoutSpacing, 3);
}

void TestTheme::parseRejects_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("mentions");

    const QString p = kRequiredPalette; // lines 1-15
    QTest::newRow("colour with bad digit") << p + "linkVisited = #12345g\n" << 16 << "#12345g";
    QTest::newRow("colour by name") << p + "linkVisited = red\n" << 16 << "red";
    QTest::newRow("short colour") << p + "linkVisited = #fff\n" << 16 << "#fff";
    QTest::newRow("comment after colour") << p + "linkVisited = #ffffff # white\n" << 16 << "white";
    QTest::newRow("unknown role") << p + "accent = #ffffff\n" << 16 << "accent";
    QTest::newRow("unknown disabled role") << p + "disabled.glow = #ffffff\n" << 16 << "glow";
    QTest::newRow("repeated role") << p + "window = #000000\n" << 16 << "window";
    QTest::newRow("unknown section") << p + "\n[colours]\n" << 17 << "colours";
    QTest::newRow("repeated section") << p + "[palette]\n" << 16 << "palette";
    QTest::newRow("unclosed header") << p + "[font\n" << 16 << "]";
    QTest::newRow("key before section") << "# c\nwindow = #ffffff\n" + p << 2 << "window";
    QTest::newRow("missing '='") << p + "[font]\nfamily Noto Sans\n" << 17 << "=";
    QTest::newRow("missing value") << p + "[font]\nfamily =\n" << 17 << "family";
    QTest::newRow("word for number") << p + "[font]\npointSize = ten\n" << 17 << "ten";
    QTest::newRow("size out of range") << p + "[font]\npointSize = 200\n" << 17 << "200";
    QTest::newRow("negative metric") << p + "[metrics]\nlayoutSpacing = -4\n" << 17 << "-4";
    QTest::newRow("fractional metric") << p + "[metrics]\ncontrolHeight = 28.5\n" << 17 << "28.5";
    QTest::newRow("unknown metric") << p + "[metrics]\nrowHeight = 4\n" << 17 << "rowHeight";
    QTest::newRow("missing role") << "# c\n\n" + QString(p).remove("link = #0000c0\n") << 3
                                  << "link";
    QTest::newRow("no palette") << "[font]\npointSize = 10\n" << 2 << "palette";
    QTest::newRow("empty") << "" << 1 << "palette";
}

void TestTheme::parseRejects() {
    QFETCH(QString, text);
    QFETCH(int, line);
    QFETCH(QString, mentions);
    QString error;
    QVERIFY(!parseTheme(text, &error));
    QVERIFY2(error.startsWith(QStringLiteral("line %1: ").arg(line)), qPrintable(error));
    QVERIFY2(error.contains(mentions), qPrintable(error));
}

void TestTheme::loadTakesFirstUsableFile() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bad = dir.filePath("bad.theme"), good = dir.filePath("good.theme"),
                  later = dir.filePath("later.theme"), folder = dir.filePath("folder.theme");
    writeFile(bad, kRequiredPalette.toUtf8() + "window = oops\n");
    writeFile(good, kRequiredPalette.toUtf8());
    writeFile(later, QString(kRequiredPalette).replace("#f0f0f0", "#123456").toUtf8());
    QVERIFY(QDir(dir.path()).mkdir("folder.theme"));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("folder\\.theme.*not a regular file"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bad\\.theme.*line 16"));
    const auto theme = loadTheme({dir.filePath("missing.theme"), folder, bad, good, later});
    QVERIFY(theme);
    QCOMPARE(theme->palette.color(QPalette::Window), QColor(0xf0, 0xf0, 0xf0));
}

void TestTheme::loadWithoutUsableFileFails() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString bad = dir.filePath("bad.theme"), huge = dir.filePath("huge.theme"),
                  binary = dir.filePath("binary.theme");
    writeFile(bad, "[palette]\n");
    // Valid themes, but too big to be a theme, or not text.
    writeFile(huge, kRequiredPalette.toUtf8() + QByteArray(70 * 1024, '#'));
    writeFile(binary, "# \xff\xfe\n" + kRequiredPalette.toUtf8());

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("bad\\.theme"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("huge\\.theme"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("binary\\.theme"));
    QVERIFY(!loadTheme({dir.filePath("missing.theme"), bad, huge, binary}));
    QVERIFY(!loadTheme({}));
}

void TestTheme::styleAppliesThemeMetrics() {
    const QString metrics = QStringLiteral("[metrics]\nlayoutSpacing = 5\nlayoutMargin = 7\n"
                                           "controlHeight = 40\nbuttonPadding = ");
    auto padded = parseTheme(kRequiredPalette + metrics + "9\n");
    auto tight = parseTheme(kRequiredPalette + metrics + "0\n");
    QVERIFY(padded && tight);
    QuillmereStyle style(*padded), tightStyle(*tight);
    QCOMPARE(style.objectName(), QuillmereStyle::styleName());
    QCOMPARE(style.standardPalette().color(QPalette::Base), QColor(Qt::white));

    QWidget window;
    window.setStyle(&style);
    auto* layout = new QHBoxLayout(&window);
    QCOMPARE(layout->spacing(), 5);
    QCOMPARE(layout->contentsMargins(), QMargins(7, 7, 7, 7));

    // A label long enough that Fusion's minimum button width plays no part.
    QPushButton wide(QStringLiteral("Convert all waiting jobs")), narrow(wide.text());
    wide.setStyle(&style);
    narrow.setStyle(&tightStyle);
    QCOMPARE(wide.sizeHint().width() - narrow.sizeHint().width(), 18);
    QVERIFY(wide.sizeHint().height() >= 40);
    QLineEdit edit;
    edit.setStyle(&style);
    QVERIFY(edit.sizeHint().height() >= 40);

    // Drawing goes through Fusion with our metrics: it must not fall over.
    auto* table = new QTableWidget(3, 4, &window);
    table->setStyle(&style);
    layout->addWidget(table);
    QVERIFY(!window.grab().isNull());
}

void TestTheme::installThemedWithoutThemeKeepsLook() {
    // Hide every place a theme could come from, leaving only a broken one.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath("Default.theme"), "[palette]\nwindow = #zzzzzz\n");
    QVERIFY(QDir(dir.path()).mkdir("home"));
    const QByteArray oldHome = qgetenv("HOME");
    const QString oldCurrent = QDir::currentPath();
    cleanupResources();
    qputenv("HOME", QFile::encodeName(dir.filePath("home")));
    QVERIFY(QDir::setCurrent(dir.path()));
    const auto restore = qScopeGuard([&] {
        initResources();
        qputenv("HOME", oldHome);
        QDir::setCurrent(oldCurrent);
    });
    QVERIFY(!QFile::exists(QStringLiteral(":/Default.theme")));

    QStyle* const style = QApplication::style();
    const QPalette palette = QApplication::palette();
    const QFont font = QApplication::font();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Default\\.theme.*line 2"));
    QVERIFY(!Look::installThemed());
    QCOMPARE(QApplication::style(), style);
    comparePalettes(QApplication::palette(), palette);
    QCOMPARE(QApplication::font(), font);
}

void TestTheme::lookRoundTrip() {
    Look::rememberSystemLook();
    QVERIFY(!Look::themedLookActive());
    const QString systemStyle = QApplication::style()->name();
    const QPalette systemPalette = QApplication::palette();
    const QFont systemFont = QApplication::font();
    const auto shipped = loadTheme({QStringLiteral(":/Default.theme")});
    QVERIFY(shipped);
    // A window open before the switch must follow it.
    QWidget window;
    auto* existing = new QLineEdit(&window);
    window.show();

    QVERIFY(Look::installThemed());
    QVERIFY(Look::installThemed());
    QVERIFY(Look::themedLookActive());
    QCOMPARE(QApplication::style()->objectName(), QuillmereStyle::styleName());
    QTRY_COMPARE(existing->palette().color(QPalette::Base), shipped->palette.color(QPalette::Base));
    QCOMPARE(QApplication::font().pointSize(), shipped->font.pointSize());
    // Asked again while themed, it must keep the look Qt chose, not ours.
    Look::rememberSystemLook();

    QVERIFY(Look::installSystem());
    QVERIFY(!Look::themedLookActive());
    QCOMPARE(QApplication::style()->name().toLower(), systemStyle.toLower());
    comparePalettes(QApplication::palette(), systemPalette);
    QTRY_COMPARE(existing->palette().color(QPalette::Base), systemPalette.color(QPalette::Base));
    QCOMPARE(QApplication::font(), systemFont);
}

QTEST_MAIN(TestTheme)
#include "test_theme.moc"
